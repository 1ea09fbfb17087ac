#include "modem/fine_tone_analysis.h"

#include <algorithm>
#include <cmath>

#include "modem/fft.h"

namespace veltrin {

void FineToneAnalysis::configure(const DecoderGeometry& geometry)
{
    g_ = geometry;
    standard_.configure(geometry);
    // A quarter of the tone spacing per bin: spacing 2/T pads twice, 1/T
    // four times. Other spacings leave the fine spectrum unused.
    fineSize_ = 4 * g_.windowLen / std::max(1, g_.spacingFactor);
    usable_ = g_.windowLen > 0 && IsFftSize(fineSize_) && fineSize_ <= kMaxFineSize &&
              fineSize_ * g_.spacingFactor == 4 * g_.windowLen && fineSize_ >= g_.windowLen;
    if (!usable_)
        return;
    const double fineHz = 12000.0 / fineSize_;
    const double tone0 = g_.centreHz - 8.5 * g_.spacingHz;
    firstBin_ = static_cast<int>(std::floor(tone0 / fineHz + 0.5)) - kMaxOffset;
    firstBin_ = std::clamp(firstBin_, 0, fineSize_ / 2 - kBins);
}

HopTone FineToneAnalysis::analyse(const float* window, bool analyse, const SpectrumOut* spectrum, int hopIndex)
{
    const HopTone tone = standard_.analyse(window, analyse, spectrum, hopIndex);
    if (!analyse || !usable_)
        return tone;
    const int hi = firstBin_ + kBins - 1;
    RealFftBins(window, g_.windowLen, fineSize_, firstBin_, hi, re_, im_, workRe_, workIm_);
    float* out = powers_[SymbolTiming::wrap(hopIndex)];
    for (int j = 0; j < kBins; ++j) {
        const float r = re_[firstBin_ + j], i = im_[firstBin_ + j];
        out[j] = r * r + i * i;
    }
    return tone;
}

}  // namespace veltrin
