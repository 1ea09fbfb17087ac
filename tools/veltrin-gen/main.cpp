// veltrin-gen: writes WAV files of IFSK16 transmissions for testing stations.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "audio/wave_write.h"
#include "gen_options.h"
#include "modem/test_signal.h"

namespace {

constexpr int kExitUsage = 64;
constexpr int kExitCantCreate = 73;

// Frames of interleaved 16-bit or unsigned 8-bit samples.
std::vector<std::uint8_t> frameBytes(const std::vector<std::int16_t>& mono, const veltrin::gen::GenRequest& r)
{
    using veltrin::gen::SignalChannel;
    const int bytesPerSample = r.bits / 8;
    std::vector<std::uint8_t> out;
    out.reserve(mono.size() * static_cast<std::size_t>(r.channels * bytesPerSample));
    auto put = [&](std::int16_t s) {
        if (r.bits == 16) {
            out.push_back(static_cast<std::uint8_t>(s & 0xFF));
            out.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
        } else {
            // Readers map byte b back to b * 255 - 32640 (128 is silence).
            const long v = std::lround((s + 32640) / 255.0);
            out.push_back(static_cast<std::uint8_t>(std::clamp(v, 0L, 255L)));
        }
    };
    for (std::int16_t s : mono) {
        if (r.channels == 1) {
            put(s);
            continue;
        }
        put(r.signalChannel == SignalChannel::Right ? 0 : s);
        put(r.signalChannel == SignalChannel::Left ? 0 : s);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace veltrin;
    gen::GenRequest request;
    const std::string error = gen::parseCommandLine(argc, argv, request);
    if (request.help) {
        std::fputs(gen::usageText(), stdout);
        return 0;
    }
    if (!error.empty()) {
        std::fprintf(stderr, "veltrin-gen: %s\nTry 'veltrin-gen --help'.\n", error.c_str());
        return kExitUsage;
    }

    const TestSignal signal = makeTestSignal(request.parts, request.signal);
    if (!signal.error.empty()) {
        std::fprintf(stderr, "veltrin-gen: %s\n", signal.error.c_str());
        return kExitUsage;
    }
    std::size_t clipped = 0;
    const std::vector<std::int16_t> pcm = toPcm16(signal.samples, &clipped);
    const std::vector<std::uint8_t> bytes = frameBytes(pcm, request);

    TWaveWrite wav;
    const int rate = static_cast<int>(request.signal.nominalRate);
    if (wav.Open(request.outputPath, request.channels, request.bits, rate) != 0) {
        std::fprintf(stderr, "veltrin-gen: cannot create %s: %s\n", request.outputPath.c_str(), std::strerror(errno));
        return kExitCantCreate;
    }
    if (wav.Write(bytes.data(), static_cast<int>(pcm.size())) != 0 || wav.Close() != 0) {
        std::fprintf(stderr, "veltrin-gen: cannot write %s\n", request.outputPath.c_str());
        return kExitCantCreate;
    }

    if (!request.quiet) {
        const double realRate = request.signal.realRate > 0 ? request.signal.realRate : request.signal.nominalRate;
        std::printf("%s: %zu frames, %.3f s at %d Hz, %d-bit, %d channel(s)\n", request.outputPath.c_str(),
                    pcm.size(), static_cast<double>(pcm.size()) / realRate, rate, request.bits, request.channels);
        if (!std::isnan(request.signal.snrDb))
            std::printf("tone amplitude %.1f, noise sigma %.1f (SNR %.1f dB in 2500 Hz)\n", signal.amplitude,
                        signal.noiseSigma, request.signal.snrDb);
        for (std::size_t i = 0; i < request.parts.size(); ++i) {
            const SignalPart& p = request.parts[i];
            const double at = static_cast<double>(signal.partStarts[i]) / realRate;
            if (!p.rawBlocks.empty()) {
                std::printf("message %zu at %.3f s: speed %d, %zu raw blocks\n", i + 1, at, p.modulator.speed,
                            p.rawBlocks.size());
                continue;
            }
            std::printf("message %zu at %.3f s: speed %d, type %d, flags 0x%02X, %u > %u, number %u, %zu body bytes\n",
                        i + 1, at, p.modulator.speed,
                        p.message.type, p.message.flags, p.message.sender, p.message.recipient,
                        p.message.msgNumber, p.message.body.size());
        }
        if (clipped > 0)
            std::printf("warning: %zu samples clipped to the 16-bit range\n", clipped);
    }
    return 0;
}
