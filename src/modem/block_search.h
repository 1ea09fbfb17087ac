#pragma once
// Block search and lock, once per symbol: the 60 symbols ending at the
// tracked symbol read with fine timing, their four codewords decoded by the
// block decoding in use, the acceptance of header, data and weak blocks, the
// lock that predicts the next block, the countdowns and the tuning-pattern
// detector.
#include <cstdint>

#include "modem/block_codec.h"
#include "modem/block_decoding.h"

namespace veltrin {

class SymbolTiming;
class MessageAssembly;
struct DecoderStatus;

class BlockSearch {
public:
    BlockSearch(const SymbolTiming& timing, MessageAssembly& assembly, DecoderStatus& status)
        : timing_(timing), assembly_(assembly), status_(status)
    {
    }
    void setDecoding(BlockDecoding* decoding) { decoding_ = decoding; }
    void reset();

    void TrackBlock(int ref);
    void DetectSygn();
    // The lamps this block owns.
    void reportLamps() const;

    int lockCountdown() const { return lockCountdown_; }
    int lives() const { return lives_; }
    int activityHold() const { return activityHold_; }
    int sygnHold() const { return sygnHold_; }
    const BlockReading& reading() const { return reading_; }

private:
    struct SymbolStep {
        int offset;
        double difference;
    };

    int BestOffset(int start, int n) const;
    SymbolStep SymbolStepAt(int at, int n) const;
    void ReadBlock(int ref, int& g, int& drift, int& avg);
    bool PassesHeaderTest();
    void AcceptHeader(int timingBase, int drift, int avg, int errorSum);
    void AcceptData(int timingBase, int drift, int avg, int hold, bool last, int errorSum);

    const SymbolTiming& timing_;
    MessageAssembly& assembly_;
    DecoderStatus& status_;
    BlockDecoding* decoding_ = nullptr;

    int lockCountdown_ = 0;
    int lives_ = 0;
    int activityHold_ = 0;
    int sygnHold_ = 0;
    BlockReading reading_{};
    std::uint8_t decoded_[kBlockCodewords][kRsLength] = {};
    std::uint8_t block_[kBlockBytes] = {};
};

}  // namespace veltrin
