#include <gtest/gtest.h>

#include <random>

#include "modem/block_codec.h"
#include "modem/crc16.h"
#include "modem/msg_header.h"
#include "modem/reed_solomon.h"
#include "rs_test_util.h"

namespace veltrin {
namespace {

using test::Codeword;
using test::encodeCodeword;

// The header block 05 A0 D2 04 2E 16 07 18 34 12 9D 67 as sent with HeaderSync.
const std::uint8_t kExampleCodewords[4][15] = {
    {2, 11, 15, 8, 11, 9, 8, 1, 5, 0, 14, 2, 4, 3, 4},
    {12, 12, 13, 1, 12, 5, 12, 10, 0, 10, 6, 1, 2, 1, 15},
    {5, 0, 9, 5, 7, 7, 15, 7, 2, 13, 7, 0, 13, 9, 4},
    {1, 15, 1, 0, 7, 6, 11, 0, 4, 0, 8, 1, 7, 6, 11},
};
const std::uint8_t kExampleSymbols[60] = {2, 12, 5, 1, 11, 12, 0, 15, 15, 13, 9, 1, 8, 1, 5, 0, 11, 12, 7, 7,
                                          9, 5, 7, 6, 8, 12, 15, 11, 1, 10, 7, 0, 5, 0, 2, 4, 0, 10, 13, 0,
                                          14, 6, 7, 8, 2, 1, 0, 1, 4, 2, 13, 7, 3, 1, 9, 6, 4, 15, 4, 11};
const std::uint8_t kExampleBytes[12] = {0x05, 0xA0, 0xD2, 0x04, 0x2E, 0x16, 0x07, 0x18, 0x34, 0x12, 0x9D, 0x67};

TEST(BlockCodec, WorkedHeaderExampleDecodesCleanly)
{
    std::uint8_t decoded[4][15];
    for (int q = 0; q < 4; ++q) {
        std::uint8_t received[15];
        for (int i = 0; i < 15; ++i)
            received[i] = kExampleSymbols[4 * i + q];  // de-interleave
        for (int i = 0; i < 15; ++i)
            ASSERT_EQ(received[i], kExampleCodewords[q][i]) << "codeword " << q << " position " << i;
        EXPECT_EQ(DecodeCodeword(received, decoded[q]), 0);
        EXPECT_EQ(SyncNibble(decoded[q]), HeaderSync[q]);
    }
    std::uint8_t bytes[12];
    PackBlock(decoded, bytes);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(bytes[i], kExampleBytes[i]) << i;
    EXPECT_EQ(HeaderCrc(bytes), 0);

    const Msg_header h = Msg_header::fromBytes(bytes);
    EXPECT_EQ(h.type, 5);
    EXPECT_EQ(h.flags, 0xA0);
    EXPECT_EQ(h.recipient, 1234);
    EXPECT_EQ(h.sender, 5678);
    EXPECT_EQ(h.length, 24);
    EXPECT_EQ(h.headerCrc, 0x679D);

    // The same header with its CRC stored high byte first must fail.
    std::uint8_t swapped[12];
    std::copy(bytes, bytes + 12, swapped);
    std::swap(swapped[10], swapped[11]);
    EXPECT_NE(HeaderCrc(swapped), 0);
}

TEST(BlockCodec, TestEncoderReproducesExampleParity)
{
    for (int q = 0; q < 4; ++q) {
        std::array<std::uint8_t, 7> data{};
        for (int i = 0; i < 7; ++i)
            data[i] = kExampleCodewords[q][8 + i];
        const Codeword cw = encodeCodeword(data);
        for (int i = 0; i < 15; ++i)
            EXPECT_EQ(cw[i], kExampleCodewords[q][i]) << q << "/" << i;
    }
}

TEST(BlockCodec, CheckNibbleAndCrcValues)
{
    const std::uint8_t zeros[6] = {0, 0, 0, 0, 0, 0};
    const std::uint8_t ramp[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(CheckNibble(zeros), 8);
    EXPECT_EQ(CheckNibble(ramp), 5);
    EXPECT_EQ(crc16(nullptr, 0), 0xFFFF);
    const char* digits = "123456789";
    EXPECT_EQ(crc16(reinterpret_cast<const std::uint8_t*>(digits), 9), 0x6F91);
}

TEST(BlockCodec, PackBlockPlacesNibbles)
{
    std::uint8_t cws[4][15] = {};
    for (int q = 0; q < 4; ++q)
        for (int i = 8; i < 14; ++i)
            cws[q][i] = static_cast<std::uint8_t>((q * 6 + (i - 8)) & 0x0F);
    std::uint8_t bytes[12];
    PackBlock(cws, bytes);
    for (int j = 0; j < 3; ++j)
        for (int q = 0; q < 4; ++q)
            EXPECT_EQ(bytes[4 * j + q], cws[q][8 + 2 * j] | (cws[q][9 + 2 * j] << 4)) << j << "/" << q;
}

// ---------------------------------------------------------------- Reed-Solomon

std::vector<Codeword> sampleCodewords()
{
    std::vector<Codeword> words;
    words.push_back(encodeCodeword({0, 0, 0, 0, 0, 0, 0}));
    words.push_back(encodeCodeword({15, 15, 15, 15, 15, 15, 15}));
    words.push_back(encodeCodeword({1, 2, 3, 4, 5, 6, 7}));
    Codeword example{};
    for (int i = 0; i < 15; ++i)
        example[i] = kExampleCodewords[2][i];
    words.push_back(example);
    return words;
}

TEST(ReedSolomon, EveryPatternOfOneOrTwoErrorsIsCorrected)
{
    for (const Codeword& cw : sampleCodewords()) {
        for (int p1 = 0; p1 < 15; ++p1)
            for (int v1 = 1; v1 < 16; ++v1) {
                Codeword r = cw;
                r[p1] ^= v1;
                std::uint8_t out[15];
                ASSERT_EQ(DecodeCodeword(r.data(), out), 1);
                ASSERT_TRUE(std::equal(out, out + 15, cw.begin()));
                for (int p2 = p1 + 1; p2 < 15; ++p2)
                    for (int v2 = 1; v2 < 16; ++v2) {
                        Codeword r2 = r;
                        r2[p2] ^= v2;
                        ASSERT_EQ(DecodeCodeword(r2.data(), out), 2) << p1 << "," << p2;
                        ASSERT_TRUE(std::equal(out, out + 15, cw.begin()));
                    }
            }
    }
}

// n distinct random positions, each changed by a random non-zero value.
Codeword corrupt(const Codeword& cw, int n, std::mt19937& rng)
{
    Codeword r = cw;
    int order[15];
    for (int i = 0; i < 15; ++i)
        order[i] = i;
    std::shuffle(order, order + 15, rng);
    std::uniform_int_distribution<int> value(1, 15);
    for (int k = 0; k < n; ++k)
        r[order[k]] ^= static_cast<std::uint8_t>(value(rng));
    return r;
}

Codeword randomCodeword(std::mt19937& rng)
{
    std::uniform_int_distribution<int> nib(0, 15);
    std::array<std::uint8_t, 7> data{};
    for (auto& d : data)
        d = static_cast<std::uint8_t>(nib(rng));
    return encodeCodeword(data);
}

TEST(ReedSolomon, RandomPatternsOfThreeAndFourErrorsAreCorrected)
{
    std::mt19937 rng(12345);
    for (int trial = 0; trial < 200000; ++trial) {
        const Codeword cw = randomCodeword(rng);
        const int n = 3 + (trial & 1);
        const Codeword r = corrupt(cw, n, rng);
        std::uint8_t out[15];
        ASSERT_EQ(DecodeCodeword(r.data(), out), n) << "trial " << trial;
        ASSERT_TRUE(std::equal(out, out + 15, cw.begin())) << "trial " << trial;
    }
}

TEST(ReedSolomon, FiveOrMoreErrorsFailOrLandOnAnotherCodeword)
{
    std::mt19937 rng(777);
    int failures = 0;
    const int trials = 50000;
    for (int trial = 0; trial < trials; ++trial) {
        const Codeword cw = randomCodeword(rng);
        const Codeword r = corrupt(cw, 5 + trial % 11, rng);
        std::uint8_t out[15];
        const int count = DecodeCodeword(r.data(), out);
        if (count == kRsFailed) {
            ++failures;
            ASSERT_TRUE(std::equal(out, out + 15, r.begin())) << "failure must leave the word unchanged";
        } else {
            ASSERT_GE(count, 1);
            ASSERT_LE(count, 4);
            // A miscorrection still yields a codeword within four symbols.
            std::uint8_t again[15];
            ASSERT_EQ(DecodeCodeword(out, again), 0);
            int diff = 0;
            for (int i = 0; i < 15; ++i)
                diff += out[i] != r[i];
            ASSERT_EQ(diff, count);
            ASSERT_FALSE(std::equal(out, out + 15, cw.begin()));
        }
    }
    EXPECT_GT(failures, trials / 2);
}

TEST(ReedSolomon, ReceivedSymbolsAboveFifteenAreMaskedNotTrusted)
{
    std::uint8_t garbage[15];
    for (int i = 0; i < 15; ++i)
        garbage[i] = static_cast<std::uint8_t>(0xF0 | i);
    std::uint8_t out[15];
    const int count = DecodeCodeword(garbage, out);
    EXPECT_TRUE(count == kRsFailed || (count >= 0 && count <= 4));
    for (int i = 0; i < 15; ++i)
        EXPECT_LT(out[i], 16);
}

}  // namespace
}  // namespace veltrin
