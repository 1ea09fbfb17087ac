#include "modem/symbol_timing.h"

#include <algorithm>
#include <iterator>

#include "config/settings.h"

namespace veltrin {

bool SymbolTiming::inverse() const { return options_ && options_->inverseManipulation != 0; }

void SymbolTiming::reset()
{
    histPos_ = 0;
    std::fill(std::begin(quality_), std::end(quality_), 0.0f);  // tone positions are kept
    hopInSymbol_ = 0;
    symbolClock_ = 0;
    signalPresent_ = 0;
}

bool SymbolTiming::StoreHop(double quality, double tonePos)
{
    histPos_ = wrap(histPos_ + 1);
    quality_[histPos_] = static_cast<float>(quality);
    tonePos_[histPos_] = static_cast<float>(tonePos);
    return ++hopInSymbol_ >= kHopsPerSymbol;
}

int SymbolTiming::Boundary()
{
    hopInSymbol_ = 0;
    int ref = histPos_ - 22;
    const int base = histPos_ - 198;
    // Timing: the phase (in hops) at which the last 16 symbols were strongest.
    const int best = BestQualityOffset<7>(base, -3, 16);
    // One hop of correction per symbol, whatever the distance.
    if (best > 0) {
        hopInSymbol_ = -1;
        ref += 1;
    } else if (best < 0) {
        hopInSymbol_ = 1;
        ref -= 1;
    }
    ++symbolClock_;
    return wrap(ref);
}

void SymbolTiming::DetectCarrier(int ref)
{
    int best = 0;
    float bestQ = 0.0f;
    for (int j = -4; j <= 4; ++j) {
        const float q = quality_[wrap(ref + j)];
        if (q > bestQ) {
            bestQ = q;
            best = j;
        }
    }
    int ok = best >= -1 && best <= 1;
    if (ok)
        ok = StepQuality(tonePos_[wrap(ref)] - tonePos_[wrap(ref - 11)]) >= 30;
    signalPresent_ = UpdateCarrier(carrierFlags_, ok, signalPresent_);
}

double SymbolTiming::QualitySum(int start, int n) const
{
    const int step = n > 0 ? kHopsPerSymbol : -kHopsPerSymbol;
    const int count = n > 0 ? n : -n;
    double sum = 0.0;
    int at = start;
    for (int i = 0; i < count; ++i, at += step)
        sum += quality_[wrap(at)];
    return sum;
}

template <int V>
int SymbolTiming::BestQualityOffset(int start, int lo, int n) const
{
    const int step = n > 0 ? kHopsPerSymbol : -kHopsPerSymbol;
    const int count = n > 0 ? n : -n;
    double sums[V] = {};
    int at = start + lo;
    for (int i = 0; i < count; ++i, at += step) {
        const int a = wrap(at);
        // Unrolled so that the sums stay in registers.
        if (a + V <= kHistorySize) {
#pragma GCC unroll 16
            for (int c = 0; c < V; ++c)
                sums[c] += quality_[a + c];
        } else {
#pragma GCC unroll 16
            for (int c = 0; c < V; ++c)
                sums[c] += quality_[wrap(a + c)];
        }
    }
    int best = 0;
    double bestSum = 0.0;
    for (int c = 0; c < V; ++c)
        if (sums[c] > bestSum) {
            bestSum = sums[c];
            best = lo + c;
        }
    return best;
}

// Symbol timing (7 phases), symbol steps (5) and block timing (9).
template int SymbolTiming::BestQualityOffset<5>(int, int, int) const;
template int SymbolTiming::BestQualityOffset<7>(int, int, int) const;
template int SymbolTiming::BestQualityOffset<9>(int, int, int) const;

int SymbolTiming::StepToNibble(double difference) const
{
    return NibbleOfStep(NormaliseStep(difference, binsPerPosition_, inverse()));
}

int SymbolTiming::StepQuality(double difference) const
{
    return QualityOfStep(NormaliseStep(difference, binsPerPosition_, inverse()));
}

}  // namespace veltrin
