#include <QAction>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QToolButton>
#include <cstdint>
#include <fstream>

#include "app/status_bar_widget.h"
#include "app/wave_menu_qt.h"
#include "gui_fixture.h"
#include "platform/clock.h"

namespace veltrin::testing {
namespace {

namespace fs = std::filesystem;

void put32(std::ofstream& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put16(std::ofstream& out, std::uint16_t v)
{
    out.put(static_cast<char>(v & 0xFF));
    out.put(static_cast<char>(v >> 8));
}

// A mono 16-bit PCM file of silence.
void writeSilence(const fs::path& path, std::uint32_t rate, std::uint32_t samples)
{
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    put32(out, 36 + samples * 2);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, rate);
    put32(out, rate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i)
        put16(out, 0);
}

class WaveMenuTest : public WindowFixture {
protected:
    QAction* item(const char* name) { return form->findChild<QAction*>(QString::fromLatin1(name)); }
    QToolButton* fastButton() { return form->findChild<QToolButton*>(QStringLiteral("FastDecodingButton")); }
    void sendKey(int key, Qt::KeyboardModifiers modifiers)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(form->findChild<QWidget*>(QStringLiteral("RxMemo")), &press);
    }
    void expectIdleMenu()
    {
        EXPECT_TRUE(item("DecodeFromFile1")->isEnabled());
        EXPECT_FALSE(item("StopDecodingFromFile1")->isEnabled());
        EXPECT_FALSE(form->state().decodingFromFile);
    }
};

TEST_F(WaveMenuTest, RecordingDecodesThroughTheWindowInFastMode)
{
    TRxForm& w = createWindow();
    showAndActivate();
    int asked = 0;
    w.waveMenu().setDecodeFileChooser([&] {
        ++asked;
        return std::string(VELTRIN_TEST_DATA) + "/known_text_s16.wav";
    });
    bool sawRunning = false;
    QObject::connect(&w, &TRxForm::waveStateChanged, &w, [&] {
        if (!w.state().decodingFromFile || sawRunning)
            return;
        sawRunning = true;
        EXPECT_TRUE(fastButton()->isEnabled());
        EXPECT_FALSE(item("DecodeFromFile1")->isEnabled());
        EXPECT_TRUE(item("StopDecodingFromFile1")->isEnabled());
        EXPECT_TRUE(w.findChild<QProgressBar*>(QStringLiteral("FileProgressBar"))->isVisible());
        sendKey(Qt::Key_G, Qt::ControlModifier | Qt::AltModifier);  // no second decoding
        fastButton()->click();
        EXPECT_TRUE(w.state().fastDecoding);
        EXPECT_TRUE(fastButton()->isChecked());
    });

    sendKey(Qt::Key_G, Qt::ControlModifier | Qt::AltModifier);

    EXPECT_TRUE(sawRunning);
    EXPECT_EQ(asked, 1);
    expectIdleMenu();
    EXPECT_FALSE(fastButton()->isEnabled());
    EXPECT_FALSE(fastButton()->isChecked());
    EXPECT_FALSE(w.state().fastDecoding);
    EXPECT_FALSE(w.findChild<QProgressBar*>(QStringLiteral("FileProgressBar"))->isVisible());
    EXPECT_TRUE(boxes.shown.empty());

    // The message went all the way to its file.
    const fs::path folder = fs::path("VeltrinData") /
                            [] {
                                CalendarTime t = currentCalendarTime(false);
                                char name[8];
                                std::snprintf(name, sizeof name, "%02d%02d%02d", t.year % 100, t.month, t.day);
                                return std::string(name);
                            }() /
                            "MESSAGES.TXT";
    int files = 0;
    if (fs::is_directory(folder))
        for (const auto& entry : fs::directory_iterator(folder))
            files += entry.path().filename().string().find("-REC-OK-7918-0002-2A-") != std::string::npos;
    EXPECT_EQ(files, 1);
}

TEST_F(WaveMenuTest, RefusedFilesAreReportedAndLeaveTheMenuIdle)
{
    TRxForm& w = createWindow();
    showAndActivate();
    const fs::path cd = root / "cd.wav";
    writeSilence(cd, 44100, 100);
    std::string next;
    w.waveMenu().setDecodeFileChooser([&] { return next; });

    next = cd.string();
    item("DecodeFromFile1")->trigger();
    next = (root / "missing.wav").string();
    item("DecodeFromFile1")->trigger();
    next.clear();  // the dialog cancelled
    item("DecodeFromFile1")->trigger();

    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"File Error: Unsupported sample rate!",
                                                     "File Error: File Open Error!"}));
    expectIdleMenu();
    EXPECT_FALSE(fastButton()->isEnabled());
}

TEST_F(WaveMenuTest, StopEndsDecodingAfterTheCurrentBlock)
{
    TRxForm& w = createWindow();
    showAndActivate();
    const fs::path longFile = root / "long.wav";
    writeSilence(longFile, 12000, 12000 * 600);  // ten minutes
    w.waveMenu().setDecodeFileChooser([&] { return longFile.string(); });
    QObject::connect(&w, &TRxForm::waveStateChanged, &w, [&] {
        if (w.state().decodingFromFile)
            item("StopDecodingFromFile1")->trigger();
    });
    QElapsedTimer timer;
    timer.start();
    item("DecodeFromFile1")->trigger();
    EXPECT_LT(timer.elapsed(), 5000);
    expectIdleMenu();
    EXPECT_FALSE(w.state().stopFileDecoding);
}

TEST_F(WaveMenuTest, AltQOpensAndClosesTheCaptureFile)
{
    TRxForm& w = createWindow();
    showAndActivate();
    const fs::path capture = root / "capture.wav";
    w.waveMenu().setCaptureFileChooser([&] { return capture.string(); });

    sendKey(Qt::Key_Q, Qt::AltModifier);
    EXPECT_TRUE(w.state().captureFileOpen);
    EXPECT_EQ(w.statusPanels().panelText(3), QStringLiteral("W.Capt"));
    EXPECT_FALSE(item("OpenWaveCaptureFile1")->isEnabled());
    EXPECT_TRUE(item("CloseWaveCaptureFile1")->isEnabled());
    EXPECT_EQ(w.state().displayHoldTicks, 0);

    sendKey(Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);  // not the shortcut
    EXPECT_TRUE(w.state().captureFileOpen);

    sendKey(Qt::Key_Q, Qt::AltModifier);
    EXPECT_FALSE(w.state().captureFileOpen);
    EXPECT_EQ(w.statusPanels().panelText(3), QString());
    EXPECT_TRUE(item("OpenWaveCaptureFile1")->isEnabled());
    EXPECT_FALSE(item("CloseWaveCaptureFile1")->isEnabled());
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"File Closed: Wave capture file was closed"}));
    EXPECT_EQ(fs::file_size(capture), 44u);
}

TEST_F(WaveMenuTest, CaptureFileThatCannotBeCreatedIsReported)
{
    TRxForm& w = createWindow();
    showAndActivate();
    w.waveMenu().setCaptureFileChooser([&] { return (root / "no such folder" / "c.wav").string(); });
    item("OpenWaveCaptureFile1")->trigger();
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"File Error: Wave File Open Error!"}));
    EXPECT_TRUE(item("OpenWaveCaptureFile1")->isEnabled());
    EXPECT_FALSE(item("CloseWaveCaptureFile1")->isEnabled());
    EXPECT_FALSE(w.state().captureFileOpen);
    EXPECT_EQ(w.statusPanels().panelText(3), QString());
}

}  // namespace
}  // namespace veltrin::testing
