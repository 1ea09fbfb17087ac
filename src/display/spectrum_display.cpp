#include "display/spectrum_display.h"

#include <cmath>

#include "config/app_state.h"
#include "config/settings.h"
#include "modem/decoder_shared.h"
#include "modem/ifsk16_decoder.h"
#include "platform/ui_ports.h"

namespace veltrin {

SpectrumDisplay::SpectrumDisplay(Settings& settings, AppState& state, DecoderShared& shared,
                                 std::array<TIfsk16Decoder*, 4> decoders, StatusPanels& panels,
                                 DisplayPort& port, std::function<int()> fifoCount)
    : settings_(settings),
      state_(state),
      shared_(shared),
      decoders_(decoders),
      panels_(panels),
      port_(port),
      fifoCount_(std::move(fifoCount)),
      tuning_(settings, state, decoders, panels, port)
{
}

void SpectrumDisplay::BuildPalette()
{
    if (!palette_.built())
        palette_.build();
}

void SpectrumDisplay::OnSpectrumReady()
{
    if (shared_.spectrumPending == 0)
        return;
    const bool behind = fifoCount_ && fifoCount_() >= kSpectrumBacklogBuffers && !state_.blockFromFile;
    if (!behind && !state_.fastDecoding)
        DrawWaterfall();
    shared_.spectrumPending = 0;
}

void SpectrumDisplay::DrawWaterfall()
{
    if (state_.displayHoldTicks != 0 || drawing_)
        return;
    drawing_ = true;
    BuildPalette();  // a line before the start-up's BuildPalette still has its colours
    const int w = std::max(port_.waterfallWidth(), 0);
    const int h = std::max(port_.waterfallHeight(), 0);
    const int zoom = validZoom(settings_.zoom);
    const DisplayGeometry geometry = DisplayGeometry::of(w, settings_.displayCentre, zoom);
    if (state_.fullRedraw || waterfall_.sizeDiffers(w, h, zoom)) {
        state_.fullRedraw = false;
        waterfall_.reset(w, h, zoom, palette_);
        DrawScale();
    } else {
        waterfall_.advanceRow();
    }
    waterfall_.drawLine(geometry, shared_, validWaterfallGain(settings_.waterfallGain), palette_);
    placeMarkers(geometry, h);
    ++linesDrawn_;
    port_.waterfallChanged();
    showTunedFrequency();
    drawing_ = false;
}

void SpectrumDisplay::DrawScale()
{
    scale_ = scaleTicks(geometry(), port_.scaleWidth());
    port_.scaleChanged();
}

void SpectrumDisplay::placeMarkers(const DisplayGeometry& geometry, int height)
{
    markers_.clear();
    auto add = [&](double hz, int top, const Rgb& colour) {
        const int x = geometry.columnOf(hz);
        if (x >= 0 && x < geometry.width)
            markers_.push_back({x, top, height - 1, colour});
    };
    for (int i = 0; i < 4; ++i) {
        if (const TIfsk16Decoder* d = decoders_[static_cast<std::size_t>(i)]) {
            const Rgb& colour = i < 2 ? kBandMarkerColour : kMarkerColour;
            add(d->bandLo(), 0, colour);
            add(d->bandHi(), 0, colour);
        }
    }
    for (const TIfsk16Decoder* d : decoders_) {
        if (d) {
            add(d->searchLo(), height - height / 3, kMarkerColour);
            add(d->searchHi(), height - height / 3, kMarkerColour);
        }
    }
}

void SpectrumDisplay::showTunedFrequency()
{
    const TIfsk16Decoder* speed1 = decoders_[0];
    if (!speed1)
        return;
    const double m = std::floor((speed1->bandLo() + speed1->bandHi()) * 500.0 + 0.5);
    if (!std::isfinite(m) || std::fabs(m) > 1e15)
        return;
    const auto milli = static_cast<long long>(m);
    if (panel2Shown_ && milli == panel2Milli_)
        return;
    panel2Shown_ = true;
    panel2Milli_ = milli;
    panels_.setPanelText(2, tunedFrequencyText(milli));
}

void SpectrumDisplay::UpdateLamps()
{
    lamps_.update(shared_.StatusMasks, port_);
}

std::string tunedFrequencyText(long long milliHz)
{
    const long long whole = milliHz >= 0 ? (milliHz + 500) / 1000 : -((-milliHz + 500) / 1000);
    return (whole == 0 ? std::string() : std::to_string(whole)) + " Hz";
}

}  // namespace veltrin
