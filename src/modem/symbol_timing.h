#pragma once
// Symbol timing: the per-hop histories of tone quality and tone position,
// the symbol clock with its one-hop timing correction, the step measures
// between two tone positions and the carrier detection. Fed one hop at a
// time by a tone analysis; read by the block search.
#include "modem/tone_steps.h"

namespace veltrin {

struct DecoderOptions;

class SymbolTiming {
public:
    static constexpr int kHistorySize = 1024;
    static constexpr int kHopsPerSymbol = 11;

    static int wrap(int index) { return index & (kHistorySize - 1); }

    // binsPerPosition: the tone spacing in the analysis' position unit;
    // options: the live inversion option (may be null).
    void configure(int binsPerPosition, const DecoderOptions* options)
    {
        binsPerPosition_ = binsPerPosition;
        options_ = options;
    }
    void reset();

    // Stores one hop; true when it completes a symbol (call Boundary then).
    bool StoreHop(double quality, double tonePos);
    // Timing correction and clock at a symbol boundary: the tracked
    // reference hop (0..1023) of the symbol just completed.
    int Boundary();
    void DetectCarrier(int ref);

    int StepToNibble(double difference) const;
    int StepQuality(double difference) const;
    // |n| quality entries from `start`, stepping 11 forwards (n > 0) or backwards.
    double QualitySum(int start, int n) const;
    // The offset c in lo..lo+V-1 whose QualitySum(start + c, n) is largest
    // (strictly larger than every earlier one and than 0); 0 if none. The V
    // sums run side by side, each added up in the order QualitySum uses.
    template <int V>
    int BestQualityOffset(int start, int lo, int n) const;

    float toneAt(int index) const { return tonePos_[wrap(index)]; }
    float qualityAt(int index) const { return quality_[wrap(index)]; }
    int histPos() const { return histPos_; }
    int hopInSymbol() const { return hopInSymbol_; }
    int symbolClock() const { return symbolClock_; }
    int signalPresent() const { return signalPresent_; }
    int binsPerPosition() const { return binsPerPosition_; }
    bool inverse() const;

private:
    friend struct Ifsk16DecoderTestAccess;

    int binsPerPosition_ = 1;
    const DecoderOptions* options_ = nullptr;
    float quality_[kHistorySize] = {};
    float tonePos_[kHistorySize] = {};
    int histPos_ = 0;
    int hopInSymbol_ = 0;
    int symbolClock_ = 0;
    int carrierFlags_[4] = {};
    int signalPresent_ = 0;
};

}  // namespace veltrin
