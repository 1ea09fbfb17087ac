// Throughput of the sample chain: 48 kHz mono 16-bit input through both
// decimator stages and the resampler (at a calibrated rate, so the
// interpolating path runs), without the decoders.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "audio/receive_chain.h"
#include "config/app_state.h"
#include "config/settings.h"

using namespace veltrin;

static void BM_SampleChain48k(benchmark::State& state)
{
    const double samplingFreq = static_cast<double>(state.range(0)) / 10.0;
    std::vector<std::int16_t> input(8192);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<std::int16_t>(8000.0 * std::sin(i * 0.2277) + (i * 7919 % 600) - 300);
    Settings settings;
    AppState appState;
    ReceiveChain receive(settings, appState);
    receive.setupFirstDecimator();
    Decimator2Ex& first = receive.firstDecimator();
    Decimator2& second = receive.secondDecimator();
    TUniResample& resampler = receive.resampler();
    double sink = 0.0;
    resampler.Setup(samplingFreq * 0.25, 12000.0, [&](double x) { sink += x; });
    std::vector<std::int16_t> decimated(2048);

    for (auto _ : state) {
        decimateBlock(first, second, input.data(), 2048, decimated.data());
        for (std::int16_t s : decimated)
            resampler.PutSample(s);
        benchmark::DoNotOptimize(sink);
    }
    const double samples = static_cast<double>(state.iterations()) * 8192.0;
    state.counters["input_samples_per_s"] = benchmark::Counter(samples, benchmark::Counter::kIsRate);
    state.counters["x_real_time"] = benchmark::Counter(samples / 48000.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SampleChain48k)->Arg(480000)->Arg(480120)->Unit(benchmark::kMicrosecond);
