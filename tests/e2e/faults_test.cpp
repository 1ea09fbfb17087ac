// Deliberately damaged transmissions through the whole receiving chain: the
// receiver must report each kind of damage the way it is meant to, and
// noise alone must never produce a message.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "e2e/receiving_station.h"
#include "modem/crc16.h"
#include "modem/gps_payload.h"
#include "modem/test_signal.h"
#include "modem/transmission.h"

namespace veltrin {
namespace {

const std::string kThreeBlocks = "Thirty-six bytes in three blocks ok.";  // 36 bytes

SignalPart fastText(const std::string& text, const TransmissionFaults& faults = {})
{
    SignalPart p;
    p.message.sender = 777;
    p.message.recipient = 4242;
    p.message.msgNumber = 9;
    p.message.body.assign(text.begin(), text.end());
    p.modulator.speed = 32;
    p.faults = faults;
    return p;
}

test::ReceivingStation& receive(test::ReceivingStation& station, const std::vector<SignalPart>& parts,
                                double snrDb = NAN)
{
    TestSignalSettings s;
    s.snrDb = snrDb;
    s.noiseSeed = 99;
    const TestSignal signal = makeTestSignal(parts, s);
    EXPECT_TRUE(signal.error.empty()) << signal.error;
    station.play(toPcm16(signal.samples));
    return station;
}

std::string bodyText(const ReceivedMessage& m, int n) { return std::string(m.body.begin(), m.body.begin() + n); }

TEST(Faults, MissingHeaderGivesAHeadlessMessage)
{
    ASSERT_EQ(kThreeBlocks.size(), 36u);
    TransmissionFaults f;
    f.noHeader = true;
    test::ReceivingStation station;
    receive(station, {fastText(kThreeBlocks, f)});
    ASSERT_EQ(station.messages().size(), 1u);
    const ReceivedMessage& m = station.messages()[0];
    EXPECT_EQ(m.header.type, 0);
    EXPECT_EQ(m.header.length, 252);
    EXPECT_EQ(bodyText(m, 36), kThreeBlocks);
    EXPECT_EQ(m.body[36], kBodyFiller);
    EXPECT_EQ(m.symbolCount, 180);
    // The lost header, and a last block far short of 252 bytes.
    EXPECT_EQ(m.faultCount, 2);
}

TEST(Faults, DamagedHeaderCrcIsRefusedAndTheBlocksArriveHeadless)
{
    TransmissionFaults f;
    f.wrongHeaderCrc = true;
    test::ReceivingStation station;
    receive(station, {fastText(kThreeBlocks, f)});
    ASSERT_EQ(station.messages().size(), 1u);
    EXPECT_EQ(station.messages()[0].header.type, 0);
    EXPECT_EQ(bodyText(station.messages()[0], 36), kThreeBlocks);
}

TEST(Faults, DroppedBlockLeavesAGapOfFillerBytes)
{
    TransmissionFaults f;
    f.droppedBlocks = {1};  // the second of three data blocks
    test::ReceivingStation station;
    receive(station, {fastText(kThreeBlocks, f)});
    ASSERT_EQ(station.messages().size(), 1u);
    const ReceivedMessage& m = station.messages()[0];
    EXPECT_EQ(m.header.length, 36);
    EXPECT_EQ(bodyText(m, 12), kThreeBlocks.substr(0, 12));
    EXPECT_EQ(std::string(m.body.begin() + 12, m.body.begin() + 24), std::string(12, '\x95'));
    EXPECT_EQ(bodyText(m, 36).substr(24), kThreeBlocks.substr(24));
    EXPECT_EQ(m.faultCount, 1);
    EXPECT_EQ(m.symbolCount, 180);  // header and the two blocks received
}

TEST(Faults, WrongBodyCrcArrivesCleanButDoesNotMatch)
{
    TransmissionFaults f;
    f.wrongBodyCrc = true;
    test::ReceivingStation station;
    receive(station, {fastText(kThreeBlocks, f)});
    ASSERT_EQ(station.messages().size(), 1u);
    const ReceivedMessage& m = station.messages()[0];
    EXPECT_EQ(m.faultCount, 0);
    EXPECT_EQ(bodyText(m, 36), kThreeBlocks);
    EXPECT_NE(m.header.bodyCrc, crc16(m.body.data(), 36));
}

TEST(Faults, FourWrongSymbolsPerCodewordAreAllCorrected)
{
    TransmissionFaults f;
    f.corruptPerCodeword = 4;
    f.seed = 5;
    test::ReceivingStation station;
    receive(station, {fastText(kThreeBlocks, f)});
    ASSERT_EQ(station.messages().size(), 1u);
    const ReceivedMessage& m = station.messages()[0];
    EXPECT_EQ(bodyText(m, 36), kThreeBlocks);
    EXPECT_EQ(m.faultCount, 0);
    EXPECT_EQ(m.correctedErrors, 4 * 4 * 4);  // four blocks of four codewords
}

TEST(Faults, AcknowledgementsOnlySetTheResultText)
{
    struct Case {
        std::uint8_t flags;
        const char* text;
    };
    const Case cases[] = {{kMsgFlagsPositiveAck, "Got Positive ACK"},
                          {kMsgFlagsNegativeAck, "Got Negative ACK"},
                          {0xA7, "Got Invalid ACK"}};
    for (const Case& c : cases) {
        SignalPart ack = fastText("");
        ack.message.type = kMsgTypeAck;
        ack.message.flags = c.flags;
        test::ReceivingStation station;
        receive(station, {ack});
        EXPECT_TRUE(station.messages().empty()) << c.text;
        EXPECT_EQ(station.panel(10), c.text);
    }
}

TEST(Faults, GpsPositionArrivesWithBothChecksIntact)
{
    GpsPayload g;
    g.fixTime = 1712345678;
    g.latitude = static_cast<std::int32_t>(-33.5 / kGpsDegreesPerUnit);
    g.longitude = static_cast<std::int32_t>(-70.25 / kGpsDegreesPerUnit);
    g.speed = 362;
    g.course = 27150;
    g.altitude = 540;
    g.accuracy = 48;
    g.sealChecks();
    SignalPart p = fastText("");
    p.message.type = kMsgTypePosition;
    p.message.flags = kMsgFlagsGps;
    p.message.body.resize(kGpsPayloadBytes);
    g.toBytes(p.message.body.data());
    const std::string text = "Santiago";
    p.message.body.insert(p.message.body.end(), text.begin(), text.end());
    p.modulator.speed = 16;

    test::ReceivingStation station;
    receive(station, {p}, -4.0);
    ASSERT_EQ(station.messages().size(), 1u);
    const ReceivedMessage& m = station.messages()[0];
    EXPECT_EQ(m.header.flags, kMsgFlagsGps);
    EXPECT_EQ(gpsPositionQuality(m.body.data()), 2);
    EXPECT_EQ(GpsPayload::fromBytes(m.body.data()).latitude, g.latitude);
    EXPECT_EQ(bodyText(m, 32).substr(24), text);
}

// Blocks sent exactly as given: a data block whose last sync nibble is wrong
// still arrives (weak, one fault) and keeps the lock for the block after it.
TEST(Faults, WeakBlockIsDeliveredAndCounted)
{
    OutgoingMessage m;
    m.sender = 5678;
    m.recipient = 1234;
    m.msgNumber = 7;
    m.body.assign(kThreeBlocks.begin(), kThreeBlocks.end());
    SignalPart part = fastText("");
    part.rawBlocks = messageBlocks(m);
    ASSERT_EQ(part.rawBlocks.size(), 4u);
    part.rawBlocks[2].sync[3] = 1;  // 0, 3, 5, 1

    test::ReceivingStation station;
    receive(station, {part});
    ASSERT_EQ(station.messages().size(), 1u);
    const ReceivedMessage& r = station.messages()[0];
    EXPECT_EQ(bodyText(r, 36), kThreeBlocks);
    EXPECT_EQ(r.faultCount, 1);
    EXPECT_EQ(r.correctedErrors, 15);  // the codeword whose sync nibble did not fit
    EXPECT_EQ(r.symbolCount, 240);
}

// Two minutes of noise, loud enough to keep every decoder's detectors busy:
// no decoder may hand on anything.
TEST(Faults, NoiseAloneProducesNoMessage)
{
    TestSignalSettings s;
    s.snrDb = 0.0;  // fixes the noise level only; nothing is sent
    s.leadS = 120.0;
    s.noiseSeed = 2024;
    const TestSignal noise = makeTestSignal({}, s);
    test::ReceivingStation station;
    station.play(toPcm16(noise.samples));
    EXPECT_TRUE(station.messages().empty());
    EXPECT_EQ(station.rxText().find("{start}"), std::string::npos);
}

}  // namespace
}  // namespace veltrin
