#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/uni_resample.h"

using namespace veltrin;

TEST(UniResample, WithoutCallbackSwallowsInput)
{
    TUniResample r;
    EXPECT_EQ(r.PutSample(1.0), -1);
}

struct RateCase {
    double inRate;
    int inPeriod;
    int expectedOut;  // for 70560 inputs
};

class UniResampleCounts : public ::testing::TestWithParam<RateCase> {};

TEST_P(UniResampleCounts, OutputCountFollowsTheCalibratedRate)
{
    const RateCase c = GetParam();
    TUniResample r;
    int outputs = 0;
    r.Setup(c.inRate, 12000.0, [&](double) { ++outputs; });
    EXPECT_EQ(r.inPeriod(), c.inPeriod);
    EXPECT_EQ(r.outPeriod(), 7056);
    for (int i = 0; i < 70560; ++i)
        r.PutSample(0.0);
    EXPECT_EQ(outputs, c.expectedOut);
}

INSTANTIATE_TEST_SUITE_P(Rates, UniResampleCounts,
                         ::testing::Values(RateCase{12000.0, 7056, 70560},   // 48000.0 Hz
                                           RateCase{12003.0, 7054, 70540},   // 48012.0 Hz
                                           RateCase{11997.5, 7057, 70570})); // 47990.0 Hz

TEST(UniResample, EqualRatesAreTheIdentity)
{
    TUniResample r;
    std::vector<double> out;
    r.Setup(12000.0, 12000.0, [&](double x) { out.push_back(x); });
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(r.PutSample(i * 3.5 - 700.0), 1);
    ASSERT_EQ(out.size(), 1000u);
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(out[i], i * 3.5 - 700.0);
}

TEST(UniResample, InterpolatesLinearlyBetweenInputs)
{
    // Input slower than output: a ramp must come out as a ramp.
    TUniResample r;
    std::vector<double> out;
    r.Setup(11997.5, 12000.0, [&](double x) { out.push_back(x); });
    for (int i = 0; i < 5000; ++i)
        r.PutSample(static_cast<double>(i));
    ASSERT_GT(out.size(), 4990u);
    // The first output interpolates from the initial zero, not from the ramp.
    for (std::size_t i = 2; i < out.size(); ++i) {
        const double step = out[i] - out[i - 1];
        EXPECT_NEAR(step, 7056.0 / 7057.0, 1e-9) << "at " << i;
    }
}

TEST(UniResample, RatesWithoutAUsablePeriodProduceNothing)
{
    for (double rate : {0.0, -12000.0, 1e-3, std::nan("")}) {
        TUniResample r;
        int outputs = 0;
        EXPECT_EQ(r.Setup(rate, 12000.0, [&](double) { ++outputs; }), 0);
        for (int i = 0; i < 100; ++i)
            EXPECT_EQ(r.PutSample(1.0), 0);
        EXPECT_EQ(outputs, 0) << rate;
    }
}
