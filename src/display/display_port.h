#pragma once
// What the spectrum display needs of the window: the size of the waterfall
// and the scale, repaints, the check mark of the centre menu and the lamps.
// The window implements it with widgets; tests with recorders.

namespace veltrin {

enum class Lamp { Sync, Rx, RxBusy };  // ImageSync, ImageRx, ImageRxBusy

class DisplayPort {
public:
    virtual ~DisplayPort() = default;
    virtual int waterfallWidth() const = 0;   // FFTBox
    virtual int waterfallHeight() const = 0;
    virtual int scaleWidth() const = 0;       // ScalePanel, which the scale image fills
    // A new line, new markers or a new bitmap are ready to be shown.
    virtual void waterfallChanged() = 0;
    virtual void scaleChanged() = 0;
    // The CF_<hz> item of the "Frequency" menu becomes the checked one.
    virtual void checkCentreItem(int hz) = 0;
    // The lamp shows image `index` of its image list (ImageListSync for
    // the sync lamp, ImageListLamps for the other two).
    virtual void showLamp(Lamp lamp, int index) = 0;
};

}  // namespace veltrin
