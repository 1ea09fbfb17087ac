#include "display/spectrum_level.h"

#include <cmath>

namespace veltrin {

namespace {

// The FFT of 8192 samples of 16-bit scale gives 2^27 for a full-scale sine.
constexpr double kFullScale = 1.0 / 134217728.0;
// 9999 x this x ln(v) reaches 9999 at 70 dB below full scale.
constexpr double kColoursPerNeper = 9999.0 * 0.12410027302060064;

}  // namespace

double SpectrumLevel(const DecoderShared& shared, int b, int gain)
{
    if (b < kDisplayBinLo || b > kDisplayBinHi)
        return 0.0;
    const double re = shared.SpectrumRe[b] * kFullScale;
    const double im = shared.SpectrumIm[b] * kFullScale;
    const double p = re * re + im * im;
    const double a = p > 1e-12 ? std::sqrt(p) : 0.0;
    const double v = gain * a;
    return v > 1.0 ? 1.0 : v;
}

int LevelToColourIndex(double v)
{
    // NaN from a broken spectrum counts as silence.
    if (!(v >= 0.0001))
        return 9999;
    const double p = -kColoursPerNeper * std::log(v);
    if (!(p > 0.0))
        return 0;
    if (p >= 9999.0)
        return 9999;
    return static_cast<int>(p);
}

}  // namespace veltrin
