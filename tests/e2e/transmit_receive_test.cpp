// The transmitter's signal through the receiving station's real sample chain
// and decoders: what was sent must come out, and nothing else.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "e2e/receiving_station.h"
#include "modem/crc16.h"
#include "modem/test_signal.h"
#include "modem/transmission.h"

namespace veltrin {
namespace {

SignalPart textPart(int speed, std::uint16_t sender, std::uint8_t number, const std::string& text)
{
    SignalPart p;
    p.message.sender = sender;
    p.message.recipient = 4242;
    p.message.msgNumber = number;
    p.message.body.assign(text.begin(), text.end());
    p.modulator.speed = speed;
    return p;
}

int blockCount(const OutgoingMessage& m) { return 1 + static_cast<int>((m.body.size() + 11) / 12); }

// Each sent part must have been received once, complete and clean, in order.
void expectExactly(const std::vector<ReceivedMessage>& got, const std::vector<SignalPart>& sent, bool noiseFree)
{
    ASSERT_EQ(got.size(), sent.size()) << "messages received";
    for (std::size_t i = 0; i < sent.size(); ++i) {
        SCOPED_TRACE("message " + std::to_string(i + 1));
        const OutgoingMessage& m = sent[i].message;
        const Msg_header want = sealedHeader(m);
        const ReceivedMessage& r = got[i];
        EXPECT_EQ(r.speed, sent[i].modulator.speed);
        EXPECT_EQ(r.header.type, want.type);
        EXPECT_EQ(r.header.flags, want.flags);
        EXPECT_EQ(r.header.sender, want.sender);
        EXPECT_EQ(r.header.recipient, want.recipient);
        EXPECT_EQ(r.header.msgNumber, want.msgNumber);
        EXPECT_EQ(r.header.length, want.length);
        EXPECT_EQ(r.header.bodyCrc, want.bodyCrc);
        EXPECT_EQ(crc16(r.body.data(), r.header.length), want.bodyCrc);
        EXPECT_EQ(std::string(r.body.begin(), r.body.begin() + r.header.length),
                  std::string(m.body.begin(), m.body.end()));
        EXPECT_EQ(r.faultCount, 0);
        EXPECT_EQ(r.symbolCount, 60 * blockCount(m));
        if (noiseFree) {
            EXPECT_EQ(r.correctedErrors, 0);
        }
    }
}

struct Scenario {
    const char* name;
    std::vector<SignalPart> parts;
    TestSignalSettings signal;
    test::ReceiverOptions receiver;
};

TestSignalSettings at48k(double snrDb = NAN, std::uint64_t seed = 1, double realRate = 0.0)
{
    TestSignalSettings s;
    s.nominalRate = 48000;
    s.realRate = realRate;
    s.snrDb = snrDb;
    s.noiseSeed = seed;
    return s;
}

SignalPart withOffset(SignalPart p, double hz)
{
    p.modulator.freqOffsetHz = hz;
    return p;
}

SignalPart onLsb(SignalPart p)
{
    p.modulator.lsb = true;
    return p;
}

std::vector<Scenario> scenarios()
{
    std::vector<Scenario> list;
    auto add = [&](const char* name, std::vector<SignalPart> parts, TestSignalSettings signal,
                   test::ReceiverOptions receiver = {}) {
        list.push_back({name, std::move(parts), signal, receiver});
    };
    // Header and two data blocks at every speed.
    add("Clean1", {textPart(1, 101, 1, "Slowest speed, 1.46")}, at48k());
    add("Clean4", {textPart(4, 104, 4, "Speed 5.86 Bd, clean!")}, at48k());
    add("Clean16", {textPart(16, 116, 16, "Speed 23.44 Bd, clean")}, at48k());
    add("Clean32", {textPart(32, 132, 32, "Speed 46.88 Bd, clean")}, at48k());
    // Noise a few dB above where half the messages get through.
    add("Noisy1", {textPart(1, 201, 1, "Noisy 1.46 Bd text")}, at48k(-15.0, 11));
    add("Noisy4", {textPart(4, 204, 4, "Noisy 5.86 Bd text")}, at48k(-11.0, 12));
    add("Noisy16", {textPart(16, 216, 16, "Noisy 23.44 Bd text")}, at48k(-6.0, 13));
    add("Noisy32", {textPart(32, 232, 32, "Noisy 46.88 Bd text")}, at48k(-3.0, 14));
    // Mistuned transmitters; the receiver's tuning stays at its default.
    add("Offset1", {withOffset(textPart(1, 301, 1, "Mistuned by -7.7 Hz"), -7.7)}, at48k());
    add("Offset4", {withOffset(textPart(4, 304, 4, "Mistuned by +31.3 Hz"), 31.3)}, at48k());
    add("Offset16", {withOffset(textPart(16, 316, 16, "Mistuned by -61.7 Hz"), -61.7)}, at48k());
    add("Offset32", {withOffset(textPart(32, 332, 32, "Mistuned by +97.1 Hz"), 97.1)}, at48k());
    // A sound card 250 ppm fast, calibrated in the receiver's SamplingFreq.
    test::ReceiverOptions calibrated;
    calibrated.samplingFreq = 48012.0;
    add("ClockError4", {textPart(4, 404, 4, "Sound card at 48012 Hz")}, at48k(NAN, 1, 48012.0), calibrated);
    add("ClockError32", {textPart(32, 432, 32, "Sound card at 48012 Hz")}, at48k(-2.0, 21, 48012.0), calibrated);
    test::ReceiverOptions slowCard;
    slowCard.samplingFreq = 47990.0;
    add("ClockErrorSlow16", {textPart(16, 416, 16, "Sound card at 47990 Hz")}, at48k(NAN, 1, 47990.0), slowCard);
    // Sideband inversion on both ends.
    test::ReceiverOptions lsb;
    lsb.inverse = true;
    add("Lsb4", {onLsb(textPart(4, 504, 4, "Received on LSB"))}, at48k(), lsb);
    add("Lsb32", {onLsb(textPart(32, 532, 32, "Received on LSB, noisy"))}, at48k(-2.0, 31), lsb);
    // Back to back: the same speed twice, then two speeds one after the other.
    TestSignalSettings shortGap = at48k();
    shortGap.gapS = 0.3;
    add("TwoMessages16", {textPart(16, 616, 1, "First of two messages"), textPart(16, 616, 2, "Second, 0.3 s later")},
        shortGap);
    add("TwoSpeeds", {textPart(32, 632, 1, "Fast message first."), textPart(4, 604, 2, "Then a slower one")},
        at48k(-1.0, 41));
    return list;
}

class TransmitReceive : public testing::TestWithParam<Scenario> {};

TEST_P(TransmitReceive, EverySentMessageArrivesOnceAndNothingElse)
{
    const Scenario& s = GetParam();
    const TestSignal signal = makeTestSignal(s.parts, s.signal);
    ASSERT_TRUE(signal.error.empty()) << signal.error;
    test::ReceivingStation station(s.receiver);
    station.play(toPcm16(signal.samples));
    expectExactly(station.messages(), s.parts, std::isnan(s.signal.snrDb));
}

INSTANTIATE_TEST_SUITE_P(E2e, TransmitReceive, testing::ValuesIn(scenarios()),
                         [](const testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace veltrin
