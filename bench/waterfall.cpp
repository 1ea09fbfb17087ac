// One waterfall line at 1920 pixels, zoom 1 and 5: levels, colours, the
// two rows and the markers, as each spectrum of the speed-1 decoder costs
// the main thread (about 16 a second). Figures only.
#include <benchmark/benchmark.h>

#include <random>

#include "audio/receive_chain.h"
#include "display/spectrum_display.h"

namespace {

using namespace veltrin;

struct WidePort : DisplayPort {
    int waterfallWidth() const override { return 1920; }
    int waterfallHeight() const override { return 200; }
    int scaleWidth() const override { return 1920; }
    void waterfallChanged() override {}
    void scaleChanged() override {}
    void checkCentreItem(int) override {}
    void showLamp(Lamp, int) override {}
};

void BM_WaterfallLine(benchmark::State& state)
{
    Settings settings;
    settings.zoom = static_cast<int>(state.range(0));
    AppState appState;
    ReceiveChain chain(settings, appState);
    chain.sampleChain().setupReceiveChain(1700.0);
    DecoderShared shared;
    std::mt19937 rng(1);
    std::normal_distribution<float> noise(0.0f, 3e6f);
    for (int b = 0; b < kSpectrumBins; ++b) {
        shared.SpectrumRe[b] = noise(rng);
        shared.SpectrumIm[b] = noise(rng);
    }
    WidePort port;
    NullStatusPanels panels;
    SpectrumDisplay display(settings, appState, shared, chain.decoderPointers(), panels, port, [] { return 0; });
    display.BuildPalette();
    display.DrawWaterfall();  // the full redraw, outside the loop
    for (auto _ : state) {
        display.DrawWaterfall();
        benchmark::DoNotOptimize(display.waterfall().picture());
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("one 1920-pixel line");
}

}  // namespace

BENCHMARK(BM_WaterfallLine)->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);
