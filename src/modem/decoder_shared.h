#pragma once
// State the decoders share with the display: the status bit masks (one bit
// per decoder speed) and the spectrum hand-over of the speed-1 decoder. The
// station owns one; decoders without one keep no masks and hand over no
// spectrum.
#include <cstdint>

namespace veltrin {

// Indices into StatusMasks.
enum StatusMaskIndex : int {
    kMaskSignal = 0,
    kMaskMessage = 1,
    kMaskHeadless = 2,
    kMaskGps = 3,
    kMaskBeacon = 4,
    kMaskActivity = 5,
    kMaskTimeout = 6,
    kMaskSygn = 7,
};
constexpr int kStatusMaskCount = 8;
constexpr int kSpectrumBins = 4096;

struct DecoderShared {
    // Bit value = the decoder's speed (1, 4, 16, 32).
    std::uint8_t StatusMasks[kStatusMaskCount] = {};
    float SpectrumRe[kSpectrumBins] = {};
    float SpectrumIm[kSpectrumBins] = {};
    // 1 while a spectrum copy waits for the display; the display clears it.
    int spectrumPending = 0;
};

}  // namespace veltrin
