#include "modem/block_encoder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "modem/crc16.h"
#include "modem/gf16.h"
#include "modem/msg_header.h"
#include "modem/reed_solomon.h"
#include "modem/transmission.h"

namespace veltrin {
namespace {

using Block = std::array<std::uint8_t, kBlockBytes>;

// What a receiver makes of 60 clean symbols: the bytes, the sync nibbles and
// the per-codeword correction counts.
struct ReadBack {
    Block bytes{};
    std::array<std::uint8_t, 4> sync{};
    std::array<int, 4> counts{};
};

ReadBack readBlock(const std::uint8_t* symbols)
{
    ReadBack r;
    std::uint8_t codewords[kBlockCodewords][kRsLength];
    for (int i = 0; i < kRsLength; ++i)
        for (int q = 0; q < kBlockCodewords; ++q)
            codewords[q][i] = symbols[4 * i + q];
    for (int q = 0; q < kBlockCodewords; ++q) {
        r.counts[q] = DecodeCodeword(codewords[q], codewords[q]);
        r.sync[q] = SyncNibble(codewords[q]);
    }
    PackBlock(codewords, r.bytes.data());
    return r;
}

std::array<std::uint8_t, 4> pattern(const std::uint8_t* p) { return {p[0], p[1], p[2], p[3]}; }

TEST(BlockEncoder, WorkedHeaderExampleEncodesExactly)
{
    Msg_header h;
    h.type = 5;
    h.flags = 0xA0;
    h.recipient = 1234;
    h.sender = 5678;
    h.msgNumber = 7;
    h.length = 24;
    h.bodyCrc = 0x1234;
    sealHeaderCrc(h);
    EXPECT_EQ(h.headerCrc, 0x679D);

    OutgoingBlock block;
    h.toBytes(block.bytes);
    const Block expectedBytes = {0x05, 0xA0, 0xD2, 0x04, 0x2E, 0x16, 0x07, 0x18, 0x34, 0x12, 0x9D, 0x67};
    EXPECT_EQ(0, std::memcmp(block.bytes, expectedBytes.data(), kBlockBytes));
    std::memcpy(block.sync, HeaderSync, 4);

    const std::vector<std::uint8_t> expected = {
        2, 12, 5, 1, 11, 12, 0, 15, 15, 13, 9, 1, 8, 1, 5, 0, 11, 12, 7, 7,
        9, 5, 7, 6, 8, 12, 15, 11, 1, 10, 7, 0, 5, 0, 2, 4, 0, 10, 13, 0,
        14, 6, 7, 8, 2, 1, 0, 1, 4, 2, 13, 7, 3, 1, 9, 6, 4, 15, 4, 11};
    EXPECT_EQ(encodeBlocks({block}), expected);
}

// Every encoded word must vanish at the generator's roots alpha^1..alpha^8,
// whatever decoder reads it later.
TEST(BlockEncoder, CodewordsAreMultiplesOfTheGenerator)
{
    std::mt19937 rng(7);
    for (int trial = 0; trial < 500; ++trial) {
        std::uint8_t cw[kRsLength] = {};
        for (int i = kRsParitySymbols; i < kRsLength; ++i)
            cw[i] = static_cast<std::uint8_t>(rng() & 0x0F);
        EncodeCodeword(cw);
        for (int j = 1; j <= 8; ++j) {
            std::uint8_t sum = 0;
            for (int i = 0; i < kRsLength; ++i)
                sum ^= gf16::mul(cw[i], gf16::exp(i * j));
            ASSERT_EQ(sum, 0) << "trial " << trial << " root " << j;
        }
    }
}

TEST(BlockEncoder, RandomBlocksDecodeCleanlyAndSurviveFourErrorsPerCodeword)
{
    std::mt19937 rng(11);
    const std::uint8_t* patterns[] = {HeaderSync, NextSync, LastSync};
    for (int trial = 0; trial < 300; ++trial) {
        OutgoingBlock block;
        for (auto& b : block.bytes)
            b = static_cast<std::uint8_t>(rng());
        std::memcpy(block.sync, patterns[trial % 3], 4);
        std::vector<std::uint8_t> symbols = encodeBlocks({block});

        ReadBack clean = readBlock(symbols.data());
        ASSERT_EQ(clean.counts, (std::array<int, 4>{0, 0, 0, 0}));
        ASSERT_EQ(0, std::memcmp(clean.bytes.data(), block.bytes, kBlockBytes));
        ASSERT_EQ(clean.sync, pattern(block.sync));

        // Four distinct positions per codeword, each changed to another value.
        for (int q = 0; q < kBlockCodewords; ++q) {
            std::array<int, kRsLength> pos{};
            for (int i = 0; i < kRsLength; ++i)
                pos[i] = i;
            std::shuffle(pos.begin(), pos.end(), rng);
            for (int e = 0; e < 4; ++e)
                symbols[4 * pos[e] + q] ^= static_cast<std::uint8_t>(1 + rng() % 15);
        }
        ReadBack damaged = readBlock(symbols.data());
        ASSERT_EQ(damaged.counts, (std::array<int, 4>{4, 4, 4, 4}));
        ASSERT_EQ(0, std::memcmp(damaged.bytes.data(), block.bytes, kBlockBytes));
    }
}

std::vector<std::uint8_t> bytesOf(const char* text) { return {text, text + std::strlen(text)}; }

TEST(Transmission, BodyIsCutIntoBlocksWithTheRightSyncPatterns)
{
    struct Case {
        std::size_t bodyLength;
        std::size_t blocks;  // header included
    };
    const Case cases[] = {{0, 1}, {1, 2}, {12, 2}, {13, 3}, {24, 3}, {25, 4}, {252, 22}};
    for (const Case& c : cases) {
        OutgoingMessage m;
        m.sender = 5678;
        m.recipient = 1234;
        m.msgNumber = 3;
        for (std::size_t i = 0; i < c.bodyLength; ++i)
            m.body.push_back(static_cast<std::uint8_t>(0x80 + i));
        const std::vector<std::uint8_t> symbols = encodeMessage(m, {});
        ASSERT_EQ(symbols.size(), c.blocks * kBlockSymbols) << c.bodyLength;

        const ReadBack header = readBlock(symbols.data());
        EXPECT_EQ(header.sync, pattern(HeaderSync));
        EXPECT_EQ(HeaderCrc(header.bytes.data()), 0);
        const Msg_header h = Msg_header::fromBytes(header.bytes.data());
        EXPECT_EQ(h.length, c.bodyLength);
        EXPECT_EQ(h.bodyCrc, crc16(m.body.data(), m.body.size()));

        std::vector<std::uint8_t> body;
        for (std::size_t b = 1; b < c.blocks; ++b) {
            const ReadBack r = readBlock(symbols.data() + b * kBlockSymbols);
            EXPECT_EQ(r.sync, pattern(b + 1 == c.blocks ? LastSync : NextSync)) << c.bodyLength << " block " << b;
            body.insert(body.end(), r.bytes.begin(), r.bytes.end());
        }
        ASSERT_EQ(body.size(), (c.blocks - 1) * kBlockBytes);
        for (std::size_t i = 0; i < body.size(); ++i)
            EXPECT_EQ(body[i], i < c.bodyLength ? m.body[i] : 0) << "padding must be zero";
    }
}

TEST(Transmission, TooLongBodyIsRefused)
{
    OutgoingMessage m;
    m.body.assign(253, 'x');
    std::string error;
    EXPECT_TRUE(encodeMessage(m, {}, &error).empty());
    EXPECT_FALSE(error.empty());
}

TEST(Transmission, FaultsDamageExactlyWhatTheyName)
{
    OutgoingMessage m;
    m.sender = 1;
    m.recipient = 2;
    m.body = bytesOf("thirty-six bytes of text in 3 blocks");
    ASSERT_EQ(m.body.size(), 36u);
    const std::vector<std::uint8_t> clean = encodeMessage(m, {});

    TransmissionFaults noHeader;
    noHeader.noHeader = true;
    const std::vector<std::uint8_t> headless = encodeMessage(m, noHeader);
    EXPECT_EQ(headless, std::vector<std::uint8_t>(clean.begin() + kBlockSymbols, clean.end()));

    TransmissionFaults badHeader;
    badHeader.wrongHeaderCrc = true;
    ReadBack h = readBlock(encodeMessage(m, badHeader).data());
    EXPECT_EQ(h.counts, (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_NE(HeaderCrc(h.bytes.data()), 0);

    TransmissionFaults badBody;
    badBody.wrongBodyCrc = true;
    h = readBlock(encodeMessage(m, badBody).data());
    EXPECT_EQ(HeaderCrc(h.bytes.data()), 0);
    EXPECT_NE(Msg_header::fromBytes(h.bytes.data()).bodyCrc, crc16(m.body.data(), m.body.size()));

    TransmissionFaults dropped;
    dropped.droppedBlocks = {1};
    const std::vector<std::uint8_t> withDrop = encodeMessage(m, dropped);
    for (std::size_t b = 0; b < 4; ++b) {
        const bool same = std::equal(withDrop.begin() + b * kBlockSymbols, withDrop.begin() + (b + 1) * kBlockSymbols,
                                     clean.begin() + b * kBlockSymbols);
        EXPECT_EQ(same, b != 2) << "block " << b;
    }

    TransmissionFaults corrupt;
    corrupt.corruptPerCodeword = 3;
    const std::vector<std::uint8_t> damaged = encodeMessage(m, corrupt);
    for (std::size_t b = 0; b < 4; ++b) {
        const ReadBack r = readBlock(damaged.data() + b * kBlockSymbols);
        EXPECT_EQ(r.counts, (std::array<int, 4>{3, 3, 3, 3})) << "block " << b;
    }

    TransmissionFaults single;
    single.corruptedSymbols = {0, 61, 10000};  // the last is beyond the message and ignored
    const std::vector<std::uint8_t> two = encodeMessage(m, single);
    int differing = 0;
    for (std::size_t i = 0; i < clean.size(); ++i)
        differing += two[i] != clean[i];
    EXPECT_EQ(differing, 2);
}

}  // namespace
}  // namespace veltrin
