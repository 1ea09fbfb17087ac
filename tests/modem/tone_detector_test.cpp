// The tone detector's small measures and the symbol clock.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "config/settings.h"
#include "block_signal_util.h"
#include "decoder_test_util.h"
#include "modem/decoder_shared.h"
#include "modem/tone_steps.h"

namespace veltrin {
namespace {

TEST(ToneSteps, NibbleAndQualityOfSteps)
{
    struct Case {
        double binDifference;
        int binsPerPosition;
        bool inverse;
        int nibble;
        int quality;
    };
    const Case cases[] = {
        {4.0, 2, false, 0, 100},     // 2 positions: value 0, exact
        {-32.0, 2, false, 0, 100},   // -16 positions wrap to +2
        {2.98, 2, false, 0, 0},      // s = 1.49: below the smallest move
        {35.2, 2, false, 8, 0},      // s = 17.6: above the largest move
        {4.8, 2, false, 0, 20},      // s = 2.4
        {20.0, 4, true, 14, 100},    // +5 read downwards is 13: c = 11, Gray 14
        {17.0 * 4, 4, false, 8, 100},  // the largest move
        {16.5, 1, false, 8, 0},      // s = 16.5 lies on the boundary of moves 16 and 17
        {9.0, 1, false, 4, 100},     // move 9: c = 7, Gray 4
    };
    for (const Case& c : cases) {
        const double s = NormaliseStep(c.binDifference, c.binsPerPosition, c.inverse);
        EXPECT_EQ(NibbleOfStep(s), c.nibble) << "d=" << c.binDifference;
        EXPECT_EQ(QualityOfStep(s), c.quality) << "d=" << c.binDifference;
    }
    EXPECT_EQ(NibbleOfStep(std::nan("")), 0);
    EXPECT_EQ(QualityOfStep(std::nan("")), 0);
}

TEST(ToneSteps, EveryValueSurvivesItsOwnMove)
{
    for (int value = 0; value < 16; ++value) {
        int c = 0;
        while ((c ^ (c >> 1)) != value)
            ++c;
        const int move = 2 + c;
        for (int bins : {1, 2, 4}) {
            EXPECT_EQ(NibbleOfStep(NormaliseStep(move * bins, bins, false)), value);
            EXPECT_EQ(NibbleOfStep(NormaliseStep((move - 18) * bins, bins, false)), value);
            EXPECT_EQ(NibbleOfStep(NormaliseStep(-move * bins, bins, true)), value);
            EXPECT_EQ(QualityOfStep(NormaliseStep(move * bins + 0.1 * bins, bins, false)), 80);
        }
    }
}

TEST(ToneSteps, EstimateTonePeakRivalAndInterpolation)
{
    struct Case {
        std::vector<float> mag;  // bins 0..; the band is 1..size-2
        double position;
        double quality;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0, 0}, 1.0, 0.0},                 // silence: bin binLo, quality 0
        {{0, 0, 0, 1, 0, 0, 0.5}, 3.0, 1.0},               // rival 0 at bins 1 and 5; bin 6 is outside
        {{0, 0, 0.5, 1, 0.5, 0, 0}, 3.0, 1.0},             // equal neighbours: on the bin
        {{0, 0, 1, 1, 0, 0, 0}, 2.5, 1.0},                 // neighbour equal to the peak
        {{0, 0.2, 1, 0.6, 0.1, 0.3, 0}, 2.0 + 1 - (1 - 0.2) / ((1 - 0.2) + (0.6 - 0.2)), 0.7},
        {{0, 0.6, 1, 0.2, 0.1, 0.3, 0}, 2.0 - 1 + (1 - 0.2) / ((1 - 0.2) + (0.6 - 0.2)), 0.7},
        {{0, 0.9, 0.5, 0.5, 0.5, 0.5, 0.5}, 2.0 - 0.9 / 1.4, 0.4},  // peak at the band edge
    };
    for (const Case& c : cases) {
        const int binHi = static_cast<int>(c.mag.size()) - 2;
        const ToneEstimate e = EstimateTone(c.mag.data(), 1, binHi, 2);
        EXPECT_NEAR(e.position, c.position, 1e-6);
        EXPECT_NEAR(e.quality, c.quality, 1e-6);
    }
    // A peak whose left neighbour, outside the band, is larger.
    const float edge[] = {2, 1, 0.5, 0, 0, 0};
    EXPECT_DOUBLE_EQ(EstimateTone(edge, 1, 4, 2).position, 0.5);
    // Rival ranges both empty.
    const float narrow[] = {0, 0, 1, 0.5, 0};
    EXPECT_DOUBLE_EQ(EstimateTone(narrow, 2, 3, 4).quality, 2.0);
}

TEST(ToneSteps, CarrierNeedsTheTwoMiddleFlags)
{
    struct Case {
        int before[4];  // oldest first, before the newest is shifted in
        int ok;
        int signalBefore;
        int signalAfter;
    };
    const Case cases[] = {
        {{9, 0, 1, 1}, 1, 0, 1},  // flags 0,1,1,1 set it
        {{9, 1, 0, 1}, 1, 0, 0},  // flags 1,0,1,1 keep it
        {{9, 1, 0, 1}, 1, 1, 1},
        {{9, 1, 1, 0}, 0, 1, 0},  // flags 1,1,0,0 clear it
        {{9, 1, 1, 1}, 1, 0, 1},
    };
    for (const Case& c : cases) {
        int flags[4] = {c.before[0], c.before[1], c.before[2], c.before[3]};
        EXPECT_EQ(UpdateCarrier(flags, c.ok, c.signalBefore), c.signalAfter);
        EXPECT_EQ(flags[3], c.ok);
    }
}

struct DecoderParams {
    int speed, spacing;
    double centre;
    int windowLen, fftSize, hopThreshold, binLo, binHi;
};

TEST(Ifsk16Decoder, SetupFollowsTheSpeedTable)
{
    const DecoderParams cases[] = {
        {1, 2, 1700, 8192, 8192, 745000, 1057, 1264},
        {4, 2, 1700, 2048, 2048, 186000, 248, 333},
        {16, 1, 1710.9375, 512, 2048, 46545, 228, 356},
        {32, 1, 1710.9375, 256, 1024, 23273, 92, 200},
    };
    for (const DecoderParams& c : cases) {
        auto d = std::make_unique<TIfsk16Decoder>();
        d->Setup(c.speed, c.spacing, c.centre);
        EXPECT_TRUE(d->initialised());
        EXPECT_EQ(d->windowLen(), c.windowLen);
        EXPECT_EQ(d->fftSize(), c.fftSize);
        EXPECT_EQ(d->hopThreshold(), c.hopThreshold);
        EXPECT_EQ(d->binLo(), c.binLo) << c.speed;
        EXPECT_EQ(d->binHi(), c.binHi) << c.speed;
        EXPECT_DOUBLE_EQ(d->bandLo(), c.centre - 8.5 * d->spacingHz());
    }
    auto d = std::make_unique<TIfsk16Decoder>();
    d->Setup(8, 2, 1700);
    EXPECT_FALSE(d->initialised());
    d->PutSample(1.0f);  // ignored
}

TEST(Ifsk16Decoder, CentreFrequencyFarOutsideKeepsTheBandInsideTheSpectrum)
{
    auto d = std::make_unique<TIfsk16Decoder>();
    d->Setup(1, 2, 1700);
    for (double centre : {-5000.0, 0.0, 5990.0, 7000.0, 1e9}) {
        d->SetCenterFreq(centre);
        EXPECT_GE(d->binLo(), 2);
        EXPECT_LE(d->binLo(), d->binHi());
        EXPECT_LE(d->binHi(), 8192 / 2 - 4);
        for (int i = 0; i < 8195; ++i)
            d->PutSample(static_cast<float>(1000.0 * std::sin(i * 0.3)));
    }
}

TEST(Ifsk16Decoder, FirstSymbolBoundaryAfterElevenHops)
{
    auto d = std::make_unique<TIfsk16Decoder>();
    d->Setup(1, 2, 1700);
    for (int i = 0; i < 8194; ++i)
        d->PutSample(0.0f);
    EXPECT_EQ(d->symbolClock(), 0);
    d->PutSample(0.0f);
    EXPECT_EQ(d->symbolClock(), 1);
    EXPECT_EQ(d->histPos(), 11);
}

TEST(Ifsk16Decoder, TimingCorrectionIsOneHopWhateverTheOffset)
{
    struct Case {
        int phase;      // where the quality peaks, relative to the timing base
        int hopsToNext; // hops until the following boundary
    };
    const Case cases[] = {{3, 12}, {1, 12}, {-3, 10}, {-1, 10}, {0, 11}};
    for (const Case& c : cases) {
        auto d = std::make_unique<TIfsk16Decoder>();
        d->Setup(32, 1, 1710.9375);
        float* quality = Ifsk16DecoderTestAccess::quality(*d);
        // At the first boundary histPos is 11 and the base 11 - 198.
        for (int m = 0; m < 16; ++m)
            quality[(11 - 198 + c.phase + 11 * m) & 1023] = 1.0f;
        for (int i = 0; i < 11; ++i)
            Ifsk16DecoderTestAccess::storeHop(*d, 0.0, 0.0);
        ASSERT_EQ(d->symbolClock(), 1);
        int hops = 0;
        while (d->symbolClock() == 1 && hops < 20) {
            Ifsk16DecoderTestAccess::storeHop(*d, 0.0, 0.0);
            ++hops;
        }
        EXPECT_EQ(hops, c.hopsToNext) << "phase " << c.phase;
    }
}

TEST(Ifsk16Decoder, SpeedOneWithReceptionOffStillFeedsTheDisplay)
{
    Settings settings;
    settings.EnableX1Rx = 0;
    test::RecordingPoster poster;
    DecoderLinks links;
    DecoderShared shared;
    links.options = &settings;
    links.poster = &poster;
    links.shared = &shared;
    auto d = std::make_unique<TIfsk16Decoder>();
    d->setLinks(links);
    d->Setup(1, 2, 1700);
    for (int i = 0; i < 8195 * 3; ++i) {
        d->PutSample(static_cast<float>(1000.0 * std::sin(2 * M_PI * 1500.0 * i / 12000.0)));
        shared.spectrumPending = 0;  // the display takes every spectrum at once
    }
    EXPECT_EQ(poster.spectrumPosts, 33);
    EXPECT_EQ(d->symbolClock(), 0);
    // 1500 Hz is bin 1024 of the 8192-point spectrum.
    int peak = 0;
    for (int k = 1; k < kSpectrumBins; ++k)
        if (std::hypot(shared.SpectrumRe[k], shared.SpectrumIm[k]) >
            std::hypot(shared.SpectrumRe[peak], shared.SpectrumIm[peak]))
            peak = k;
    EXPECT_EQ(peak, 1024);

    // While the display has not taken a spectrum, none is copied or posted.
    shared.spectrumPending = 1;
    for (int i = 0; i < 8195; ++i)
        d->PutSample(0.0f);
    EXPECT_EQ(poster.spectrumPosts, 33);
}

TEST(Ifsk16Decoder, SteadyToneOnABinAndBetweenBins)
{
    // Speed 4: one bin of the 2048-point spectrum is 5.859375 Hz.
    const double bin = 12000.0 / 2048;
    struct Case {
        double hz;
        double expected;
    };
    const Case cases[] = {{290 * bin, 290.0}, {300.5 * bin, 300.5}};
    for (const Case& c : cases) {
        auto d = std::make_unique<TIfsk16Decoder>();
        d->Setup(4, 2, 1700);
        for (int i = 0; i < 2046 * 3; ++i)
            d->PutSample(static_cast<float>(3000.0 * std::cos(2 * M_PI * c.hz * i / 12000.0)));
        const float* tone = Ifsk16DecoderTestAccess::tonePos(*d);
        EXPECT_NEAR(tone[d->histPos()], c.expected, 0.02) << c.hz;
    }
}

// Ten minutes of noise through the four decoders must not produce a message
// that passes for a good one.
TEST(Ifsk16Decoder, NoiseAloneGivesNoValidMessage)
{
    test::RecordingSink sink;
    DecoderLinks links;
    links.sink = &sink;
    auto decoders = test::stationDecoders(links);
    std::mt19937 rng(20240405);
    std::normal_distribution<float> noise(0.0f, 3000.0f);
    for (long i = 0; i < 12000L * 600; ++i) {
        const float x = noise(rng);
        for (auto& d : decoders)
            d->PutSample(x);
    }
    for (const ReceivedMessage& m : sink.messages) {
        const bool validLooking = (m.header.type == 5 || m.header.type == 6) && m.faultCount == 0 &&
                                  crc16(m.body.data(), m.header.length) == m.header.bodyCrc;
        EXPECT_FALSE(validLooking) << "speed " << m.speed << " type " << int(m.header.type);
    }
}

}  // namespace
}  // namespace veltrin
