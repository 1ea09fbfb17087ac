#include "display/lamps.h"

#include <algorithm>

namespace veltrin {

int receptionLampIndex(const std::uint8_t masks[kStatusMaskCount])
{
    if (masks[kMaskGps])
        return kLampGps;
    if (masks[kMaskBeacon])
        return kLampBeacon;
    if (masks[kMaskHeadless])
        return kLampHeadless;
    if (masks[kMaskMessage])
        return kLampMessage;
    return kLampNoMessage;
}

int busyLampIndex(const std::uint8_t masks[kStatusMaskCount])
{
    const bool busy = masks[kMaskActivity] || masks[kMaskTimeout] || masks[kMaskSygn];
    return !masks[kMaskMessage] && busy ? kLampBusy : kLampQuiet;
}

void ReceiveLamps::update(const std::uint8_t masks[kStatusMaskCount], DisplayPort& port)
{
    if (first_ || masks[kMaskSignal] != last_[kMaskSignal])
        port.showLamp(Lamp::Sync, masks[kMaskSignal] ? kLampSignal : kLampNoSignal);
    if (!std::equal(masks + 1, masks + kStatusMaskCount, last_ + 1)) {
        const int rx = receptionLampIndex(masks);
        if (rx != rxShown_) {
            rxShown_ = rx;
            port.showLamp(Lamp::Rx, rx);
        }
        const int busy = busyLampIndex(masks);
        if (busy != busyShown_) {
            busyShown_ = busy;
            port.showLamp(Lamp::RxBusy, busy);
        }
    }
    std::copy(masks, masks + kStatusMaskCount, last_);
    first_ = false;
}

}  // namespace veltrin
