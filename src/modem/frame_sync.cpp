// Once per symbol: the search for a 60-symbol block ending at the tracked
// symbol, the block lock, the countdowns, the tuning-pattern detector and the
// status bits.
#include <cstdio>

#include "modem/decoder_shared.h"
#include "modem/ifsk16_decoder.h"
#include "modem/reed_solomon.h"
#include "platform/ui_ports.h"

namespace veltrin {

namespace {

constexpr int kHeaderHoldAck = 747;
constexpr int kHeaderHold = 1407;
constexpr int kNextHold = 1407;
constexpr int kLastHold = 1077;
constexpr int kSygnHold = 748;
constexpr int kLockSymbols = 59;
constexpr int kMaxDrift = 6;
constexpr std::uint8_t kFailedSync = 1;  // matches no pattern

int countMatches(const std::uint8_t sync[kBlockCodewords], const std::uint8_t pattern[kBlockCodewords])
{
    int n = 0;
    for (int q = 0; q < kBlockCodewords; ++q)
        n += sync[q] == pattern[q];
    return n;
}

// Decrease a countdown (in hops) by one symbol; true if it was running.
bool countDown(int& value)
{
    if (value <= 0)
        return false;
    value -= 11;
    if (value < 0)
        value = 0;
    return true;
}

}  // namespace

void TIfsk16Decoder::SetPanel(int index, const char* text)
{
    if (links_.status)
        links_.status->setPanelText(index, text);
}

void TIfsk16Decoder::ShowErrorRate(int count)
{
    char text[32];
    std::snprintf(text, sizeof text, "E=%.1lf%%", count * 1.6666666666666667);
    SetPanel(kPanelErrorRate, text);
}

void TIfsk16Decoder::ShowTiming(int drift, int avg)
{
    char text[40];
    std::snprintf(text, sizeof text, "o: %d+%d", drift, avg);
    SetPanel(kPanelTiming, text);
}

int TIfsk16Decoder::BestOffset(int start, int n) const
{
    return BestQualityOffset<9>(start, -4, n);
}

TIfsk16Decoder::SymbolStep TIfsk16Decoder::SymbolStepAt(int at, int n) const
{
    const int b = n > 0 ? at - kHopsPerSymbol : at;
    const int best = BestQualityOffset<5>(b, -2, n);
    const double d = static_cast<double>(tonePos_[wrap(at + best)]) - tonePos_[wrap(at + best - kHopsPerSymbol)];
    return {best, d};
}

// The header test beyond the sync match: type, flags and CRC. Packs the block.
bool TIfsk16Decoder::PassesHeaderTest()
{
    // Header byte 0 (the type) must be 5, 6 or 12 ...
    const int typeLow = decoded_[0][kFirstDataPosition];
    if (decoded_[0][kFirstDataPosition + 1] != 0 || !(typeLow == 5 || typeLow == 6 || typeLow == 12))
        return false;
    // ... and the flags byte 0xA0..0xBF.
    const int flagsHigh = decoded_[1][kFirstDataPosition + 1];
    if (flagsHigh != 10 && flagsHigh != 11)
        return false;
    PackBlock(decoded_, block_);
    return HeaderCrc(block_) == 0;
}

void TIfsk16Decoder::TrackBlock(int ref)
{
    // 1. Countdowns.
    auto allIdle = [this] { return sygnHold_ == 0 && activityHold_ == 0 && messageTimeout_ == 0; };
    if (countDown(sygnHold_) && allIdle())
        SetPanel(kPanelChannel, " ");
    if (countDown(activityHold_) && allIdle())
        SetPanel(kPanelChannel, " ");
    if (countDown(messageTimeout_)) {
        if (allIdle())
            SetPanel(kPanelChannel, " ");
        if (messageTimeout_ == 0 && msgState_ != 0)
            FinishMessage();
    }

    // 2. Lock.
    bool inLock = false;
    if (lockCountdown_ > 0) {
        --lockCountdown_;
        inLock = true;
    }

    // 3. The 60 symbols ending one symbol before the reference, with fine timing.
    const int g = BestOffset(ref, -15);
    int h = ref + g;
    int drift = 0;
    int offSum = 0;
    int offCount = 0;
    for (int k = 0; k < kBlockSymbols; ++k) {
        h -= kHopsPerSymbol;
        const SymbolStep step = SymbolStepAt(h, k < 40 ? -8 : 8);
        symbols_[kBlockSymbols - 1 - k] = static_cast<std::uint8_t>(StepToNibble(step.difference));
        if (step.offset >= 2 && drift < kMaxDrift) {
            h += 1;
            drift += 1;
        } else if (step.offset <= -2 && drift > -kMaxDrift) {
            h -= 1;
            drift -= 1;
        }
        if (k >= 56) {
            offCount += 1;
            offSum += step.offset;
        }
    }
    const int avg = (offCount / 2 + offSum) / offCount;

    // 4. De-interleave.
    for (int i = 0; i < kRsLength; ++i)
        for (int q = 0; q < kBlockCodewords; ++q)
            received_[q][i] = symbols_[4 * i + q];

    int errors[kBlockCodewords];

    // 5. In lock only a header can take over.
    if (inLock) {
        for (int q = 0; q < kBlockCodewords; ++q) {
            errors[q] = DecodeCodeword(received_[q], decoded_[q]);
            if (errors[q] > kRsMaxErrors || SyncNibble(decoded_[q]) != HeaderSync[q])
                return;
        }
        if (PassesHeaderTest())
            AcceptHeader(g, drift, avg, errors[0] + errors[1] + errors[2] + errors[3]);
        return;
    }

    // 6. Full search.
    std::uint8_t sync[kBlockCodewords];
    for (int q = 0; q < kBlockCodewords; ++q) {
        errors[q] = DecodeCodeword(received_[q], decoded_[q]);
        sync[q] = errors[q] > kRsMaxErrors ? kFailedSync : SyncNibble(decoded_[q]);
    }
    const int jH = countMatches(sync, HeaderSync);
    const int jN = countMatches(sync, NextSync);
    const int jL = countMatches(sync, LastSync);
    const int errorSum = errors[0] + errors[1] + errors[2] + errors[3];

    if (jH == kBlockCodewords && PassesHeaderTest()) {
        AcceptHeader(g, drift, avg, errorSum);
        return;
    }
    if (jN == kBlockCodewords) {
        AcceptData(g, drift, avg, kNextHold, false, errorSum);
        return;
    }
    if (jL == kBlockCodewords) {
        AcceptData(g, drift, avg, kLastHold, true, errorSum);
        return;
    }
    if (lives_ < 1)
        return;

    // Weak block: the due block matches in fewer than four nibbles.
    ShowErrorRate(errorSum);
    if (jN >= 3 || jL >= 3) {
        lives_ = 3;
        lockCountdown_ = kLockSymbols;
        activityHold_ = g + avg + drift + kLastHold;
        ShowTiming(drift, avg);
        SetPanel(kPanelChannel, "BUSY");
    } else {
        lives_ = 0;
    }
    if (jN <= 1 && jL <= 1)
        return;
    for (int q = 0; q < kBlockCodewords; ++q) {
        bool misfit;
        if (jN > jL)
            misfit = sync[q] != NextSync[q];
        else if (jL > jN)
            misfit = sync[q] != LastSync[q];
        else
            misfit = sync[q] != NextSync[q] && sync[q] != LastSync[q];
        if (misfit)
            errors[q] = kRsFailed;
    }
    PackBlock(decoded_, block_);
    AppendBlock(false, true, errors[0] + errors[1] + errors[2] + errors[3]);
}

void TIfsk16Decoder::AcceptHeader(int timingBase, int drift, int avg, int errorSum)
{
    lockCountdown_ = kLockSymbols;
    const bool ack = decoded_[0][kFirstDataPosition] == 12;
    activityHold_ = timingBase + avg + drift + (ack ? kHeaderHoldAck : kHeaderHold);
    ShowTiming(drift, avg);
    ShowErrorRate(errorSum);
    SetPanel(kPanelChannel, "HEAD");
    lives_ = 4;
    StartMessage(block_, errorSum);
}

void TIfsk16Decoder::AcceptData(int timingBase, int drift, int avg, int hold, bool last, int errorSum)
{
    lockCountdown_ = kLockSymbols;
    activityHold_ = timingBase + avg + drift + hold;
    ShowTiming(drift, avg);
    ShowErrorRate(errorSum);
    SetPanel(kPanelChannel, "BUSY");
    lives_ = 4;
    PackBlock(decoded_, block_);
    AppendBlock(last, false, errorSum);
}

void TIfsk16Decoder::DetectSygn()
{
    if (activityHold_ > 0 || messageTimeout_ > 0)
        return;
    const int h = histPos_;
    const int newer[3] = {h - 22, h - 11, h};
    for (int newest : newer) {
        const double d = static_cast<double>(tonePos_[wrap(newest)]) - tonePos_[wrap(newest - kHopsPerSymbol)];
        if (StepToNibble(d) != 6)
            return;
    }
    sygnHold_ = kSygnHold;
    SetPanel(kPanelChannel, "SYGN");
}

void TIfsk16Decoder::PublishStatus()
{
    if (!links_.shared)
        return;
    std::uint8_t* masks = links_.shared->StatusMasks;
    const auto bit = static_cast<std::uint8_t>(speed_);
    auto put = [masks, bit](int index, bool on) {
        if (on)
            masks[index] = static_cast<std::uint8_t>(masks[index] | bit);
        else
            masks[index] = static_cast<std::uint8_t>(masks[index] & ~bit);
    };
    const bool inMessage = msgState_ != 0;
    const bool position = inMessage && header_.type == 6;
    put(kMaskSignal, signalPresent_ != 0);
    put(kMaskMessage, inMessage);
    put(kMaskHeadless, inMessage && header_.type == 0);
    put(kMaskGps, position && (header_.flags & 0x04) != 0);
    put(kMaskBeacon, position && (header_.flags & 0x04) == 0);
    put(kMaskActivity, activityHold_ > 0);
    put(kMaskTimeout, messageTimeout_ > 0);
    put(kMaskSygn, sygnHold_ > 0);
}

}  // namespace veltrin
