#include "modem/ifsk16_modulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "modem/test_signal.h"
#include "modem/transmission.h"
#include "transmitter/wav_fixture.h"

namespace veltrin {
namespace {

constexpr double kPi = 3.141592653589793;

// The strongest of the 18 tone positions over samples [from, from + n).
int strongestPosition(const std::vector<double>& x, std::size_t from, std::size_t n, const TIfsk16Modulator& mod,
                      double rate)
{
    int best = -1;
    double bestPower = -1.0;
    for (int p = 0; p < kTonePositions; ++p) {
        std::complex<double> acc;
        const double w = 2.0 * kPi * mod.toneHz(p) / rate;
        for (std::size_t i = 0; i < n; ++i)
            acc += x[from + i] * std::polar(1.0, -w * static_cast<double>(i));
        if (std::norm(acc) > bestPower) {
            bestPower = std::norm(acc);
            best = p;
        }
    }
    return best;
}

TEST(Modulator, TonesStepByTheGrayCodedMoves)
{
    struct Case {
        int speed;
        bool lsb;
        double rate;
    };
    const Case cases[] = {{32, false, 12000}, {32, true, 12000}, {16, false, 24000}, {4, true, 12000}};
    const std::vector<std::uint8_t> values = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 8, 0};
    for (const Case& c : cases) {
        ModulatorSettings s;
        s.speed = c.speed;
        s.lsb = c.lsb;
        s.sampleRate = c.rate;
        TIfsk16Modulator mod(s);
        std::vector<double> out;
        mod.transmit(values, out);
        const std::size_t slot = static_cast<std::size_t>(symbolSamplesAt12k(c.speed) * c.rate / 12000);
        const int slots = mod.slotCount(values.size());
        ASSERT_EQ(out.size(), slots * slot);

        std::vector<int> moves;
        int previous = strongestPosition(out, 0, slot, mod, c.rate);
        EXPECT_EQ(previous, 0);
        for (int k = 1; k < slots; ++k) {
            const int p = strongestPosition(out, k * slot, slot, mod, c.rate);
            const int up = (p - previous + kTonePositions) % kTonePositions;
            moves.push_back(c.lsb ? (kTonePositions - up) % kTonePositions : up);
            previous = p;
        }
        std::vector<int> expected(8, 6);  // tuning pattern
        expected.insert(expected.end(), {2, 2});
        for (std::uint8_t v : values)
            expected.push_back(toneMove(v));
        expected.insert(expected.end(), 5, 2);
        EXPECT_EQ(moves, expected) << "speed " << c.speed << " lsb " << c.lsb;
    }
}

TEST(Modulator, MoveTableCoversTwoToSeventeenOnce)
{
    std::vector<int> seen(18, 0);
    for (int v = 0; v < 16; ++v)
        ++seen[toneMove(static_cast<std::uint8_t>(v))];
    for (int m = 0; m < 18; ++m)
        EXPECT_EQ(seen[m], m >= 2 ? 1 : 0) << m;
    EXPECT_EQ(toneMove(kTuningSymbol), 6);
    EXPECT_EQ(toneMove(8), 17);  // value 8 is the largest move
}

// The phase runs on across symbol boundaries, also when the symbol length is
// a fractional number of samples: no sample-to-sample jump is larger than the
// highest tone allows.
TEST(Modulator, PhaseIsContinuousAcrossSymbols)
{
    for (double rate : {48000.0, 48012.0, 11990.0}) {
        for (int speed : {1, 32}) {
            ModulatorSettings s;
            s.speed = speed;
            s.sampleRate = rate;
            s.amplitude = 10000;
            s.freqOffsetHz = 3.3;
            TIfsk16Modulator mod(s);
            std::vector<double> out;
            std::vector<std::uint8_t> values;
            for (int i = 0; i < 40; ++i)
                values.push_back(static_cast<std::uint8_t>((i * 7) % 16));
            mod.transmit(values, out);
            const double maxStep = s.amplitude * 2.0 * kPi * mod.toneHz(17) / rate * 1.0001;
            double worst = 0.0;
            for (std::size_t i = 1; i < out.size(); ++i)
                worst = std::max(worst, std::fabs(out[i] - out[i - 1]));
            EXPECT_LE(worst, maxStep) << "rate " << rate << " speed " << speed;
            EXPECT_NEAR(out[0], 0.0, 1e-9);
        }
    }
}

TEST(Modulator, FractionalSymbolLengthNeverAccumulatesRounding)
{
    ModulatorSettings s;
    s.speed = 32;
    s.sampleRate = 48012.0;
    TIfsk16Modulator mod(s);
    std::vector<double> out;
    const std::vector<std::uint8_t> values(600, 3);
    mod.transmit(values, out);
    const double exact = mod.slotCount(values.size()) * 256.0 * 48012.0 / 12000.0;
    EXPECT_EQ(out.size(), static_cast<std::size_t>(std::ceil(exact)));
}

TEST(Modulator, ToneGridMatchesEachSpeed)
{
    struct Case {
        int speed;
        double spacing;
        double lowest;  // position 0 at the default centre
    };
    const Case cases[] = {{1, 2.9296875, 1700 - 8.5 * 2.9296875},
                          {4, 11.71875, 1700 - 8.5 * 11.71875},
                          {16, 23.4375, 1710.9375 - 8.5 * 23.4375},
                          {32, 46.875, 1312.5}};
    for (const Case& c : cases) {
        ModulatorSettings s;
        s.speed = c.speed;
        TIfsk16Modulator mod(s);
        EXPECT_DOUBLE_EQ(toneSpacingHz(c.speed), c.spacing);
        EXPECT_DOUBLE_EQ(mod.toneHz(0), c.lowest);
        EXPECT_DOUBLE_EQ(mod.toneHz(17) - mod.toneHz(0), 17 * c.spacing);
    }
}

TEST(TestSignal, SnrConventionMatchesTheNoisyReferenceRecording)
{
    // The independent transmitter's -3 dB recording: tone peak 2585.1 against
    // noise sigma 4000 at 12000 Hz.
    EXPECT_NEAR(noiseSigmaForSnr(2585.1, -3.0, 12000.0), 4000.0, 2.0);
    EXPECT_NEAR(amplitudeForSnr(4000.0, -3.0, 12000.0), 2585.1, 1.0);

    TestSignalSettings settings;
    settings.nominalRate = 12000;
    settings.snrDb = -3.0;
    settings.leadS = 10.0;  // noise only
    settings.trailS = 0.0;
    const TestSignal noiseOnly = makeTestSignal({}, settings);
    ASSERT_TRUE(noiseOnly.error.empty());
    EXPECT_NEAR(noiseOnly.amplitude, 2585.1, 1.0);
    EXPECT_DOUBLE_EQ(noiseOnly.noiseSigma, 4000.0);
    double power = 0;
    for (double x : noiseOnly.samples)
        power += x * x;
    power /= static_cast<double>(noiseOnly.samples.size());
    EXPECT_NEAR(std::sqrt(power), 4000.0, 40.0);

    settings.snrDb = 20.0;  // quiet noise: the default amplitude stays
    const TestSignal clean = makeTestSignal({}, settings);
    EXPECT_DOUBLE_EQ(clean.amplitude, kDefaultTestAmplitude);
    EXPECT_NEAR(clean.noiseSigma, noiseSigmaForSnr(8000, 20, 12000), 1e-9);
}

TEST(TestSignal, PcmConversionRoundsAndClips)
{
    std::size_t clipped = 0;
    const std::vector<std::int16_t> pcm = toPcm16({0.49, 0.5, -0.5, -0.51, 40000.0, -40000.0, 32767.4}, &clipped);
    EXPECT_EQ(pcm, (std::vector<std::int16_t>{0, 1, 0, -1, 32767, -32768, 32767}));
    EXPECT_EQ(clipped, 2u);
}

// The known recordings were made by an independent transmitter; ours must
// produce the same samples from the same messages.
TEST(TestSignal, ReproducesTheKnownRecordings)
{
    struct Case {
        const char* file;
        int speed;
        std::uint8_t type, flags;
        std::uint16_t sender, recipient;
        std::uint8_t number;
        const char* bodyHex;
    };
    const Case cases[] = {
        {"known_text_s1.wav", 1, 5, 0xA0, 777, 4242, 9, "435120312e3436"},
        {"known_text_s4_48k.wav", 4, 5, 0xA0, 777, 4242, 41, "4b6e6f776e207465737420617420352e3836204264"},
        {"known_text_s16.wav", 16, 5, 0xA0, 31000, 2, 42,
         "5468726565206461746120626c6f636b732061742032332e34342042642c20616c6c20636c65616e2e"},
        {"known_gps_s32.wav", 32, 6, 0xA4, 20202, 7, 43,
         "4e521066295c8fea713d0ad36a010e6a1c0230009f15bd9553616e746961676f"},
    };
    for (const Case& c : cases) {
        const test::WavData wav = test::readWav(std::string(VELTRIN_TEST_DATA) + "/" + c.file);
        ASSERT_TRUE(wav.ok) << c.file;
        SignalPart part;
        part.message.type = c.type;
        part.message.flags = c.flags;
        part.message.sender = c.sender;
        part.message.recipient = c.recipient;
        part.message.msgNumber = c.number;
        part.message.body = test::fromHex(c.bodyHex);
        part.modulator.speed = c.speed;
        TestSignalSettings settings;
        settings.nominalRate = wav.rate;
        const std::vector<std::int16_t> ours = toPcm16(makeTestSignal({part}, settings).samples);
        ASSERT_EQ(ours.size(), wav.samples.size()) << c.file;
        int worst = 0;
        for (std::size_t i = 0; i < ours.size(); ++i)
            worst = std::max(worst, std::abs(ours[i] - wav.samples[i]));
        EXPECT_LE(worst, 1) << c.file;
    }
}

}  // namespace
}  // namespace veltrin
