#include <gtest/gtest.h>

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
