// All four decoders, standard or enhanced, fed the same 12000 Hz audio (noise plus a tone hopping
// like a transmission), as the receive chain feeds them. Reports samples per
// second and the multiple of real time on one core.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "audio/receive_chain.h"
#include "config/app_state.h"
#include "config/settings.h"
#include "modem/decoder_shared.h"

namespace {

std::vector<float> makeAudio(int seconds)
{
    std::mt19937 rng(7);
    std::normal_distribution<float> noise(0.0f, 2000.0f);
    std::uniform_int_distribution<int> move(2, 17);
    std::vector<float> audio(static_cast<std::size_t>(12000) * seconds);
    // A speed-32 style signal: tones 46.875 Hz apart around 1710.9375 Hz.
    int position = 0;
    double phase = 0.0;
    for (std::size_t i = 0; i < audio.size(); ++i) {
        if (i % 256 == 0)
            position = (position + move(rng)) % 18;
        const double hz = 1710.9375 + (position - 8.5) * 46.875;
        phase += 2 * M_PI * hz / 12000.0;
        audio[i] = static_cast<float>(3000.0 * std::sin(phase)) + noise(rng);
    }
    return audio;
}

void BM_FourDecoders(benchmark::State& state)
{
    const std::vector<float> audio = makeAudio(20);
    veltrin::Settings settings;
    settings.enhancedDecoder = static_cast<int>(state.range(1));
    veltrin::AppState appState;
    veltrin::ReceiveChain receive(settings, appState);
    veltrin::DecoderShared shared;
    const bool display = state.range(0) != 0;
    veltrin::DecoderLinks links;
    links.shared = display ? &shared : nullptr;
    receive.setDecoderLinks(links);
    receive.sampleChain().setupReceiveChain(1700.0);
    veltrin::SampleChain& chain = receive.sampleChain();
    std::size_t samples = 0;
    for (auto _ : state) {
        for (float x : audio) {
            shared.spectrumPending = 0;  // a display that takes every spectrum
            chain.fanOutSample(x);
        }
        samples += audio.size();
    }
    state.counters["samples/s"] = benchmark::Counter(static_cast<double>(samples), benchmark::Counter::kIsRate);
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(samples) / 12000.0, benchmark::Counter::kIsRate);
}

}  // namespace

// First arg 0: no display (no spectrum copies); 1: a display that takes every
// spectrum. Second arg: 0 standard decoding, 1 enhanced.
BENCHMARK(BM_FourDecoders)->Args({0, 0})->Args({1, 0})->Args({0, 1})->Args({1, 1})->Unit(benchmark::kMillisecond);
