// The recordings of an independent transmitter must decode to exactly the
// listed messages, and nothing else may come out of any of the four decoders.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "config/settings.h"
#include "audio/recording_decoder.h"
#include "decoder_test_util.h"
#include "modem/crc16.h"
#include "modem/decoder_shared.h"
#include "modem/ifsk16_decoder.h"

namespace veltrin {
namespace {

using test::readWav16;
using test::RecordingSink;

struct ExpectedMessage {
    int type, flags, sender, recipient, msgNumber, length;
    const char* bodyHex;
    int faultCount, symbolCount;
    int correctedErrors;  // -1 where noise makes it vary
    int speed;
};

struct RecordingCase {
    const char* wav;
    ExpectedMessage expected;
};

std::string hexOf(const std::uint8_t* p, int n)
{
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (int i = 0; i < n; ++i) {
        s.push_back(digits[p[i] >> 4]);
        s.push_back(digits[p[i] & 15]);
    }
    return s;
}

// Mirrors tests/data/recordings.json.
const RecordingCase kCases[] = {
    {"known_text_s1.wav", {5, 160, 777, 4242, 9, 7, "435120312e3436", 0, 120, 0, 1}},
    {"known_text_s16.wav",
     {5, 160, 31000, 2, 42, 41,
      "5468726565206461746120626c6f636b732061742032332e34342042642c20616c6c20636c65616e2e", 0, 300, 0, 16}},
    {"known_gps_s32.wav",
     {6, 164, 20202, 7, 43, 32, "4e521066295c8fea713d0ad36a010e6a1c0230009f15bd9553616e746961676f", 0, 240,
      0, 32}},
    {"known_beacon_s32_noisy.wav", {6, 160, 30303, 0, 44, 13, "426561636f6e2c202d33206442", 0, 180, -1, 32}},
};

class Recordings : public ::testing::TestWithParam<RecordingCase> {};

// Both decoding modes must give exactly the listed message.
void expectKnownMessage(const RecordingCase& c, bool enhanced)
{
    SCOPED_TRACE(enhanced ? "enhanced" : "standard");
    int rate = 0;
    const std::vector<float> samples = readWav16(std::string(VELTRIN_TEST_DATA) + "/" + c.wav, &rate);
    ASSERT_FALSE(samples.empty());
    ASSERT_EQ(rate, 12000);

    Settings settings;
    settings.enhancedDecoder = enhanced ? 1 : 0;
    RecordingSink sink;
    DecoderLinks links;
    links.sink = &sink;
    links.options = &settings;
    auto decoders = test::stationDecoders(links);
    for (float x : samples)
        for (auto& d : decoders)
            d->PutSample(x);

    std::ostringstream got;
    for (const ReceivedMessage& m : sink.messages)
        got << "[speed " << m.speed << " type " << int(m.header.type) << " len " << int(m.header.length)
            << " faults " << m.faultCount << " symbols " << m.symbolCount << " corrected " << m.correctedErrors
            << "] ";
    ASSERT_EQ(sink.messages.size(), 1u) << got.str();
    const ReceivedMessage& m = sink.messages[0];
    const ExpectedMessage& e = c.expected;
    EXPECT_EQ(m.speed, e.speed);
    EXPECT_EQ(m.header.type, e.type);
    EXPECT_EQ(m.header.flags, e.flags);
    EXPECT_EQ(m.header.sender, e.sender);
    EXPECT_EQ(m.header.recipient, e.recipient);
    EXPECT_EQ(m.header.msgNumber, e.msgNumber);
    EXPECT_EQ(m.header.length, e.length);
    EXPECT_EQ(hexOf(m.body.data(), m.header.length), e.bodyHex);
    EXPECT_EQ(m.faultCount, e.faultCount);
    EXPECT_EQ(m.symbolCount, e.symbolCount);
    if (e.correctedErrors >= 0) {
        EXPECT_EQ(m.correctedErrors, e.correctedErrors);
    }
    EXPECT_EQ(crc16(m.body.data(), m.header.length), m.header.bodyCrc) << "body CRC";
}

TEST_P(Recordings, DecodeExactlyTheKnownMessage) { expectKnownMessage(GetParam(), false); }

TEST_P(Recordings, EnhancedModeGivesTheSameMessage) { expectKnownMessage(GetParam(), true); }

INSTANTIATE_TEST_SUITE_P(KnownTransmissions, Recordings, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<RecordingCase>& info) {
                             std::string name = info.param.wav;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace veltrin

namespace veltrin {
namespace {

// The same recordings, plus the 48 kHz one, through the station's own sample
// chain (decimation and resampling to 12000 Hz) as the file decoder runs it.
TEST(RecordingsThroughSampleChain, EveryRecordingGivesItsOneMessage)
{
    struct Case {
        const char* wav;
        int speed, msgNumber, length, symbolCount;
    };
    const Case cases[] = {{"known_text_s1.wav", 1, 9, 7, 120},
                          {"known_text_s4_48k.wav", 4, 41, 21, 180},
                          {"known_text_s16.wav", 16, 42, 41, 300},
                          {"known_gps_s32.wav", 32, 43, 32, 240},
                          {"known_beacon_s32_noisy.wav", 32, 44, 13, 180}};
    for (const Case& c : cases)
        for (const bool enhanced : {false, true}) {
            SCOPED_TRACE(enhanced ? "enhanced" : "standard");
            Settings settings;
            RecordingOptions options;
            options.enhanced = enhanced;
            applyRecordingOptions(options, settings);
            RecordingSink sink;
            RecordingDecoder decoder(settings);
            decoder.setOutlets(&sink);
            ASSERT_EQ(decoder.decode(std::string(VELTRIN_TEST_DATA) + "/" + c.wav), FileDecodeResult::Finished)
                << c.wav;
            ASSERT_EQ(sink.messages.size(), 1u) << c.wav;
            const ReceivedMessage& m = sink.messages[0];
            EXPECT_EQ(m.speed, c.speed) << c.wav;
            EXPECT_EQ(m.header.msgNumber, c.msgNumber) << c.wav;
            EXPECT_EQ(m.header.length, c.length) << c.wav;
            EXPECT_EQ(m.faultCount, 0) << c.wav;
            EXPECT_EQ(m.symbolCount, c.symbolCount) << c.wav;
            EXPECT_EQ(crc16(m.body.data(), m.header.length), m.header.bodyCrc) << c.wav;
        }
}

}  // namespace
}  // namespace veltrin
