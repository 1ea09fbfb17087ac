// The decoder's FFT against the plain radix-2 DIF form, at the sizes the four
// decoders use. Figures only.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "modem/fft.h"

namespace {

std::vector<float> noise(int n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<float> d(0.0f, 1000.0f);
    std::vector<float> v(n);
    for (float& x : v)
        x = d(rng);
    return v;
}

// One complex transform of n points of noise per iteration.
template <void (*Transform)(float*, float*, int)>
void BM_Transform(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const auto src = noise(n, 1);
    std::vector<float> re(n), im(n);
    for (auto _ : state) {
        std::copy(src.begin(), src.end(), re.begin());
        std::fill(im.begin(), im.end(), 0.0f);
        Transform(re.data(), im.data(), n);
        benchmark::DoNotOptimize(re.data());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_PlainDif(benchmark::State& state) { BM_Transform<veltrin::FftPlainDif>(state); }
void BM_Fft(benchmark::State& state) { BM_Transform<veltrin::Fft>(state); }

// What a decoder hop costs: N real samples zero-padded to n, only the band.
void BM_RealBand(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const int count = static_cast<int>(state.range(1));
    const int kLo = static_cast<int>(state.range(2));
    const int kHi = static_cast<int>(state.range(3));
    const auto src = noise(count, 2);
    std::vector<float> re(n), im(n), wr(n), wi(n);
    for (auto _ : state) {
        veltrin::RealFftBins(src.data(), count, n, kLo, kHi, re.data(), im.data(), wr.data(), wi.data());
        benchmark::DoNotOptimize(re.data());
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_PlainDif)->Arg(1024)->Arg(2048)->Arg(8192);
BENCHMARK(BM_Fft)->Arg(1024)->Arg(2048)->Arg(8192);
// n, N, band: speed 1, 4, 16, 32 at their default centre frequencies.
BENCHMARK(BM_RealBand)
    ->Args({8192, 8192, 1056, 1265})
    ->Args({2048, 2048, 247, 334})
    ->Args({2048, 512, 227, 357})
    ->Args({1024, 256, 91, 201});
