#include "app/rx_display_qt.h"

#include <QAction>
#include <QLabel>

#include "app/rx_form.h"
#include "app/status_bar_widget.h"
#include "display/lamp_images_qt.h"
#include "display/lamps.h"
#include "display/scale_widget.h"
#include "display/spectrum_display.h"
#include "display/waterfall_widget.h"

namespace veltrin {

RxDisplay::RxDisplay(TRxForm& form) : form_(form)
{
    Station& station = form.station();
    ReceiveChain& chain = station.receiveChain();
    core_ = std::make_unique<SpectrumDisplay>(station.settings(), station.state(), station.decoderShared(),
                                              chain.decoderPointers(), form.statusPanels(), *this,
                                              [&chain] { return chain.fifo().bufferCount(); });
    SpectrumDisplay& core = *core_;
    form.FFTBox->setDisplay(&core);
    form.ScaleImage->setDisplay(&core);
    auto down = [&core](int x, bool ctrl, bool left) { core.FFTBoxMouseDown(x, ctrl, left); };
    auto move = [&core](int x, bool ctrl, bool left) { core.FFTBoxMouseMove(x, ctrl, left); };
    form.FFTBox->setMouseHandlers(nullptr, down, move);
    form.ScaleImage->setMouseHandlers(form.FFTBox, down, move);

    StationHooks& hooks = station.hooks();
    hooks.buildPalette = [&core] { core.BuildPalette(); };
    hooks.tuneTo = [&core](int hz) {
        core.TuneTo(hz);
        // Until the first spectrum arrives the scale already shows the tuning.
        if (core.linesDrawn() == 0)
            core.DrawScale();
    };
    hooks.stepTune = [&core](int step) { core.StepTune(step); };
    hooks.onSpectrumReady = [&core] { core.OnSpectrumReady(); };
    station.sampleChain().setLampUpdater([&core] { core.UpdateLamps(); });

    // The pictures the lamps have before the first update.
    showLamp(Lamp::Sync, kLampNoSignal);
    showLamp(Lamp::Rx, kLampNoMessage);
    showLamp(Lamp::RxBusy, kLampQuiet);
}

RxDisplay::~RxDisplay()
{
    Station& station = form_.station();
    StationHooks& hooks = station.hooks();
    hooks.buildPalette = {};
    hooks.tuneTo = {};
    hooks.stepTune = {};
    hooks.onSpectrumReady = {};
    station.sampleChain().setLampUpdater({});
    form_.FFTBox->setDisplay(nullptr);
    form_.FFTBox->setMouseHandlers(nullptr, {}, {});
    form_.ScaleImage->setDisplay(nullptr);
    form_.ScaleImage->setMouseHandlers(nullptr, {}, {});
}

int RxDisplay::waterfallWidth() const { return form_.FFTBox->width(); }
int RxDisplay::waterfallHeight() const { return form_.FFTBox->height(); }
int RxDisplay::scaleWidth() const { return form_.ScalePanel->width(); }
void RxDisplay::waterfallChanged() { form_.FFTBox->update(); }
void RxDisplay::scaleChanged() { form_.ScaleImage->update(); }

void RxDisplay::checkCentreItem(int hz)
{
    if (QAction* item = form_.action(QStringLiteral("CF_%1").arg(hz)))
        item->setChecked(true);
}

void RxDisplay::showLamp(Lamp lamp, int index)
{
    QLabel* label = lamp == Lamp::Sync ? form_.ImageSync : lamp == Lamp::Rx ? form_.ImageRx : form_.ImageRxBusy;
    label->setPixmap(lampImage(lamp, index));
    label->setToolTip(lampToolTip(lamp, index));
}

}  // namespace veltrin
