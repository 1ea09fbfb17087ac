// The capture thread and the FIFO through the real ALSA library, with
// devices of its file plugin: every sample the device records reaches the
// FIFO once and in order, in the layout of the capture channel; a backlog
// grows and shrinks the FIFO by whole chunks; the device lists and the
// failures of opening give the texts the user knows.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "audio/audio_source_list.h"
#include "audio/buf_buf_fifo.h"
#include "audio/sound_capture.h"
#include "capture/alsa_test_config.h"
#include "config/app_state.h"
#include "config/settings.h"
#include "platform/sound_devices.h"
#include "platform/ui_ports.h"

namespace veltrin {
namespace {

namespace fs = std::filesystem;
using test::AlsaTestPcm;
using test::ScopedAlsaConfig;

struct CountingPoster : WindowMessagePoster {
    std::atomic<int> audioBlocks{0};
    std::atomic<int> failures{0};
    void postWindowMessage(unsigned message, WParam) override
    {
        if (message == WM_AUDIO_BLOCK)
            ++audioBlocks;
        else if (message == WM_CAPTURE_FAILED)
            ++failures;
    }
};

struct RecordingBoxes : MessageBoxes {
    std::vector<std::string> shown;
    void showMessage(const std::string& text, const std::string& caption) override
    {
        shown.push_back(caption + ": " + text);
    }
};

bool waitUntil(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(20))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class SoundCaptureTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("veltrin-capture-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Samples that tell every position apart: a lost, repeated or shifted
    // sample shows.
    std::string writeCountingFile(std::size_t samples)
    {
        std::vector<std::int16_t> v(samples);
        for (std::size_t i = 0; i < samples; ++i)
            v[i] = static_cast<std::int16_t>((i * 7919u + (i >> 16)) & 0xFFFF);
        const fs::path path = dir_ / "counting.raw";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(v.size() * 2));
        expected_ = std::move(v);
        return path.string();
    }

    SoundCapture& capture()
    {
        if (!capture_)
            capture_ = std::make_unique<SoundCapture>(*fifo_, poster_, boxes_, settings_, state_);
        return *capture_;
    }

    fs::path dir_;
    std::vector<std::int16_t> expected_;
    std::unique_ptr<TBufBufFifo> fifo_ = std::make_unique<TBufBufFifo>();
    CountingPoster poster_;
    RecordingBoxes boxes_;
    Settings settings_;
    AppState state_;
    std::unique_ptr<SoundCapture> capture_;
};

// A backlog of 40 or more buffers while the main thread takes none: the
// FIFO grows to three chunks; drained, one chunk is in use and one spare.
// Every buffer holds the next 8192 frames the device recorded, in the
// layout of the capture channel.
TEST_F(SoundCaptureTest, BuffersHoldEveryRecordedFrameInOrderAndTheBacklogGrowsByChunks)
{
    for (int channel : {0, 2}) {
        SCOPED_TRACE(channel);
        fifo_ = std::make_unique<TBufBufFifo>();
        capture_.reset();
        poster_.audioBlocks = 0;
        const int channels = channel == 0 ? 1 : 2;
        // Longer than the thread can read before the close.
        const std::string file = writeCountingFile(80u * 8192u * static_cast<unsigned>(channels));
        ScopedAlsaConfig config(dir_, {{"default", file, "Counting card"}});
        settings_.captureDeviceId = -1;
        settings_.captureChannel = channel;

        ASSERT_EQ(capture().openCapture(), 0) << (boxes_.shown.empty() ? "" : boxes_.shown[0]);
        EXPECT_TRUE(state_.captureDeviceOpen);
        EXPECT_EQ(capture().captureState(), 1);
        EXPECT_EQ(capture().queuedBuffers(), SoundCapture::kBuffers);
        ASSERT_TRUE(waitUntil([&] { return fifo_->bufferCount() >= 40; }));
        capture().closeCapture();
        EXPECT_FALSE(state_.captureDeviceOpen);
        EXPECT_EQ(capture().captureState(), -1);
        EXPECT_EQ(capture().queuedBuffers(), 0);

        const int buffers = fifo_->bufferCount();
        ASSERT_GE(buffers, 40);
        ASSERT_LE(buffers, 48) << "the thread went on after the close";
        EXPECT_EQ(fifo_->chunkCount(), 3);
        EXPECT_EQ(poster_.audioBlocks, buffers);

        std::vector<std::int16_t> buffer(TBufBufFifo::kBufferBytes / 2);
        const std::size_t perBuffer = 8192u * static_cast<std::size_t>(channels);
        for (int b = 0; b < buffers; ++b) {
            ASSERT_EQ(fifo_->Get(buffer.data()), 0);
            for (std::size_t i = 0; i < perBuffer; ++i)
                ASSERT_EQ(buffer[i], expected_[b * perBuffer + i]) << "buffer " << b << " value " << i;
            // Mono fills half of the 32768 bytes the FIFO always copies.
            for (std::size_t i = perBuffer; i < buffer.size(); ++i)
                ASSERT_EQ(buffer[i], 0) << "buffer " << b << " value " << i;
        }
        EXPECT_EQ(fifo_->Get(buffer.data()), -1);
        EXPECT_EQ(fifo_->chunkCount(), 1);
        EXPECT_TRUE(fifo_->hasSpare());
        EXPECT_TRUE(boxes_.shown.empty());
    }
}

// The main thread takes buffers while the SoundThread puts them (the FIFO's
// lock and buffer count between the two threads): nothing is lost or torn.
TEST_F(SoundCaptureTest, BuffersTakenWhileTheThreadPutsAreWholeAndInOrder)
{
    const std::string file = writeCountingFile(120u * 8192u);
    ScopedAlsaConfig config(dir_, {{"default", file, "Counting card"}});
    ASSERT_EQ(capture().openCapture(), 0);
    std::vector<std::int16_t> buffer(TBufBufFifo::kBufferBytes / 2);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int taken = 0;
    while (taken < 60 && std::chrono::steady_clock::now() < limit) {
        if (fifo_->bufferCount() == 0 || fifo_->Get(buffer.data()) != 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        for (std::size_t i = 0; i < 8192; ++i)
            ASSERT_EQ(buffer[i], expected_[taken * 8192u + i]) << "buffer " << taken << " value " << i;
        ++taken;
    }
    capture().closeCapture();
    EXPECT_EQ(taken, 60);
    EXPECT_TRUE(boxes_.shown.empty());
}

// Reopening, as the setup dialog does after a device change, starts a new
// thread on the other device; the FIFO keeps what the first one queued.
TEST_F(SoundCaptureTest, ReopeningOnAnotherDeviceKeepsTheQueuedBuffers)
{
    const std::string file = writeCountingFile(40u * 8192u);
    ScopedAlsaConfig config(dir_, {{"first", file, "First card"}, {"second", "/dev/zero", "Second card"}});
    const std::vector<SoundDevice>& devices = capture().captureDevices();
    ASSERT_EQ(devices.size(), 2u);
    const int first = devices[0].name == "first" ? 0 : 1;
    settings_.captureDeviceId = first;
    ASSERT_EQ(capture().openCapture(), 0);
    ASSERT_TRUE(waitUntil([&] { return fifo_->bufferCount() >= 4; }));

    ASSERT_EQ(capture().reopenCapture(1 - first), 0);
    EXPECT_FALSE(state_.captureReopening);
    EXPECT_EQ(settings_.captureDeviceId, 1 - first);
    const int kept = fifo_->bufferCount();
    ASSERT_TRUE(waitUntil([&] { return fifo_->bufferCount() >= kept + 3; }));
    capture().closeCapture();

    std::vector<std::int16_t> buffer(TBufBufFifo::kBufferBytes / 2);
    for (int b = 0; b < kept; ++b) {
        ASSERT_EQ(fifo_->Get(buffer.data()), 0);
        // The first device's samples; a buffer cut short by the reopening
        // ends in silence.
        for (std::size_t i = 0; i < 8192; ++i) {
            if (buffer[i] != 0 || b + 1 < kept) {
                ASSERT_EQ(buffer[i], expected_[b * 8192u + i]) << "buffer " << b << " value " << i;
            }
        }
    }
    while (fifo_->Get(buffer.data()) == 0) {
        for (std::size_t i = 0; i < 8192; ++i)
            ASSERT_EQ(buffer[i], 0);
    }
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(SoundCaptureTest, OpenFailuresAreShownOnceWithTheirTexts)
{
    struct Case {
        const char* what;
        std::vector<AlsaTestPcm> pcms;
        int deviceId;
        int channel;
        std::string shown;
    };
    const std::string out = "Corvane - Device Open Error:   ";
    const Case cases[] = {
        {"no capture device at all", {}, -1, 0, "Error: No sound input device"},
        {"no capture device, a number asked for", {}, 3, 0, "Error: No sound input device"},
        {"number past the list", {{"default", "/dev/zero", "Quiet"}}, 1, 0,
         out + "Specified device identifier is out of range"},
        {"far past the list", {{"default", "/dev/zero", "Quiet"}}, 40, 1,
         out + "Specified device identifier is out of range"},
        // Listed, but what it records from cannot be opened.
        {"device without its file", {{"default", (dir_ / "gone.raw").string(), "Gone"}}, -1, 0,
         out + "No device driver is present"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedAlsaConfig config(dir_, c.pcms);
        capture_.reset();
        boxes_.shown.clear();
        settings_.captureDeviceId = c.deviceId;
        settings_.captureChannel = c.channel;
        EXPECT_EQ(capture().openCapture(), -1);
        ASSERT_EQ(boxes_.shown.size(), 1u);
        EXPECT_EQ(boxes_.shown[0], c.shown);
        EXPECT_FALSE(capture().isOpen());
        EXPECT_FALSE(state_.captureDeviceOpen);
        capture().closeCapture();  // nothing open: nothing to wait for
        EXPECT_EQ(boxes_.shown.size(), 1u);
    }
}

TEST(CaptureOpenErrors, AlsaErrorsGetTheTextsOfTheTable)
{
    struct Case {
        int error;
        bool format;
        const char* text;
    };
    const Case cases[] = {
        {-EBUSY, false, "  Specified resource is already allocated"},
        {-ENODEV, false, "  No device driver is present"},
        {-ENOMEM, true, "  Unable to allocate or lock memory"},
        {-EINVAL, true, "  Attempted to open with an unsupported waveform-audio format\n"},
        {-EINVAL, false, " Unrecognized ERROR "},
        {-EIO, false, " Unrecognized ERROR "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(captureOpenErrorText(c.error, c.format), c.text) << c.error;
}

TEST_F(SoundCaptureTest, DeviceListsAndTheOneListOfAudioSources)
{
    ScopedAlsaConfig config(dir_, {{"default", "/dev/zero", "Test card"},
                                   {"usb", "/dev/zero", "Приёмник USB"}});
    const std::vector<SoundDevice> devices = listSoundDevices(SoundDirection::Capture);
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].name, "default");
    EXPECT_EQ(devices[1].name, "usb");
    EXPECT_EQ(devices[1].description, "\xCF\xF0\xE8\xB8\xEC\xED\xE8\xEA USB");  // Windows-1251

    const std::vector<std::string> in = captureDeviceItems(devices);
    ASSERT_EQ(in.size(), 3u);
    EXPECT_EQ(in[0], "DEFAULT");
    EXPECT_EQ(in[2], "1  \xCF\xF0\xE8\xB8\xEC\xED\xE8\xEA USB");
    const std::vector<std::string> outItems = playbackDeviceItems(devices);
    ASSERT_EQ(outItems.size(), 4u);
    EXPECT_EQ(outItems[1], "The same as Input");
    EXPECT_EQ(outItems[3], in[2]);

    // Sound cards first, then UDP and standard input; each choice is a
    // value of the settings that hold it.
    const std::vector<AudioSourceChoice> choices = audioSourceChoices(devices, "udp:9000");
    ASSERT_EQ(choices.size(), 5u);
    EXPECT_EQ(choices[2].label, in[2]);
    EXPECT_EQ(choices[2].captureDeviceId, 1);
    EXPECT_EQ(choices[3].source, "udp:9000");
    EXPECT_EQ(choices[4].source, "stdin");
    struct Where {
        std::string source;
        int deviceId;
        int index;
    };
    const Where where[] = {{"", -1, 0}, {"", 1, 2}, {"", 7, 0}, {"udp:9000", -1, 3}, {"udp:127.0.0.1:9000", 0, 3},
                           {"stdin", -1, 4}, {"tape:1", -1, 0}};
    for (const Where& w : where)
        EXPECT_EQ(audioSourceChoiceIndex(choices, w.source, w.deviceId), w.index) << w.source << " " << w.deviceId;
    EXPECT_EQ(audioSourceChoices(devices, "")[3].source, "udp:7355");
    const std::vector<AudioSourceChoice> withFile = audioSourceChoices(devices, "wav:/data/a.wav");
    EXPECT_EQ(withFile.back().source, "wav:/data/a.wav");
    EXPECT_EQ(audioSourceChoiceIndex(withFile, "wav:/data/a.wav", -1), static_cast<int>(withFile.size()) - 1);
}

}  // namespace
}  // namespace veltrin
