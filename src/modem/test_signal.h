#pragma once
// Whole test signals as a station would hear them: one or more transmissions
// with silence around them, white noise at a chosen signal-to-noise ratio,
// a sound card whose real rate differs from its nominal one, and 16-bit
// samples at the end.
//
// SNR convention: the power of the tone (peak amplitude A, power A^2 / 2)
// divided by the power of the white noise in a 2500 Hz bandwidth. Noise of
// standard deviation sigma at sample rate R spreads sigma^2 over R / 2 Hz, so
// SNR = (A^2 / 2) / (sigma^2 * 2500 / (R / 2)).
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "modem/ifsk16_modulator.h"
#include "modem/transmission.h"

namespace veltrin {

inline constexpr double kSnrBandwidthHz = 2500.0;
inline constexpr double kDefaultTestAmplitude = 8000.0;
inline constexpr double kMaxTestNoiseSigma = 4000.0;  // keeps noise peaks inside 16 bits

double noiseSigmaForSnr(double amplitude, double snrDb, double sampleRate);
double amplitudeForSnr(double noiseSigma, double snrDb, double sampleRate);

// One transmission: the message with its faults, and how it is keyed. The
// modulator's sampleRate and amplitude are taken from TestSignalSettings.
struct SignalPart {
    OutgoingMessage message;
    TransmissionFaults faults;
    ModulatorSettings modulator;
    std::vector<OutgoingBlock> rawBlocks;  // when not empty, sent instead of the message
};

struct TestSignalSettings {
    double nominalRate = 48000.0;  // the rate a WAV file would carry
    double realRate = 0.0;         // 0: the nominal rate; else the rate the samples really represent
    double amplitude = 0.0;        // 0: kDefaultTestAmplitude, lowered to keep noise in range
    double snrDb = std::numeric_limits<double>::quiet_NaN();  // NaN: no noise
    std::uint64_t noiseSeed = 1;
    double leadS = 0.37;           // silence (or noise only) before the first transmission
    double gapS = 1.0;             // between transmissions
    double trailS = 0.5;           // after the last
};

struct TestSignal {
    std::vector<double> samples;   // 16-bit units, not yet rounded
    double amplitude = 0.0;
    double noiseSigma = 0.0;
    std::vector<std::size_t> partStarts;  // first sample of each transmission
    std::string error;             // not empty: nothing was made
};

TestSignal makeTestSignal(const std::vector<SignalPart>& parts, const TestSignalSettings& settings);

void addWhiteNoise(std::vector<double>& samples, double sigma, std::uint64_t seed);

// floor(x + 0.5) limited to the 16-bit range; *clipped counts limited samples.
std::vector<std::int16_t> toPcm16(const std::vector<double>& samples, std::size_t* clipped = nullptr);

}  // namespace veltrin
