#include "modem/test_signal.h"

#include <cmath>

#include "modem/signal_rng.h"

namespace veltrin {

namespace {
double bandShare(double sampleRate) { return kSnrBandwidthHz / (sampleRate / 2.0); }
}  // namespace

double noiseSigmaForSnr(double amplitude, double snrDb, double sampleRate)
{
    const double signalPower = amplitude * amplitude / 2.0;
    const double noiseInBand = signalPower / std::pow(10.0, snrDb / 10.0);
    return std::sqrt(noiseInBand / bandShare(sampleRate));
}

double amplitudeForSnr(double noiseSigma, double snrDb, double sampleRate)
{
    const double noiseInBand = noiseSigma * noiseSigma * bandShare(sampleRate);
    return std::sqrt(2.0 * noiseInBand * std::pow(10.0, snrDb / 10.0));
}

void addWhiteNoise(std::vector<double>& samples, double sigma, std::uint64_t seed)
{
    SignalRng rng(seed);
    for (double& x : samples)
        x += sigma * rng.gaussian();
}

std::vector<std::int16_t> toPcm16(const std::vector<double>& samples, std::size_t* clipped)
{
    std::vector<std::int16_t> out(samples.size());
    std::size_t limited = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        double v = std::floor(samples[i] + 0.5);
        if (v > 32767.0) {
            v = 32767.0;
            ++limited;
        } else if (v < -32768.0) {
            v = -32768.0;
            ++limited;
        }
        out[i] = static_cast<std::int16_t>(v);
    }
    if (clipped)
        *clipped = limited;
    return out;
}

TestSignal makeTestSignal(const std::vector<SignalPart>& parts, const TestSignalSettings& settings)
{
    TestSignal signal;
    const double rate = settings.realRate > 0.0 ? settings.realRate : settings.nominalRate;
    if (!(rate >= 8000.0 && rate <= 192000.0)) {
        signal.error = "sample rate out of range";
        return signal;
    }
    const bool noisy = !std::isnan(settings.snrDb);
    signal.amplitude = settings.amplitude > 0.0 ? settings.amplitude : kDefaultTestAmplitude;
    if (noisy) {
        signal.noiseSigma = noiseSigmaForSnr(signal.amplitude, settings.snrDb, rate);
        if (settings.amplitude <= 0.0 && signal.noiseSigma > kMaxTestNoiseSigma) {
            signal.noiseSigma = kMaxTestNoiseSigma;
            signal.amplitude = amplitudeForSnr(kMaxTestNoiseSigma, settings.snrDb, rate);
        }
    }

    auto silence = [&](double seconds) {
        const long long n = std::llround(std::max(0.0, seconds) * rate);
        signal.samples.insert(signal.samples.end(), static_cast<std::size_t>(n), 0.0);
    };
    silence(settings.leadS);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const SignalPart& part = parts[i];
        if (!isValidSpeed(part.modulator.speed)) {
            signal = TestSignal{};
            signal.error = "speed must be 1, 4, 16 or 32";
            return signal;
        }
        std::vector<std::uint8_t> symbols;
        if (!part.rawBlocks.empty()) {
            symbols = encodeBlocks(part.rawBlocks);
        } else {
            std::string error;
            symbols = encodeMessage(part.message, part.faults, &error);
            if (!error.empty()) {
                signal = TestSignal{};
                signal.error = error;
                return signal;
            }
        }
        ModulatorSettings m = part.modulator;
        m.sampleRate = rate;
        m.amplitude = signal.amplitude;
        if (i > 0)
            silence(settings.gapS);
        signal.partStarts.push_back(signal.samples.size());
        TIfsk16Modulator(m).transmit(symbols, signal.samples);
    }
    silence(settings.trailS);
    if (noisy)
        addWhiteNoise(signal.samples, signal.noiseSigma, settings.noiseSeed);
    return signal;
}

}  // namespace veltrin
