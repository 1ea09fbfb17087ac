#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "audio/decimators.h"

using namespace veltrin;

TEST(Decimators, TablesAreSymmetricWithTheStatedSums)
{
    double sum57 = 0, sum45 = 0;
    for (int i = 0; i < 57; ++i) {
        EXPECT_EQ(kDecimator57Taps[i], kDecimator57Taps[56 - i]);
        sum57 += kDecimator57Taps[i];
    }
    for (int i = 0; i < 45; ++i) {
        EXPECT_EQ(kDecimator45Taps[i], kDecimator45Taps[44 - i]);
        sum45 += kDecimator45Taps[i];
    }
    EXPECT_NEAR(sum57, 0.99998, 5e-6);
    EXPECT_NEAR(sum45, 0.98643, 5e-6);
    EXPECT_EQ(kDecimator57Taps[28], 0.294779738723872);
    EXPECT_EQ(kDecimator45Taps[22], 0.41246774);
}

TEST(Decimators, EvaluatesOnEverySecondInputAndHoldsBetween)
{
    // An impulse on the 2nd input after reset: outputs on even calls walk
    // through the odd-indexed coefficients; odd calls repeat the last output.
    Decimator2 d;
    std::vector<double> out;
    out.push_back(d.Filter(0.0));
    out.push_back(d.Filter(1.0));
    for (int i = 0; i < 50; ++i)
        out.push_back(d.Filter(0.0));
    EXPECT_EQ(out[0], 0.0);
    EXPECT_DOUBLE_EQ(out[1], kDecimator45Taps[0]);
    for (int call = 3; call < 47; call += 2) {
        const int age = call - 1;  // inputs since the impulse
        EXPECT_DOUBLE_EQ(out[call], kDecimator45Taps[age]) << "call " << call;
        EXPECT_EQ(out[call + 1], out[call]) << "held output at " << call + 1;
    }
}

TEST(Decimators, ImpulseReproducesTheFirstStageTable)
{
    // Two impulses at consecutive inputs reveal even and odd taps.
    for (int phase = 0; phase < 2; ++phase) {
        Decimator2Ex d;
        d.Setup(57, kDecimator57Taps);
        std::vector<double> out;
        for (int i = 0; i < 60; ++i)
            out.push_back(d.Filter(i == phase ? 1.0 : 0.0));
        for (int call = 1; call < 60; call += 2) {
            const int age = call - phase;
            const double expected = age >= 0 && age < 57 ? kDecimator57Taps[age] : 0.0;
            EXPECT_DOUBLE_EQ(out[call], expected) << "phase " << phase << " call " << call;
        }
    }
}

TEST(Decimators, SettledConstantGivesTheProductOfTheGains)
{
    Decimator2Ex first;
    first.Setup(57, kDecimator57Taps);
    Decimator2 second;
    std::vector<std::int16_t> in(4 * 2048, 10000);
    std::vector<std::int16_t> out(2048);
    decimateBlock(first, second, in.data(), 2048, out.data());
    for (int j = 100; j < 2048; ++j)
        ASSERT_EQ(out[j], 9864) << "at " << j;
}

TEST(Decimators, FullScaleOvershootIsClampedNotWrapped)
{
    EXPECT_EQ(roundToSample(40000.0), 32767);
    EXPECT_EQ(roundToSample(-40000.0), -32768);
    EXPECT_EQ(roundToSample(2.5), 3);
    EXPECT_EQ(roundToSample(-2.5), -2);
}

TEST(Decimators, ResetClearsTheHistory)
{
    Decimator2Ex first;
    first.Setup(57, kDecimator57Taps);
    for (int i = 0; i < 100; ++i)
        first.Filter(5000.0);
    first.Reset();
    EXPECT_EQ(first.Filter(0.0), 0.0);
    EXPECT_EQ(first.Filter(0.0), 0.0);

    Decimator2Ex unset;  // never set up: nothing to filter with
    EXPECT_EQ(unset.Filter(1.0), 0.0);
}

// The block forms are a faster way to make the same calls: every value must
// be bit-identical, whatever the block lengths, the phase at the start of a
// block, and single calls mixed in between.
TEST(Decimators, BlocksGiveExactlyTheValuesOfSingleCalls)
{
    std::vector<double> input(5000);
    std::uint32_t seed = 3;
    for (double& x : input) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<double>(static_cast<int>(seed >> 16) - 32768);
    }
    const int lengths[] = {1, 7, 300, 2, 513, 0, 64, 1000, 3, 255, 256, 257};
    Decimator2Ex singleFirst, blockFirst;
    singleFirst.Setup(57, kDecimator57Taps);
    blockFirst.Setup(57, kDecimator57Taps);
    Decimator2 singleSecond, blockSecond;
    std::vector<double> got(1000);
    std::size_t at = 0;
    for (int round = 0; at < input.size(); ++round) {
        const int n = std::min<int>(lengths[round % 12], static_cast<int>(input.size() - at));
        blockFirst.FilterBlock(input.data() + at, n, got.data());
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(got[i], singleFirst.Filter(input[at + i])) << "first stage, input " << at + i;
        blockSecond.FilterBlock(input.data() + at, n, got.data());
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(got[i], singleSecond.Filter(input[at + i])) << "second stage, input " << at + i;
        at += n;
        if (at < input.size() && round % 3 == 0) {
            // A single call between blocks shifts the phase.
            ASSERT_EQ(blockFirst.Filter(input[at]), singleFirst.Filter(input[at]));
            ASSERT_EQ(blockSecond.Filter(input[at]), singleSecond.Filter(input[at]));
            ++at;
        }
    }
    Decimator2Ex unset;
    got.assign(4, 1.0);
    unset.FilterBlock(input.data(), 4, got.data());
    EXPECT_EQ(got, std::vector<double>(4, 0.0));
}
