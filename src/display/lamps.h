#pragma once
// The three receive lamps, from the decoders' status masks. Image indices
// (ImageListSync): 0 no signal, 1 a decoder hears a signal. (ImageListLamps):
// 7 no message, 5 GPS position, 6 beacon, 8 headless message, 12 another
// message; 4 channel quiet, 13 channel busy without a message.
#include <cstdint>

#include "display/display_port.h"
#include "modem/decoder_shared.h"

namespace veltrin {

inline constexpr int kLampNoSignal = 0;
inline constexpr int kLampSignal = 1;
inline constexpr int kLampQuiet = 4;
inline constexpr int kLampGps = 5;
inline constexpr int kLampBeacon = 6;
inline constexpr int kLampNoMessage = 7;
inline constexpr int kLampHeadless = 8;
inline constexpr int kLampMessage = 12;
inline constexpr int kLampBusy = 13;

// The reception lamp's and the busy lamp's image for these masks.
int receptionLampIndex(const std::uint8_t masks[kStatusMaskCount]);
int busyLampIndex(const std::uint8_t masks[kStatusMaskCount]);

class ReceiveLamps {
public:
    // UpdateLamps: after every block of samples. Draws only what changed.
    void update(const std::uint8_t masks[kStatusMaskCount], DisplayPort& port);

    int receptionIndex() const { return rxShown_; }
    int busyIndex() const { return busyShown_; }

private:
    std::uint8_t last_[kStatusMaskCount] = {};
    bool first_ = true;  // the signal byte counts as changed
    int rxShown_ = kLampNoMessage;
    int busyShown_ = kLampQuiet;
};

}  // namespace veltrin
