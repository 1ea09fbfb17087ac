// The setup dialog in the window, offscreen: filling, Apply, Cancel, Save
// and a restart, the GPS port it reopens, and its texts.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <fstream>

#include "gui_fixture.h"
#include "app/setup_dialog.h"
#include "config/interface_texts.h"
#include "gateway/gateways.h"
#include "gps/gps_service.h"
#include "gps/pseudo_terminal.h"

namespace veltrin::testing {
namespace {

class SetupDialogTest : public WindowFixture {
protected:
    TRxForm& openSetup()
    {
        TRxForm& w = form ? *form : createWindow();
        if (!w.station().activated())
            showAndActivate();
        w.findChild<QAction*>(QStringLiteral("Setup11"))->trigger();
        return w;
    }
    template <typename W>
    W* control(const char* name)
    {
        return form->setupForm()->findChild<W*>(QString::fromLatin1(name));
    }
    void click(const char* name) { control<QPushButton>(name)->click(); }
};

TEST_F(SetupDialogTest, CancelChangesNothingAndApplyTakesTheEdits)
{
    TRxForm& w = openSetup();
    EXPECT_EQ(control<QLineEdit>("InSamplingRateEdit")->text(), QStringLiteral("48000.000"));
    EXPECT_EQ(control<QComboBox>("InCardNumBox")->currentText(), QStringLiteral("DEFAULT"));
    EXPECT_EQ(control<QComboBox>("GpsPortBox")->itemText(1), QStringLiteral("COM1  /dev/ttyS0"));
    EXPECT_EQ(control<QLineEdit>("AprsCallEdit")->maxLength(), 14);
    control<QLineEdit>("AprsCallEdit")->setText(QStringLiteral("DL1ABC-10"));
    control<QLineEdit>("TraccartPortEdit0")->setText(QStringLiteral("50x5"));
    click("SetupCancel");
    EXPECT_FALSE(w.setupForm()->isVisible());
    EXPECT_EQ(w.settings().AprsCall, "N0CALL-PG");
    EXPECT_EQ(w.state().displayHoldTicks, 0);

    openSetup();
    EXPECT_EQ(control<QLineEdit>("AprsCallEdit")->text(), QStringLiteral("N0CALL-PG"));  // unchanged again
    control<QLineEdit>("AprsCallEdit")->setText(QStringLiteral("DL1ABC-10"));
    control<QLineEdit>("TraccartPortEdit0")->setText(QStringLiteral("50x5"));
    // The own fix goes back to the default coordinates on every Apply.
    w.station().gateways().ownFix().latitude = 1.0;
    click("SetupApply");
    EXPECT_TRUE(w.setupForm()->isVisible());
    EXPECT_EQ(w.state().displayHoldTicks, 3000);
    control<QLineEdit>("InSamplingRateEdit")->setText(QStringLiteral("44100,5"));
    click("SetupApply");  // a new rate sets the receive chain up again
    EXPECT_EQ(w.settings().AprsCall, "DL1ABC-10");
    EXPECT_EQ(w.settings().TccPort0, 50);
    EXPECT_EQ(control<QLineEdit>("TraccartPortEdit0")->text(), QStringLiteral("50"));
    EXPECT_EQ(w.settings().SamplingFreq, 44100.5);
    EXPECT_EQ(w.station().gateways().ownFix().latitude, w.settings().DefLat);
    click("SetupOK");
    EXPECT_FALSE(w.setupForm()->isVisible());
}

TEST_F(SetupDialogTest, SavedValuesComeBackAfterARestart)
{
    openSetup();
    control<QLineEdit>("StatusBeaconEdit")->setText(QStringLiteral("Mobile station"));
    control<QComboBox>("GpsSpeedBox")->setCurrentText(QStringLiteral("4800"));
    control<QComboBox>("InputCardChannelBox")->setCurrentIndex(2);
    click("SetupSave");
    const SetupValues saved = form->setupForm()->values();
    form.reset();
    station.reset();

    openSetup();
    const SetupValues again = form->setupForm()->values();
    EXPECT_EQ(again.statusBeacon, "Mobile station");
    EXPECT_EQ(again.gpsSpeed, "4800");
    EXPECT_EQ(again.inputChannel, 2);
    EXPECT_EQ(again.aprsCall, saved.aprsCall);
    EXPECT_EQ(again.defaultLatitude, saved.defaultLatitude);
    EXPECT_EQ(again.traccarPath1, saved.traccarPath1);
}

TEST_F(SetupDialogTest, ChoosingTheGpsPortOpensIt)
{
    test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    std::ofstream(kSettingsFileName) << "[Ports]\r\nCOM4=" << pty.slavePath() << "\r\n";
    TRxForm& w = openSetup();
    EXPECT_EQ(control<QComboBox>("GpsPortBox")->itemText(4), QString::fromStdString("COM4  " + pty.slavePath()));
    control<QComboBox>("GpsPortBox")->setCurrentIndex(4);
    click("SetupApply");
    EXPECT_EQ(w.settings().gpsPort, 4);
    EXPECT_TRUE(w.station().gps().portOpen());
    EXPECT_TRUE(boxes.shown.empty());

    // The keying port may not take the same COM port.
    auto* type = control<QComboBox>("PortTypeBox");
    type->setCurrentIndex(1);
    control<QComboBox>("PortNumberBox")->setCurrentIndex(3);
    EXPECT_EQ(control<QComboBox>("GpsPortBox")->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>("PttPinBox")->currentText(), QStringLiteral("RTS"));
}

TEST_F(SetupDialogTest, TextsFileRenamesThePagesItNames)
{
    std::ofstream(exeDir / "STRINGS.INI") << "[SetupForm]\r\nTabSheet1=Schnittstelle\r\nSetupCancel=Abbrechen\r\n"
                                             "SetupOK=\r\n";
    openSetup();
    auto* pages = control<QTabWidget>("PageControl1");
    EXPECT_EQ(pages->tabText(0), QStringLiteral("Schnittstelle"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("RX Speeds"));
    EXPECT_EQ(pages->tabText(2), QStringLiteral(" Text "));
    EXPECT_EQ(control<QPushButton>("SetupCancel")->text(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(control<QPushButton>("SetupOK")->text(), QStringLiteral("OK"));
}

// Values edited by hand into the files: the dialog and the station take
// them without harm, each falling back to what its rules give.
TEST_F(SetupDialogTest, AbsurdValuesInTheFilesFallBack)
{
    std::ofstream(kSettingsFileName, std::ios::binary)
        << "[General]\r\nkeyingPortType=99\r\nkeyingPortNumber=-5\r\npttPin=1000\r\npower1Pin=-7\r\n"
        << "gpsPort=1000\r\ngpsSpeed=-1\r\nlptAddress=999999\r\ncaptureChannel=7\r\ncaptureDeviceId=99\r\n"
        << "[TracCar]\r\nTccPort0=999999999999\r\nTccPort1=-80\r\n[Ports]\r\nCOM1000=/dev/null\r\n";
    std::ofstream(exeDir / "STRINGS.INI", std::ios::binary)
        << "[SetupForm]\r\nTabSheet1=\xff\xfe\x00\x81\r\nSetupOK=\"\r\n[RxForm]\r\nDeleteFileMessage=%s%n\xff\r\n";
    TRxForm& w = openSetup();
    EXPECT_EQ(w.settings().keyingPortType, 0);
    EXPECT_EQ(control<QComboBox>("GpsPortBox")->currentIndex(), 0);
    EXPECT_EQ(control<QComboBox>("InCardNumBox")->currentIndex(), 0);  // no device 99 here
    click("SetupApply");
    EXPECT_EQ(w.settings().gpsPort, 0);
    EXPECT_EQ(w.settings().gpsSpeed, -1);  // kept: the port is off
    EXPECT_EQ(interfaceTexts().DeleteFileMessage, "Delete the file %s ?");
    click("SetupOK");
    EXPECT_FALSE(w.setupForm()->isVisible());
}

}  // namespace
}  // namespace veltrin::testing
