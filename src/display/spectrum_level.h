#pragma once
// From a spectrum bin of the speed-1 decoder to a colour of the waterfall.
#include "modem/decoder_shared.h"

namespace veltrin {

inline constexpr int kDisplayBinLo = 1;     // the usable bins of the 8192-point spectrum
inline constexpr int kDisplayBinHi = 4094;

// The magnitude of bin b relative to a full-scale sine (about 1 for one),
// times gain, at most 1; 0 outside the usable bins.
double SpectrumLevel(const DecoderShared& shared, int b, int gain);

// 0 .. 9999: how many colours below the brightest a level lies, spreading
// 70 dB over the palette (1 gives 0, 10^-3.5 and below give 9999). The
// waterfall shows palette colour 10000 - index.
int LevelToColourIndex(double v);

}  // namespace veltrin
