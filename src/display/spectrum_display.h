#pragma once
// The spectrum and tuning display behind FFTBox, ScaleImage and the lamps:
// one waterfall line per spectrum of the speed-1 decoder, the tone-band and
// search markers of the four decoders, the frequency scale, tuning, the
// lamps and status panels 1 and 2. Main thread only; the widgets only paint
// what this holds.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "display/display_geometry.h"
#include "display/display_port.h"
#include "display/lamps.h"
#include "display/palette.h"
#include "display/tuning.h"
#include "display/waterfall.h"

namespace veltrin {

struct AppState;
struct DecoderShared;
struct Settings;
class StatusPanels;
class TIfsk16Decoder;

inline constexpr Rgb kBandMarkerColour{255, 255, 0};    // speeds 1 and 4
inline constexpr Rgb kMarkerColour{240, 240, 240};      // markerColour
inline constexpr int kSpectrumBacklogBuffers = 7;       // live audio this far behind: no drawing

struct MarkerLine {
    int x;
    int top;     // first row (inclusive)
    int bottom;  // last row (inclusive)
    Rgb colour;
};

class SpectrumDisplay {
public:
    // decoders: speeds 1, 4, 16, 32; fifoCount: buffers waiting in the
    // capture FIFO. All must outlive the display.
    SpectrumDisplay(Settings& settings, AppState& state, DecoderShared& shared,
                    std::array<TIfsk16Decoder*, 4> decoders, StatusPanels& panels, DisplayPort& port,
                    std::function<int()> fifoCount);

    void BuildPalette();
    void TuneTo(int hz) { tuning_.TuneTo(hz); }
    void StepTune(int step) { tuning_.StepTune(step); }
    void FFTBoxMouseDown(int x, bool ctrl, bool leftButton) { tuning_.FFTBoxMouseDown(x, ctrl, leftButton); }
    void FFTBoxMouseMove(int x, bool ctrl, bool leftButton) { tuning_.FFTBoxMouseMove(x, ctrl, leftButton); }

    // WM_SPECTRUM_READY: draws the waiting spectrum or drops it (live audio
    // 7 or more buffers behind, fast decoding), and frees the hand-over.
    void OnSpectrumReady();
    // One new line; nothing while the display is held or already drawing.
    void DrawWaterfall();
    // The scale's ticks for the present geometry (every full redraw).
    void DrawScale();
    void UpdateLamps();

    // What the widgets paint.
    const Waterfall& waterfall() const { return waterfall_; }
    const std::vector<MarkerLine>& markers() const { return markers_; }
    const std::vector<ScaleTick>& scale() const { return scale_; }
    const WaterfallPalette& palette() const { return palette_; }
    DisplayGeometry geometry() const { return tuning_.geometry(); }
    int linesDrawn() const { return linesDrawn_; }
    const ReceiveLamps& lamps() const { return lamps_; }

private:
    void placeMarkers(const DisplayGeometry& geometry, int height);
    void showTunedFrequency();

    Settings& settings_;
    AppState& state_;
    DecoderShared& shared_;
    std::array<TIfsk16Decoder*, 4> decoders_;
    StatusPanels& panels_;
    DisplayPort& port_;
    std::function<int()> fifoCount_;
    Tuning tuning_;
    WaterfallPalette palette_;
    Waterfall waterfall_;
    ReceiveLamps lamps_;
    std::vector<MarkerLine> markers_;
    std::vector<ScaleTick> scale_;
    bool drawing_ = false;
    bool panel2Shown_ = false;
    long long panel2Milli_ = 0;
    int linesDrawn_ = 0;
};

// "####" followed by " Hz": thousandths of a Hz rounded to whole Hz, half
// away from zero; no digits for 0.
std::string tunedFrequencyText(long long milliHz);

}  // namespace veltrin
