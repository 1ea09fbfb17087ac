#pragma once
// The window's side of the spectrum display: puts the Qt-free
// SpectrumDisplay behind FFTBox, ScaleImage, the lamps, the "Frequency"
// menu and status panels 1 and 2, and wires it into the station's hooks
// (TuneTo, StepTune, WM_SPECTRUM_READY, BuildPalette) and the sample
// chain's lamp update.
#include <memory>

#include "display/display_port.h"

namespace veltrin {

class SpectrumDisplay;
class TRxForm;

class RxDisplay : public DisplayPort {
public:
    explicit RxDisplay(TRxForm& form);
    ~RxDisplay() override;
    RxDisplay(const RxDisplay&) = delete;
    RxDisplay& operator=(const RxDisplay&) = delete;

    SpectrumDisplay& core() { return *core_; }

    // DisplayPort
    int waterfallWidth() const override;
    int waterfallHeight() const override;
    int scaleWidth() const override;
    void waterfallChanged() override;
    void scaleChanged() override;
    void checkCentreItem(int hz) override;
    void showLamp(Lamp lamp, int index) override;

private:
    TRxForm& form_;
    std::unique_ptr<SpectrumDisplay> core_;
};

}  // namespace veltrin
