#pragma once
// Tone analysis of the enhanced decoding: the standard tone estimate for the
// symbol timing, plus, per hop, the power of a finer spectrum (a quarter of
// the tone spacing per bin) around the 18 tone positions, kept for the last
// 1024 hops so that a soft block decoding can measure every tone at the
// hops where the block search read the symbols, under several frequency
// offsets.
#include "modem/symbol_timing.h"
#include "modem/tone_analysis.h"

namespace veltrin {

class FineToneAnalysis : public ToneAnalysis {
public:
    static constexpr int kBinsPerPosition = 4;
    // Offsets tried, in fine bins either side of the nominal tones: up to two
    // and a half tone spacings.
    static constexpr int kMaxOffset = 10;
    static constexpr int kBins = 17 * kBinsPerPosition + 2 * kMaxOffset + 1;  // 89

    void configure(const DecoderGeometry& geometry) override;
    HopTone analyse(const float* window, bool analyse, const SpectrumOut* spectrum, int hopIndex) override;

    // Fine-bin powers of a history slot; bin kMaxOffset + 4k is tone k when
    // the transmitter is on frequency.
    bool usable() const { return usable_; }
    const float* powersAt(int hopIndex) const { return powers_[SymbolTiming::wrap(hopIndex)]; }

private:
    static constexpr int kMaxFineSize = 16384;
    StandardToneAnalysis standard_;
    DecoderGeometry g_{};
    bool usable_ = false;
    int fineSize_ = 0;
    int firstBin_ = 0;  // fine bin of powers_[h][0]
    float powers_[SymbolTiming::kHistorySize][kBins] = {};
    float re_[kMaxFineSize / 2 + 1] = {};
    float im_[kMaxFineSize / 2 + 1] = {};
    float workRe_[kMaxFineSize / 2] = {};
    float workIm_[kMaxFineSize / 2] = {};
};

}  // namespace veltrin
