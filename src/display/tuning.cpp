#include "display/tuning.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "config/app_state.h"
#include "modem/ifsk16_decoder.h"

namespace veltrin {

namespace {

constexpr double kFastCentreHz = 1710.9375;
constexpr double kLowestHz = 100.0;
constexpr double kHighestHz = 3800.0;

bool isMenuValue(int hz)
{
    return hz >= 500 && hz <= 2500 && hz % 100 == 0;
}

}  // namespace

Tuning::Tuning(Settings& settings, AppState& state, std::array<TIfsk16Decoder*, 4> decoders,
               StatusPanels& panels, DisplayPort& port)
    : settings_(settings), state_(state), decoders_(decoders), panels_(panels), port_(port)
{
}

void Tuning::TuneTo(int hz)
{
    if (hz % 100 == 0)
        state_.fullRedraw = true;
    if (isMenuValue(hz)) {
        port_.checkCentreItem(hz);
        settings_.displayCentre = hz;
    }
    // A frequency from a damaged settings file must not overflow the
    // thousandths.
    const long long milli = static_cast<long long>(hz) * 1000;
    settings_.centreFreqMilliHz = static_cast<int>(std::clamp<long long>(milli, INT_MIN, INT_MAX));
    for (int i = 0; i < 4; ++i) {
        if (decoders_[static_cast<std::size_t>(i)])
            decoders_[static_cast<std::size_t>(i)]->SetCenterFreq(i < 2 ? static_cast<double>(hz) : kFastCentreHz);
    }
    panels_.setPanelText(1, std::to_string(settings_.displayCentre) + " Hz");
}

long long Tuning::tunedHz() const
{
    return (static_cast<long long>(settings_.centreFreqMilliHz) + 500) / 1000;
}

bool Tuning::withinLimits(double f) const
{
    const TIfsk16Decoder* speed4 = decoders_[1];
    const double h = speed4 ? (speed4->searchHi() - speed4->searchLo()) / 2.0 : 0.0;
    return f - h >= kLowestHz && f + h <= kHighestHz;
}

void Tuning::StepTune(int step)
{
    const long long f = tunedHz() + step;
    if (withinLimits(static_cast<double>(f)))
        TuneTo(static_cast<int>(f));
}

DisplayGeometry Tuning::geometry() const
{
    return DisplayGeometry::of(port_.waterfallWidth(), settings_.displayCentre, settings_.zoom);
}

void Tuning::FFTBoxMouseDown(int x, bool ctrl, bool leftButton)
{
    if (ctrl)
        FFTBoxMouseMove(x, ctrl, leftButton);
}

void Tuning::FFTBoxMouseMove(int x, bool ctrl, bool leftButton)
{
    if (!ctrl || !leftButton || state_.fastDecoding)
        return;
    state_.displayHoldTicks = 0;
    const double f = geometry().frequencyAt(x);
    if (withinLimits(f))
        TuneTo(static_cast<int>(std::floor(f + 0.5)));
}

}  // namespace veltrin
