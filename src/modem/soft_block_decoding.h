#pragma once
// Soft-decision block decoding of the enhanced mode. From the fine tone
// powers at the hops where the block search read the 61 tones of a block
// (the one before it and its 60), under the frequency offset that fits the
// block best: noncoherent tone likelihoods, the probabilities of the 16 step
// values of every symbol from a forward-backward pass over the 18 tone
// positions, and for every RS(15,7) codeword an ordered-statistics list
// decoding (the seven most reliable symbols re-encoded, then changed one at
// a time and two at a time), with the hard-decision result as one more
// candidate. A codeword is accepted only when its likelihood is within a
// margin of the symbol-by-symbol best, which keeps noise from passing as
// blocks. All work arrays are fixed members.
#include <cstdint>

#include "modem/block_decoding.h"

namespace veltrin {

class FineToneAnalysis;
class SymbolTiming;

class SoftBlockDecoding : public BlockDecoding {
public:
    static constexpr int kValues = 16;
    // Largest accepted shortfall of a codeword's log-likelihood from the
    // symbol-by-symbol best (natural log units).
    static constexpr double kMaxShortfall = 9.0;

    SoftBlockDecoding(const FineToneAnalysis& tones, const SymbolTiming& timing) : tones_(tones), timing_(timing) {}

    void prepare(const BlockReading& reading) override;
    int decodeCodeword(int q, std::uint8_t decoded[kRsLength]) override;

    // Log-probabilities of the 16 values of block symbol k after prepare.
    const float* logProbabilities(int k) const { return logP_[k]; }
    int offsetBins() const { return offset_; }

private:
    static constexpr int kTones = 61;  // the tone before the block and its 60
    const FineToneAnalysis& tones_;
    const SymbolTiming& timing_;
    const BlockReading* reading_ = nullptr;
    bool soft_ = false;
    int offset_ = 0;
    float energy_[kTones][18] = {};
    double like_[kTones][18] = {};
    double alpha_[kTones][18] = {};
    double beta_[kTones][18] = {};
    float logP_[kBlockSymbols][kValues] = {};
};

}  // namespace veltrin
