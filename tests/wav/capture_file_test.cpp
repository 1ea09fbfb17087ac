// The capture file's open and close as the station reports them.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "config/app_state.h"
#include "audio/capture_file.h"
#include "audio/wave_write.h"
#include "platform/ui_ports.h"
#include "wav_files.h"

namespace veltrin {
namespace {

struct Boxes : MessageBoxes {
    std::vector<std::string> shown;
    void showMessage(const std::string& text, const std::string& caption) override
    {
        shown.push_back(caption + "|" + text);
    }
};

struct Panels : StatusPanels {
    std::map<int, std::string> text;
    void setPanelText(int index, const std::string& t) override { text[index] = t; }
};

struct CaptureFixture {
    TWaveWrite writer;
    AppState state;
    Boxes boxes;
    Panels panels;
    CaptureFileControl control{writer, state, boxes, panels};
};

TEST(CaptureFile, OpenAndCloseReportToTheUser)
{
    test::TempDir dir;
    CaptureFixture f;
    ASSERT_TRUE(f.control.open(dir.file("capture.wav")));
    EXPECT_TRUE(f.state.captureFileOpen);
    EXPECT_EQ(f.panels.text[3], "W.Capt");
    const std::int16_t samples[8192] = {};
    EXPECT_EQ(f.writer.Write(samples, 8192), 0);
    f.control.close();
    EXPECT_FALSE(f.state.captureFileOpen);
    EXPECT_EQ(f.panels.text[3], "");
    EXPECT_EQ(f.boxes.shown, (std::vector<std::string>{"File Closed|Wave capture file was closed"}));
}

TEST(CaptureFile, FailuresAreReported)
{
    test::TempDir dir;
    CaptureFixture f;
    EXPECT_FALSE(f.control.open(dir.file("no-such-folder/capture.wav")));
    EXPECT_FALSE(f.state.captureFileOpen);
    EXPECT_EQ(f.panels.text.count(3), 0u);
    // Closing what is not open (the writer says 1): the error text.
    f.control.close();
    EXPECT_EQ(f.boxes.shown, (std::vector<std::string>{"File Error|Wave File Open Error!",
                                                       "File Error|There was errors in wave capture file!"}));
}

}  // namespace
}  // namespace veltrin
