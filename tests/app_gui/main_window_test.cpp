#include <QAction>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <fstream>
#include <thread>

#include "app/about_dialog.h"
#include "config/interface_texts.h"
#include "gps/gps_service.h"
#include "app/level_meter_widget.h"
#include "app/net_text_ring.h"
#include "app/setup_dialog.h"
#include "app/status_bar_widget.h"
#include "audio/sample_chain.h"
#include "gui_fixture.h"
#include "modem/decoder_shared.h"
#include "platform/ini_file.h"
#include "platform/platform_qt.h"
#include "platform/registry.h"
#include "platform/window_messages.h"

namespace veltrin::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

QString memoText(TRxForm& form)
{
    return form.findChild<QPlainTextEdit*>(QStringLiteral("RxMemo"))->toPlainText();
}

TEST_F(WindowFixture, SmokeBuildsEveryControlMenuAndPanel)
{
    TRxForm& w = createWindow();
    showAndActivate();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Veltrin"));
    EXPECT_EQ(w.minimumHeight(), 300);

    const char* controls[] = {"FFTBox", "ScalePanel", "ScaleImage", "Panel4", "ImageRx", "ImageRxBusy",
                              "ImageSync", "RxMemo", "Panel1", "OnTopButton", "FastDecodingButton",
                              "PeekValProgressBar", "FreqM10Btn", "FreqM1Btn", "FreqP1Btn", "FreqP10Btn",
                              "PanelBeacon4h", "Beacon4hGrid", "Panel2", "LeftTree", "StringGrid1",
                              "LogMemo", "GpsMemo", "StatusBar1"};
    for (const char* name : controls)
        EXPECT_NE(w.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;

    const char* panels[12] = {"D0", "1700 Hz", "170 Hz", "", "o: ?+?", "E=?", "", "D1", "", "", "Debug", "ExtMess"};
    for (int i = 0; i < 12; ++i) {
        auto* label = w.findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i));
        ASSERT_NE(label, nullptr) << i;
        if (i != 9) {  // the timer may already have written the FIFO count
            EXPECT_EQ(label->text(), QString::fromLatin1(panels[i])) << i;
        }
    }
    EXPECT_EQ(memoText(w).split(QLatin1Char('\n')).first(), QStringLiteral("Veltrin 1.11"));

    struct Item {
        const char* name;
        const char* caption;
    };
    for (const Item& item : {Item{"OpenWaveCaptureFile1", "Open Wave Capture File"},
                             Item{"CloseWaveCaptureFile1", "Close Wave Capture File "},
                             Item{"DecodeFromFile1", "Decode From File"},
                             Item{"StopDecodingFromFile1", "Stop Decoding From File"},
                             Item{"SendPositionBeacon1", "Send Position Beacon"},
                             Item{"SendStatusBeacon1", "Send Status Beacon"}, Item{"Exit", "Exit"},
                             Item{"Setup11", "Setup"}, Item{"CF_500", "500"}, Item{"CF_2500", "2500"},
                             Item{"Zoom1", "1:1"}, Item{"Zoom5", "5:1"}, Item{"PreampX1", " 0 dB"},
                             Item{"PreampX64", "36 dB"}, Item{"PreampX1024", "60 dB"},
                             Item{"HelpContents1", "Contents"}, Item{"About1", "About"}}) {
        QAction* action = w.findChild<QAction*>(QString::fromLatin1(item.name));
        ASSERT_NE(action, nullptr) << item.name;
        EXPECT_EQ(action->text(), QString::fromLatin1(item.caption)) << item.name;
    }
    int centres = 0, gains = 0;
    for (QAction* a : w.findChildren<QAction*>()) {
        centres += a->objectName().startsWith(QStringLiteral("CF_"));
        gains += a->objectName().startsWith(QStringLiteral("PreampX"));
    }
    EXPECT_EQ(centres, 21);
    EXPECT_EQ(gains, 11);
    EXPECT_TRUE(w.findChild<QAction*>(QStringLiteral("CF_1700"))->isChecked());
    EXPECT_FALSE(w.findChild<QMenu*>(QStringLiteral("Zoom1x"))->menuAction()->isVisible());
    for (const char* menu : {"File1", "CnterFreq1", "Waterfall1", "Help1"})
        EXPECT_NE(w.findChild<QMenu*>(QString::fromLatin1(menu)), nullptr) << menu;
    EXPECT_FALSE(w.findChild<QToolButton*>(QStringLiteral("FastDecodingButton"))->isEnabled());

    const QPixmap shot = w.grab();
    ASSERT_FALSE(shot.isNull());
    EXPECT_GE(shot.height(), 300);
    EXPECT_TRUE(shot.save(QString::fromStdString((root / "main_window.png").string())));
    if (const char* keep = std::getenv("VELTRIN_SCREENSHOT_DIR"))  // for looking at it by eye
        shot.save(QString::fromLocal8Bit(keep) + QStringLiteral("/main_window.png"));
}

TEST_F(WindowFixture, CreationStepsReachTheHooksGivenWithTheEnvironment)
{
    RxFormEnvironment env = environment();
    int marksLoaded = 0;
    env.hooks.loadBeaconMarks = [&] { ++marksLoaded; };
    TRxForm& w = createWindow(std::move(env));
    EXPECT_EQ(marksLoaded, 1);
    int trees = 0;
    w.hooks().buildMessageTree = [&] { ++trees; };  // later steps can still be wired afterwards
    showAndActivate();
    EXPECT_EQ(trees, 1);
    EXPECT_EQ(marksLoaded, 1);
}

TEST_F(WindowFixture, FirstShowLeadsToTheFirstActivationWithoutAWindowManager)
{
    // The show event alone, as on a bare X server where nothing activates
    // the window (the offscreen platform would activate it on its own).
    TRxForm& w = createWindow();
    int trees = 0;
    w.hooks().buildMessageTree = [&] { ++trees; };
    QShowEvent show;
    QCoreApplication::sendEvent(&w, &show);
    EXPECT_FALSE(w.activated());
    EXPECT_TRUE(pumpUntil([&] { return w.activated(); }));
    QCoreApplication::sendEvent(&w, &show);  // later shows change nothing
    QCoreApplication::processEvents();
    EXPECT_EQ(trees, 1);
    EXPECT_TRUE(fs::is_directory("VeltrinData"));
}

TEST_F(WindowFixture, FirstActivationRunsOnceAndStartsTimerAndThreads)
{
    TRxForm& w = createWindow();
    int trees = 0, tunes = 0;
    std::vector<int> tunedTo;
    w.hooks().buildMessageTree = [&] { ++trees; };
    w.hooks().tuneTo = [&](int hz) { tunedTo.push_back(hz); };
    std::atomic<int> gpsRounds{0};
    w.hooks().workerJobs.gpsWork = [&] { ++gpsRounds; };
    showAndActivate();
    w.FormActivate();  // switching away and back
    w.FormActivate();
    EXPECT_EQ(trees, 1);
    EXPECT_EQ(tunedTo, (std::vector<int>{1700, 1700}));
    (void)tunes;
    EXPECT_TRUE(w.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    EXPECT_TRUE(pumpUntil([&] { return gpsRounds.load() > 0; }));
    EXPECT_TRUE(fs::is_directory("VeltrinData"));
    EXPECT_TRUE(pumpUntil([&] { return w.statusPanels().panelText(9) == QStringLiteral("UpB: 0"); }));
}

TEST_F(WindowFixture, NetLogTextWithWParam17ShowsSlot1)
{
    TRxForm& w = createWindow();
    showAndActivate();
    struct Discard : WindowMessagePoster {
        void postWindowMessage(unsigned, WParam) override {}
    } discard;
    // Fill the process-wide ring so that slot 1 holds a known line.
    for (int i = 0; i < 16; ++i)
        netTextRing().postNetLine(i == 1 ? "APRS-IS: slot one\r\n" : "other\r\n", discard);
    w.poster().postWindowMessage(WM_NET_LOG_TEXT, 17);
    ASSERT_TRUE(pumpUntil([&] { return memoText(w).contains(QStringLiteral("APRS-IS: slot one")); }));
    EXPECT_FALSE(memoText(w).contains(QStringLiteral("other")));
}

TEST_F(WindowFixture, WindowMessagesReachTheirHandlers)
{
    TRxForm& w = createWindow();
    int position = 0, status = 0;
    w.hooks().sendPositionBeacon = [&] { ++position; };
    w.hooks().sendStatusBeacon = [&] { ++status; };
    showAndActivate();

    int& spectrumPending = w.station().decoderShared().spectrumPending;
    spectrumPending = 1;
    // Posted from another thread, as the workers do.
    std::thread worker([&] {
        w.poster().postWindowMessage(WM_GPS_TEXT, 0);
        w.poster().postWindowMessage(WM_SPECTRUM_READY, 0);
    });
    worker.join();
    // Without a GPS port the thread's own line reaches GpsMemo as well.
    auto* gpsMemo = w.findChild<QPlainTextEdit*>(QStringLiteral("GpsMemo"));
    ASSERT_TRUE(pumpUntil([&] {
        return spectrumPending == 0 && gpsMemo->toPlainText() == QStringLiteral("GPS is switched OFF");
    }));

    // The menu items post at once and leave the automatic periods alone.
    for (int i = 0; i < 50; ++i)
        w.timerSchedule().tick(0);
    const auto positionTicks = w.timerSchedule().positionBeaconTicks();
    const auto statusTicks = w.timerSchedule().statusBeaconTicks();
    w.findChild<QAction*>(QStringLiteral("SendPositionBeacon1"))->trigger();
    w.findChild<QAction*>(QStringLiteral("SendStatusBeacon1"))->trigger();
    ASSERT_TRUE(pumpUntil([&] { return position == 1 && status == 1; }));
    EXPECT_EQ(w.timerSchedule().positionBeaconTicks(), positionTicks);
    EXPECT_EQ(w.timerSchedule().statusBeaconTicks(), statusTicks);
}

TEST_F(WindowFixture, ExitThenCloseShutsDownOnce)
{
    TRxForm& w = createWindow();
    showAndActivate();
    w.findChild<QAction*>(QStringLiteral("Exit"))->trigger();
    EXPECT_TRUE(w.state().shuttingDown);
    EXPECT_FALSE(w.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    EXPECT_FALSE(w.lastShutdown().abandonedAny());
    EXPECT_FALSE(w.station().gps().portOpen());
    w.close();
    form.reset();  // FormDestroy
    EXPECT_EQ(gpsThreadStop.load(), 0);
    EXPECT_EQ(netThreadStop.load(), 0);
}

TEST_F(WindowFixture, NetworkThreadThatNeverAnswersIsAbandoned)
{
    StationEnvironment env = stationEnvironment();
    env.shutdownBudget = WaitBudget{10, 10ms};
    TRxForm& w = createWindow(environment(), env);
    auto hang = std::make_shared<std::atomic<bool>>(true);
    auto entered = std::make_shared<std::atomic<bool>>(false);
    w.hooks().workerJobs.networkWork = [hang, entered] {
        entered->store(true);
        while (hang->load())
            std::this_thread::sleep_for(2ms);
    };
    showAndActivate();
    ASSERT_TRUE(pumpUntil([&] { return entered->load(); }));

    w.ExitClick();
    EXPECT_TRUE(w.lastShutdown().gpsAnswered);
    EXPECT_FALSE(w.lastShutdown().networkAnswered);
    EXPECT_EQ(w.lastShutdown().iterationsSpent, 10);
    form.reset();  // the window goes although the thread still runs

    hang->store(false);  // let it end before the next test uses the flag
    for (int i = 0; i < 500 && netThreadStop.load() != 0; ++i)
        std::this_thread::sleep_for(2ms);
    EXPECT_EQ(netThreadStop.load(), 0);
}

TEST_F(WindowFixture, KeysAndHelpGoThroughTheWindow)
{
    TRxForm& w = createWindow();
    showAndActivate();
    QWidget* memo = w.findChild<QWidget*>(QStringLiteral("RxMemo"));

    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(memo, &f1);
    EXPECT_EQ(shell.count, 1);
    EXPECT_EQ(shell.last, (exeDir / "Veltrin.html").string());

    w.findChild<QAction*>(QStringLiteral("HelpContents1"))->trigger();
    EXPECT_EQ(shell.count, 2);

    // An ordinary key is left to the control.
    QKeyEvent plain(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QCoreApplication::sendEvent(memo, &plain);
    EXPECT_EQ(shell.count, 2);
}

TEST_F(WindowFixture, OnTopFollowsTheSettingAndTheButton)
{
    IniFile(kSettingsFileName).writeInt(kMainSection, "OnTop", 1);
    TRxForm& w = createWindow();
    auto* button = w.findChild<QToolButton*>(QStringLiteral("OnTopButton"));
    EXPECT_TRUE(button->isChecked());
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    button->click();
    EXPECT_FALSE(w.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(WindowFixture, DefaultDirectoryNoticeReplacesTheReceiveWindow)
{
    const fs::path station = root / "station";
    fs::create_directories(station);
    Registry(Registry::defaultPath()).writeString("DefaultDir", station.string());
    TRxForm& w = createWindow();
    EXPECT_EQ(fs::canonical(fs::current_path()), fs::canonical(station));
    EXPECT_EQ(memoText(w), QStringLiteral("Working directory was changed to default directory\n") +
                               QString::fromStdString(station.string()) + QStringLiteral("\n"));
}

// The window takes the same audio sources as the headless station; one it
// cannot use is shown in a message box and the window keeps running.
TEST_F(WindowFixture, AudioSourceTheWindowCannotUseIsShownInAMessageBox)
{
    struct Case {
        std::string source;
        std::string shown;
    };
    const Case cases[] = {
        {"tape:1", "Corvane - Device Open Error: unknown audio source"},
        {"wav:" + (root / "none.wav").string(), "Corvane - Device Open Error: " + (root / "none.wav").string() + ": File Open Error!"},
    };
    for (const Case& c : cases) {
        boxes.shown.clear();
        StationEnvironment env = stationEnvironment();
        env.audioSource = c.source;
        TRxForm& w = createWindow(environment(), env);
        showAndActivate();
        ASSERT_EQ(boxes.shown.size(), 1u) << c.source;
        EXPECT_EQ(boxes.shown[0].rfind(c.shown, 0), 0u) << boxes.shown[0];
        EXPECT_TRUE(w.activated());
        EXPECT_FALSE(w.state().captureDeviceOpen);
        form.reset();
        station.reset();
    }
}

// A recording chosen as the audio source plays through the window's own
// event loop and its messages are stored.
TEST_F(WindowFixture, RecordingAsAudioSourceIsDecodedAndStored)
{
    StationEnvironment env = stationEnvironment();
    env.audioSource = "wav:" + std::string(VELTRIN_TEST_DATA) + "/known_gps_s32.wav";
    env.fastAudio = true;
    createWindow(environment(), env);
    showAndActivate();
    ASSERT_TRUE(pumpUntil([&] { return station->audioFinished(); }, 20000));
    int stored = 0;
    for (const auto& e : fs::recursive_directory_iterator("VeltrinData"))
        stored += e.path().extension() == ".KML";
    EXPECT_EQ(stored, 1);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(WindowFixture, CommandLineRateHoldsForTheRunOnly)
{
    IniFile(kSettingsFileName).writeString(kMainSection, "SamplingFreq", "48000,0");
    StationEnvironment env = stationEnvironment();
    env.commandLine = "/s 48012.5";
    TRxForm& w = createWindow(environment(), env);
    showAndActivate();
    EXPECT_DOUBLE_EQ(w.settings().SamplingFreq, 48012.5);
    EXPECT_DOUBLE_EQ(w.settings().decimatedRate, 48012.5 * 0.25);
    EXPECT_EQ(IniFile(kSettingsFileName).readString(kMainSection, "SamplingFreq", ""), "48000,0");
}

TEST_F(WindowFixture, GeometryAndFontAreAppliedAndReadBack)
{
    {
        IniFile ini(kSettingsFileName);
        ini.writeInt(kWindowSection, "windowLeft", 40);
        ini.writeInt(kWindowSection, "windowTop", 30);
        ini.writeInt(kWindowSection, "windowHeight", 700);
        ini.writeInt(kWindowSection, "windowWidth", 900);
        ini.writeInt(kWindowSection, "spectrumHeight", 120);
        ini.writeInt(kWindowSection, "browserHeight", -1);  // keep the designed height
        ini.writeString(kFontSection, "browserFontName", "\"DejaVu Sans\"");
        ini.writeInt(kFontSection, "browserFontSize", 13);
        ini.writeInt(kFontSection, "browserFontStyle", 1 | 2);
        ini.writeInt(kFontSection, "browserFontColor", 0x0000FF);  // red
        ini.writeInt(kFontSection, "browserGridColor", 0x00FF00);  // green
    }
    TRxForm& w = createWindow();
    showAndActivate();
    QWidget* fft = w.findChild<QWidget*>(QStringLiteral("FFTBox"));
    QWidget* browser = w.findChild<QWidget*>(QStringLiteral("Panel2"));
    auto* grid = w.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
    auto* log = w.findChild<QPlainTextEdit*>(QStringLiteral("LogMemo"));
    const int designedBrowser = browser->height();
    EXPECT_EQ(w.x(), 40);
    EXPECT_EQ(w.y(), 30);
    EXPECT_EQ(w.width(), 900);
    EXPECT_EQ(w.height(), 700);
    EXPECT_EQ(fft->height(), 120);
    EXPECT_EQ(grid->font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(grid->font().pointSize(), 13);
    EXPECT_TRUE(grid->font().bold());
    EXPECT_TRUE(grid->font().italic());
    EXPECT_EQ(log->font(), grid->font());
    EXPECT_EQ(grid->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(grid->palette().color(QPalette::Base), QColor(0, 255, 0));

    // The user resizes; a save writes what the widgets show now.
    w.resize(880, 650);
    fft->setFixedHeight(90);
    ASSERT_TRUE(w.saveSettingsFile());
    Settings saved;
    loadSettings(IniFile(kSettingsFileName), saved);
    EXPECT_EQ(saved.windowLeft, 40);
    EXPECT_EQ(saved.windowTop, 30);
    EXPECT_EQ(saved.windowWidth, 880);
    EXPECT_EQ(saved.windowHeight, 650);
    EXPECT_EQ(saved.spectrumHeight, 90);
    EXPECT_EQ(saved.browserHeight, designedBrowser);
    EXPECT_EQ(saved.browserFontName, "DejaVu Sans");
    EXPECT_EQ(saved.browserFontSize, 13);
    EXPECT_EQ(saved.browserFontStyle, 3);
    EXPECT_EQ(saved.browserFontColor, 0x0000FF);
    EXPECT_EQ(saved.browserGridColor, 0x00FF00);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(WindowFixture, SetupSaveThatCannotWriteIsReported)
{
    TRxForm& w = createWindow();
    showAndActivate();
    fs::create_directories(kSettingsFileName);  // a folder where the file should go
    w.findChild<QPushButton*>(QStringLiteral("SetupSave"))->click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].find("File Error: "), std::string::npos);
    EXPECT_NE(boxes.shown[0].find("VELTRIN.INI"), std::string::npos);
}

TEST_F(WindowFixture, SetupSaveWritesEveryKeyAndTheOnTopButton)
{
    TRxForm& w = createWindow();
    showAndActivate();
    w.findChild<QAction*>(QStringLiteral("Setup11"))->trigger();
    EXPECT_EQ(w.state().displayHoldTicks, 3000);
    EXPECT_TRUE(w.setupForm()->isVisible());
    w.findChild<QToolButton*>(QStringLiteral("OnTopButton"))->click();
    w.findChild<QPushButton*>(QStringLiteral("SetupSave"))->click();
    EXPECT_TRUE(boxes.shown.empty());
    IniFile ini(kSettingsFileName);
    EXPECT_EQ(ini.readInt(kMainSection, "OnTop", -1), 1);
    EXPECT_TRUE(ini.hasKey(kAprsSection, "AprsCall"));
    EXPECT_TRUE(ini.hasKey(kTraccarSection, "TccPort0"));
    w.findChild<QPushButton*>(QStringLiteral("SetupOK"))->click();
    EXPECT_FALSE(w.setupForm()->isVisible());
    EXPECT_EQ(w.state().displayHoldTicks, 0);
}

TEST_F(WindowFixture, InterfaceTextsBesideTheExecutableReplaceCaptions)
{
    std::ofstream(exeDir / "STRINGS.INI") << "[RxForm]\r\nExit=\r\nFile1=Datei\r\nOnTopButton=\"Oben \"\r\n"
                                             "GpsIsOffMessage=GPS aus\r\n";
    std::ofstream("STRINGS.INI") << "[RxForm]\r\nAbout1=Nicht hier\r\n";  // working directory: not read
    const InterfaceTexts saved = interfaceTexts();
    TRxForm& w = createWindow();
    showAndActivate();
    EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("Exit"))->text(), QStringLiteral("Exit"));
    EXPECT_EQ(w.findChild<QMenu*>(QStringLiteral("File1"))->title(), QStringLiteral("Datei"));
    EXPECT_EQ(w.findChild<QToolButton*>(QStringLiteral("OnTopButton"))->text(), QStringLiteral("Oben "));
    EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("About1"))->text(), QStringLiteral("About"));
    EXPECT_EQ(interfaceTexts().GpsIsOffMessage, "GPS aus");
    // Without a GPS port the thread shows the replaced text.
    auto* gpsMemo = w.findChild<QPlainTextEdit*>(QStringLiteral("GpsMemo"));
    EXPECT_TRUE(pumpUntil([&] { return gpsMemo->toPlainText() == QStringLiteral("GPS aus"); }));
    interfaceTexts() = saved;
}

TEST_F(WindowFixture, AboutBoxShowsVersionAndOpensLinksThroughTheShell)
{
    TRxForm& w = createWindow();
    showAndActivate();
    w.findChild<QAction*>(QStringLiteral("About1"))->trigger();
    TAbout* about = w.aboutBox();
    ASSERT_TRUE(pumpUntil([&] { return about->isVisible(); }));
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("VersionLabel"))->text(), QStringLiteral("Veltrin  V1.11"));
    auto* links = about->findChild<QLabel*>(QStringLiteral("LinksLabel"));
    emit links->linkActivated(QString::fromLatin1(kMakerHomePage));
    EXPECT_EQ(shell.last, kMakerHomePage);
    about->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
    EXPECT_FALSE(about->isVisible());
}

TEST_F(WindowFixture, LevelMeterShowsTheChainsReading)
{
    TRxForm& w = createWindow();
    showAndActivate();
    // A full-scale input for the meter's 16000-sample window.
    for (int i = 0; i < 16000; ++i)
        w.sampleChain().updateLevelMeter(i % 2 ? 20000 : -20000);
    auto* meter = w.findChild<LevelMeterWidget*>(QStringLiteral("PeekValProgressBar"));
    EXPECT_TRUE(meter->red());
    EXPECT_EQ(meter->light(), 8);
    EXPECT_EQ(meter->dark(), 9);
    EXPECT_EQ(meter->text(), QStringLiteral("15      "));
    EXPECT_FALSE(meter->grab().isNull());
}

}  // namespace
}  // namespace veltrin::testing

namespace veltrin::testing {
namespace {

TEST(HeadlessMessageBoxes, GoToStandardError)
{
    application();
    ::testing::internal::CaptureStderr();
    QtMessageBoxes().showMessage("Wave File Open Error!", "File Error");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "File Error: Wave File Open Error!\n");
}

}  // namespace
}  // namespace veltrin::testing
