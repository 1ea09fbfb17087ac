#pragma once
// Tuning: the one operation TuneTo, the step buttons and click-to-tune.
// The speed-1 and speed-4 decoders follow the tuned frequency; speeds 16
// and 32 always listen at 1710.9375 Hz.
#include <array>

#include "config/settings.h"
#include "display/display_geometry.h"
#include "display/display_port.h"
#include "platform/ui_ports.h"

namespace veltrin {

class TIfsk16Decoder;
struct AppState;

class Tuning {
public:
    // decoders: speeds 1, 4, 16, 32 (null entries are skipped).
    Tuning(Settings& settings, AppState& state, std::array<TIfsk16Decoder*, 4> decoders, StatusPanels& panels,
           DisplayPort& port);

    // Tunes to hz; a menu value (500, 600 .. 2500) also becomes the display
    // centre, and every multiple of 100 redraws the waterfall whole.
    void TuneTo(int hz);
    // From the tuned frequency by step Hz, as long as the speed-4 decoder's
    // analysed band stays inside 100 .. 3800 Hz; otherwise nothing happens.
    void StepTune(int step);
    // The frequency a Ctrl-click or Ctrl-drag at column x tunes to, if it is
    // within the limits of StepTune.
    void FFTBoxMouseDown(int x, bool ctrl, bool leftButton);
    void FFTBoxMouseMove(int x, bool ctrl, bool leftButton);

    // Hz of the tuned frequency, rounded.
    long long tunedHz() const;
    // Whether the speed-4 decoder's analysed band around f stays in 100 .. 3800 Hz.
    bool withinLimits(double f) const;
    DisplayGeometry geometry() const;

private:
    Settings& settings_;
    AppState& state_;
    std::array<TIfsk16Decoder*, 4> decoders_;
    StatusPanels& panels_;
    DisplayPort& port_;
};

}  // namespace veltrin
