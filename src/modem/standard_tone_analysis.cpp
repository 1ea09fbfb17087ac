#include <algorithm>
#include <cstring>

#include "modem/fft.h"
#include "modem/tone_analysis.h"
#include "modem/tone_steps.h"

namespace veltrin {

HopTone StandardToneAnalysis::analyse(const float* window, bool analyse, const SpectrumOut* spectrum, int)
{
    // The zero padding up to fftSize is implied by the transform.
    const int n = g_.windowLen;
    int kLo = g_.binLo - 1;
    int kHi = g_.binHi + 1;
    if (spectrum) {
        kLo = 0;
        kHi = std::max(kHi, spectrum->count - 1);
    }
    RealFftBins(window, n, g_.fftSize, kLo, kHi, fftRe_, fftIm_, workRe_, workIm_);
    if (spectrum) {
        std::memcpy(spectrum->re, fftRe_, sizeof(float) * spectrum->count);
        std::memcpy(spectrum->im, fftIm_, sizeof(float) * spectrum->count);
    }
    if (!analyse)
        return {};
    // Single precision is ample here: the magnitudes are stored as floats and
    // the power threshold 1e-12 is far inside the float range.
    const float scale = static_cast<float>(1.0 / (2.0 * n * static_cast<double>(n)));
    BandMagnitudes(fftRe_, fftIm_, g_.binLo - 1, g_.binHi + 1, scale, mag_);
    const ToneEstimate est = EstimateTone(mag_, g_.binLo, g_.binHi, g_.binsPerPosition());
    return {est.position, est.quality};
}

}  // namespace veltrin
