#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/sample_chain.h"
#include "modem/ifsk16_decoder.h"
#include "platform/ui_ports.h"

using namespace veltrin;

namespace {

struct RecordingMeter : LevelMeterPort {
    struct Reading {
        int light, dark;
        std::string text;
        bool red;
    };
    std::vector<Reading> readings;
    void showLevel(int light, int dark, const std::string& text, bool red) override
    {
        readings.push_back({light, dark, text, red});
    }
};

struct RecordingBoxes : MessageBoxes {
    std::vector<std::string> shown;
    void showMessage(const std::string& text, const std::string& caption) override
    {
        shown.push_back(caption + "|" + text);
    }
};

// The chain with its own FIFO, filters and resampler; decoders are optional.
struct ChainFixture {
    Settings settings;
    AppState state;
    std::unique_ptr<TBufBufFifo> fifo = std::make_unique<TBufBufFifo>();
    Decimator2Ex first;
    Decimator2 second;
    TUniResample resampler;
    std::array<std::unique_ptr<TIfsk16Decoder>, 4> decoders;
    std::unique_ptr<SampleChain> chain;

    explicit ChainFixture(bool withDecoders = false)
    {
        first.Setup(57, kDecimator57Taps);
        std::array<TIfsk16Decoder*, 4> raw{};
        if (withDecoders)
            for (int i = 0; i < 4; ++i) {
                decoders[i] = std::make_unique<TIfsk16Decoder>();
                raw[i] = decoders[i].get();
            }
        chain = std::make_unique<SampleChain>(settings, state, *fifo, first, second, resampler, raw);
        state.captureDeviceOpen = true;
    }

    void putBuffers(int n, std::int16_t (*value)(int index) = nullptr)
    {
        std::vector<std::int16_t> b(TBufBufFifo::kBufferBytes / 2);
        for (int k = 0; k < n; ++k) {
            for (std::size_t i = 0; i < b.size(); ++i)
                b[i] = value ? value(static_cast<int>(i)) : 0;
            fifo->Put(b.data());
        }
    }
};

}  // namespace

TEST(SampleChain, BacklogIsDrainedEightThenFiveThenOne)
{
    ChainFixture f;
    f.putBuffers(20);
    std::vector<int> left;
    for (int i = 0; i < 4; ++i) {
        f.chain->processAudioBlocks();
        left.push_back(f.fifo->bufferCount());
    }
    EXPECT_EQ(left, (std::vector<int>{12, 7, 6, 5}));
}

TEST(SampleChain, IgnoresBlocksWhileClosedReopeningOrShuttingDown)
{
    struct Case {
        const char* name;
        void (*set)(AppState&);
    } cases[] = {
        {"device closed", [](AppState& s) { s.captureDeviceOpen = false; }},
        {"reopening", [](AppState& s) { s.captureReopening = true; }},
        {"shutting down", [](AppState& s) { s.shuttingDown = true; }},
    };
    for (const Case& c : cases) {
        ChainFixture f;
        f.putBuffers(3);
        c.set(f.state);
        f.chain->processAudioBlocks();
        EXPECT_EQ(f.fifo->bufferCount(), 3) << c.name;
    }
}

TEST(SampleChain, ChannelSelectionPicksTheRightSamples)
{
    std::vector<std::int16_t> b(16384);
    for (int channel = 0; channel < 3; ++channel) {
        for (std::size_t i = 0; i < b.size(); ++i)
            b[i] = static_cast<std::int16_t>(i);
        SampleChain::selectChannel(b.data(), channel);
        for (int k = 0; k < 8192; k += 97) {
            const int expected = channel == 0 ? k : channel == 1 ? 2 * k : 2 * k + 1;
            ASSERT_EQ(b[k], expected) << "channel " << channel << " sample " << k;
        }
    }
}

TEST(SampleChain, WhileDecodingFromFileLiveBuffersAreRecordedButNotDecoded)
{
    ChainFixture f;
    f.settings.captureChannel = 2;
    f.state.decodingFromFile = true;
    f.state.captureFileOpen = true;
    RecordingMeter meter;
    f.chain->setLevelMeter(&meter);
    std::vector<std::int16_t> written;
    f.chain->setCaptureWriter([&](const std::int16_t* s, int frames) {
        written.assign(s, s + frames);
        return 0;
    });
    f.putBuffers(1, [](int i) { return static_cast<std::int16_t>(i % 2 ? 1000 : -5); });
    f.chain->processAudioBlocks();
    EXPECT_EQ(f.fifo->bufferCount(), 0);
    ASSERT_EQ(written.size(), 8192u);
    EXPECT_EQ(written.front(), 1000);  // right channel only
    EXPECT_EQ(written.back(), 1000);
    // Nothing was decimated, so the meter never counted a sample.
    for (int i = 0; i < 7; ++i) {
        std::int16_t block[2048] = {};
        f.chain->feedDecimatedBlock(block, true);
    }
    ASSERT_EQ(meter.readings.size(), 0u);
    std::int16_t block[2048] = {};
    f.chain->feedDecimatedBlock(block, true);  // 16384 samples now: one reading
    EXPECT_EQ(meter.readings.size(), 1u);
}

TEST(SampleChain, CaptureWriteFailureIsReportedAndClosesTheFile)
{
    ChainFixture f;
    f.state.captureFileOpen = true;
    RecordingBoxes boxes;
    int closes = 0;
    f.chain->setMessageBoxes(&boxes);
    f.chain->setCaptureWriter([](const std::int16_t*, int) { return 2; });
    f.chain->setCaptureCloser([&] {
        ++closes;
        f.state.captureFileOpen = false;
    });
    f.putBuffers(2);
    f.chain->processAudioBlocks();
    f.chain->processAudioBlocks();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], "File Error|Wave capture file write error!");
    EXPECT_EQ(closes, 1);
}

TEST(LevelMeter, ReadingsOfPeaks)
{
    struct Case {
        int peak, light, dark;
        bool red;
        const char* text;
    } cases[] = {
        {0, 0, 0, false, "0      "},      {7, 0, 0, false, "3      "},
        {8, 1, 0, false, "4      "},      {255, 3, 0, false, "8      "},
        {4095, 7, 0, false, "12      "},  {8191, 8, 0, false, "13      "},
        {16383, 8, 9, false, "14      "}, {16384, 8, 9, true, "15      "},
        {32767, 8, 9, true, "15      "},
    };
    for (const Case& c : cases) {
        LevelReading r = levelReading(c.peak);
        EXPECT_EQ(r.light, c.light) << c.peak;
        EXPECT_EQ(r.dark, c.dark) << c.peak;
        EXPECT_EQ(r.red, c.red) << c.peak;
        EXPECT_EQ(r.text, c.text) << c.peak;
    }
}

TEST(LevelMeter, ChangesEvery16000SamplesAndLimitsMinusFullScale)
{
    ChainFixture f;
    RecordingMeter meter;
    f.chain->setLevelMeter(&meter);
    for (int i = 0; i < 15999; ++i)
        f.chain->updateLevelMeter(i == 10 ? -32768 : 3);
    EXPECT_TRUE(meter.readings.empty());
    f.chain->updateLevelMeter(0);
    ASSERT_EQ(meter.readings.size(), 1u);
    EXPECT_TRUE(meter.readings[0].red);
    EXPECT_EQ(meter.readings[0].text, "15      ");
    for (int i = 0; i < 16000; ++i)
        f.chain->updateLevelMeter(0);
    ASSERT_EQ(meter.readings.size(), 2u);
    EXPECT_EQ(meter.readings[1].text, "0      ");
    EXPECT_EQ(meter.readings[1].light, 0);
}

TEST(SampleChain, DisabledSpeedsGetNoSamplesAndDecimatedBlocksPassUnchangedAt48k)
{
    ChainFixture f(true);
    f.settings.EnableX16Rx = 0;
    f.chain->setupReceiveChain(1700.0);
    EXPECT_EQ(f.decoders[0]->speed(), 1);
    EXPECT_EQ(f.decoders[3]->speed(), 32);
    EXPECT_EQ(f.decoders[2]->bandLo(), 1710.9375 - 8.5 * 23.4375);  // fixed centre
    std::int16_t block[2048];
    for (int i = 0; i < 2048; ++i)
        block[i] = static_cast<std::int16_t>((i * 37) % 2000 - 1000);
    for (int n = 0; n < 6; ++n)
        f.chain->feedDecimatedBlock(block, false);
    // 12288 samples: hops of 23.273 samples at speed 32, none at speed 16.
    EXPECT_GT(f.decoders[3]->histPos(), 0);
    EXPECT_EQ(f.decoders[2]->histPos(), 0);
    EXPECT_GT(f.decoders[1]->histPos(), 0);
    EXPECT_FALSE(f.state.blockFromFile);
    EXPECT_TRUE(f.state.fullRedraw);
}
