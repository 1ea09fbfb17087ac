// The loop of decoding a file: format checks with their messages, the
// blocks handed to the sample chain, pacing, stopping, and the live buffers
// that arrive meanwhile.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "config/app_state.h"
#include "config/settings.h"
#include "audio/buf_buf_fifo.h"
#include "audio/file_decoding.h"
#include "audio/sample_chain.h"
#include "audio/uni_resample.h"
#include "audio/wave_read.h"
#include "audio/wave_write.h"
#include "platform/ui_ports.h"
#include "platform/window_messages.h"
#include "wav_files.h"

namespace veltrin {
namespace {

using test::TempDir;

struct RecordedBoxes : MessageBoxes {
    std::vector<std::pair<std::string, std::string>> shown;
    void showMessage(const std::string& text, const std::string& caption) override
    {
        shown.emplace_back(text, caption);
    }
};

struct RecordedPoster : WindowMessagePoster {
    std::vector<unsigned> posted;
    void postWindowMessage(unsigned message, WParam) override { posted.push_back(message); }
};

// A sample chain without decoders whose resampler (at equal rates, so every
// sample passes unchanged) collects what the decoders would receive.
class FileDecodingTest : public ::testing::Test {
protected:
    FileDecodingTest()
    {
        first.Setup(57, kDecimator57Taps);
        chain = std::make_unique<SampleChain>(settings, state, *fifo, first, second, resampler,
                                              std::array<TIfsk16Decoder*, 4>{});
        resampler.Setup(12000.0, 12000.0, [this](double x) { fed.push_back(static_cast<std::int16_t>(x)); });
        hooks.boxes = &boxes;
    }

    FileDecodeResult decode(const std::string& path) { return decodeWaveFile(path, reader, *chain, state, hooks); }

    TempDir dir;
    Settings settings;
    AppState state;
    std::unique_ptr<TBufBufFifo> fifo = std::make_unique<TBufBufFifo>();
    Decimator2Ex first;
    Decimator2 second;
    TUniResample resampler;
    std::unique_ptr<SampleChain> chain;
    TWaveRead reader;
    RecordedBoxes boxes;
    FileDecodeHooks hooks;
    std::vector<std::int16_t> fed;
};

TEST_F(FileDecodingTest, RefusedFilesShowTheirMessageAndFeedNothing)
{
    const auto samples = test::testSamples(1000);
    ASSERT_TRUE(test::soxWav16(dir, samples, 44100, 1, dir.file("44k.wav")));
    ASSERT_TRUE(test::soxWav16(dir, samples, 12000, 1, dir.file("float.wav"), "-e floating-point -b 32"));
    ASSERT_TRUE(test::soxWav16(dir, samples, 12000, 1, dir.file("24bit.wav"), "-b 24"));
    test::writeBytes(dir.file("garbage.wav"), {'R', 'I', 'F', 'F', 1, 2, 3, 4, 5, 6, 7, 8, 9});
    // A 12-channel file: frames of 24 bytes.
    ASSERT_TRUE(test::soxWav16(dir, std::vector<std::int16_t>(1200, 5), 12000, 12, dir.file("12ch.wav")));

    struct Case {
        const char* file;
        FileDecodeResult result;
        const char* message;
    };
    const Case cases[] = {
        {"44k.wav", FileDecodeResult::UnsupportedRate, "Unsupported sample rate!"},
        {"float.wav", FileDecodeResult::UnsupportedFormat, "Unsupported audio format!"},
        {"24bit.wav", FileDecodeResult::UnsupportedFormat, "Unsupported audio format!"},
        {"12ch.wav", FileDecodeResult::UnsupportedFormat, "Unsupported audio format!"},
        {"garbage.wav", FileDecodeResult::OpenError, "File Open Error!"},
        {"missing.wav", FileDecodeResult::OpenError, "File Open Error!"},
    };
    bool started = false;
    hooks.started = [&] { started = true; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        boxes.shown.clear();
        EXPECT_EQ(decode(dir.file(c.file)), c.result);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].first, c.message);
        EXPECT_EQ(boxes.shown[0].second, "File Error");
        EXPECT_FALSE(reader.isOpen());
        EXPECT_FALSE(state.decodingFromFile);
    }
    EXPECT_FALSE(started);
    EXPECT_TRUE(fed.empty());
}

TEST_F(FileDecodingTest, LastBlockIsCompletedWithZeros)
{
    const auto samples = test::testSamples(5000);
    const std::string path = dir.file("12k.wav");
    ASSERT_TRUE(test::soxWav16(dir, samples, 12000, 1, path));
    std::vector<FileDecodeProgress> progress;
    hooks.progress = [&](const FileDecodeProgress& p) {
        EXPECT_TRUE(state.decodingFromFile);
        progress.push_back(p);
    };
    ASSERT_EQ(decode(path), FileDecodeResult::Finished);
    ASSERT_EQ(fed.size(), 3u * 2048u);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), fed.begin()));
    EXPECT_TRUE(std::all_of(fed.begin() + 5000, fed.end(), [](std::int16_t s) { return s == 0; }));
    ASSERT_EQ(progress.size(), 3u);
    EXPECT_EQ(progress[2].samplesFed, 6144);
    EXPECT_LT(progress[0].fraction, progress[1].fraction);
    EXPECT_DOUBLE_EQ(progress[2].fraction, 1.0);
    EXPECT_FALSE(state.decodingFromFile);
    EXPECT_TRUE(state.blockFromFile);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(reader.isOpen());
}

TEST_F(FileDecodingTest, FortyEightKilohertzGoesThroughBothStages)
{
    const auto samples = test::testSamples(4 * 3000, 9);
    const std::string path = dir.file("48k.wav");
    ASSERT_TRUE(test::soxWav16(dir, samples, 48000, 1, path));
    ASSERT_EQ(decode(path), FileDecodeResult::Finished);
    std::vector<std::int16_t> padded = samples;
    padded.resize(4 * 4096, 0);  // the reader's filters ring out into the padding
    EXPECT_EQ(fed, test::decimateLikeChain(padded, 48000));
}

TEST_F(FileDecodingTest, PacedDecodingHonoursFastModeAndStop)
{
    const std::string path = dir.file("paced.wav");
    ASSERT_TRUE(test::soxWav16(dir, test::testSamples(3 * 2048), 12000, 1, path));
    int passes = 0;
    int sleeps = 0;
    hooks.sleep = [&](std::chrono::milliseconds) { ++sleeps; };
    hooks.processPendingMessages = [&] {
        ++passes;
        state.fastDecoding = true;  // the button goes down during the first block
    };
    ASSERT_EQ(decode(path), FileDecodeResult::Finished);
    EXPECT_EQ(passes, 3) << "fast mode: one pass of event processing per block";
    EXPECT_EQ(sleeps, 0);

    // Normal pace: blocks at most every 100 ms.
    state.fastDecoding = false;
    passes = 0;
    hooks.sleep = {};
    hooks.processPendingMessages = [&] { ++passes; };
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(decode(path), FileDecodeResult::Finished);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(300));
    EXPECT_GE(passes, 6);

    // A second decoding asked for from inside the loop is ignored.
    FileDecodeResult nested = FileDecodeResult::Finished;
    hooks.processPendingMessages = [&] {
        state.fastDecoding = true;
        nested = decodeWaveFile(path, reader, *chain, state, hooks);
    };
    fed.clear();
    ASSERT_EQ(decode(path), FileDecodeResult::Finished);
    EXPECT_EQ(nested, FileDecodeResult::AlreadyDecoding);
    EXPECT_EQ(fed.size(), 3u * 2048u);

    // Stop after the first block.
    fed.clear();
    hooks.sleep = [](std::chrono::milliseconds) {};
    hooks.processPendingMessages = [&] { state.stopFileDecoding = true; };
    EXPECT_EQ(decode(path), FileDecodeResult::Stopped);
    EXPECT_EQ(fed.size(), 2048u);
    EXPECT_FALSE(reader.isOpen());
    EXPECT_FALSE(state.decodingFromFile);
}

TEST_F(FileDecodingTest, LiveBuffersAreRecordedNotDecodedAndTheBacklogIsReposted)
{
    const std::string path = dir.file("f.wav");
    const auto samples = test::testSamples(2 * 2048, 4);
    ASSERT_TRUE(test::soxWav16(dir, samples, 12000, 1, path));
    std::vector<std::int16_t> live(TBufBufFifo::kBufferBytes / 2, 1111);
    RecordedPoster poster;
    hooks.fifo = fifo.get();
    hooks.poster = &poster;
    hooks.processPendingMessages = [&] { state.fastDecoding = true; };

    // Device closed: the buffers stay and are reposted afterwards.
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(fifo->Put(live.data()), 0);
    ASSERT_EQ(decode(path), FileDecodeResult::Finished);
    EXPECT_EQ(poster.posted, std::vector<unsigned>(3, WM_AUDIO_BLOCK));

    // Device open and capturing: taken out and written, never decoded.
    fed.clear();
    poster.posted.clear();
    state.captureDeviceOpen = true;
    state.captureFileOpen = true;
    TWaveWrite capture;
    ASSERT_EQ(capture.Open(dir.file("capture.wav"), 1, 16, 48000), 0);
    chain->setCaptureWriter([&](const std::int16_t* s, int frames) { return capture.Write(s, frames); });
    ASSERT_EQ(decode(path), FileDecodeResult::Finished);
    EXPECT_EQ(fed, samples) << "only the file reaches the decoders";
    EXPECT_EQ(fifo->bufferCount(), 1) << "one buffer taken per block";
    EXPECT_EQ(poster.posted.size(), 1u);
    ASSERT_EQ(capture.Close(), 0);
    EXPECT_EQ(test::le32At(test::readBytes(dir.file("capture.wav")), 40), 2u * 16384u);
}

}  // namespace
}  // namespace veltrin
