// Once per symbol: the search for a 60-symbol block ending at the tracked
// symbol, the block lock, the countdowns, the tuning-pattern detector and the
// status bits.
#include "modem/block_search.h"

#include <cstring>

#include "modem/decoder_status.h"
#include "modem/message_assembly.h"
#include "modem/reed_solomon.h"
#include "modem/symbol_timing.h"

namespace veltrin {

namespace {

constexpr int kHeaderHoldAck = 747;
constexpr int kHeaderHold = 1407;
constexpr int kNextHold = 1407;
constexpr int kLastHold = 1077;
constexpr int kSygnHold = 748;
constexpr int kLockSymbols = 59;
constexpr int kMaxDrift = 6;
constexpr int kHopsPerSymbol = SymbolTiming::kHopsPerSymbol;
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

void BlockSearch::reset()
{
    lockCountdown_ = 0;
    lives_ = 0;
    activityHold_ = 0;
    sygnHold_ = 0;
    std::memset(reading_.symbols, 0, sizeof reading_.symbols);
}

int BlockSearch::BestOffset(int start, int n) const
{
    return timing_.BestQualityOffset<9>(start, -4, n);
}

BlockSearch::SymbolStep BlockSearch::SymbolStepAt(int at, int n) const
{
    const int b = n > 0 ? at - kHopsPerSymbol : at;
    const int best = timing_.BestQualityOffset<5>(b, -2, n);
    const double d = static_cast<double>(timing_.toneAt(at + best)) - timing_.toneAt(at + best - kHopsPerSymbol);
    return {best, d};
}

// The header test beyond the sync match: type, flags and CRC. Packs the block.
bool BlockSearch::PassesHeaderTest()
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

// The 60 symbols ending one symbol before the reference, with fine timing,
// de-interleaved into the four codewords.
void BlockSearch::ReadBlock(int ref, int& g, int& drift, int& avg)
{
    g = BestOffset(ref, -15);
    int h = ref + g;
    drift = 0;
    int offSum = 0;
    int offCount = 0;
    for (int k = 0; k < kBlockSymbols; ++k) {
        h -= kHopsPerSymbol;
        const SymbolStep step = SymbolStepAt(h, k < 40 ? -8 : 8);
        reading_.symbols[kBlockSymbols - 1 - k] = static_cast<std::uint8_t>(timing_.StepToNibble(step.difference));
        reading_.toneHop[kBlockSymbols - 1 - k] = SymbolTiming::wrap(h);
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
    avg = (offCount / 2 + offSum) / offCount;
    for (int i = 0; i < kRsLength; ++i)
        for (int q = 0; q < kBlockCodewords; ++q)
            reading_.received[q][i] = reading_.symbols[4 * i + q];
}

void BlockSearch::TrackBlock(int ref)
{
    // 1. Countdowns.
    int& messageTimeout = assembly_.messageTimeout();
    auto allIdle = [this, &messageTimeout] { return sygnHold_ == 0 && activityHold_ == 0 && messageTimeout == 0; };
    if (countDown(sygnHold_) && allIdle())
        status_.showChannel(ChannelState::Idle);
    if (countDown(activityHold_) && allIdle())
        status_.showChannel(ChannelState::Idle);
    if (countDown(messageTimeout)) {
        if (allIdle())
            status_.showChannel(ChannelState::Idle);
        if (messageTimeout == 0 && assembly_.msgState() != 0)
            assembly_.FinishMessage(status_);
    }

    // 2. Lock.
    bool inLock = false;
    if (lockCountdown_ > 0) {
        --lockCountdown_;
        inLock = true;
    }

    // 3, 4. The block as read.
    int g, drift, avg;
    ReadBlock(ref, g, drift, avg);
    decoding_->prepare(reading_);

    int errors[kBlockCodewords];

    // 5. In lock only a header can take over.
    if (inLock) {
        for (int q = 0; q < kBlockCodewords; ++q) {
            errors[q] = decoding_->decodeCodeword(q, decoded_[q]);
            if (errors[q] >= kRsFailed || SyncNibble(decoded_[q]) != HeaderSync[q])
                return;
        }
        if (PassesHeaderTest())
            AcceptHeader(g, drift, avg, errors[0] + errors[1] + errors[2] + errors[3]);
        return;
    }

    // 6. Full search.
    std::uint8_t sync[kBlockCodewords];
    for (int q = 0; q < kBlockCodewords; ++q) {
        errors[q] = decoding_->decodeCodeword(q, decoded_[q]);
        sync[q] = errors[q] >= kRsFailed ? kFailedSync : SyncNibble(decoded_[q]);
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
    status_.showErrorRate(errorSum);
    if (jN >= 3 || jL >= 3) {
        lives_ = 3;
        lockCountdown_ = kLockSymbols;
        activityHold_ = g + avg + drift + kLastHold;
        status_.showTiming(drift, avg);
        status_.showChannel(ChannelState::Busy);
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
    assembly_.AppendBlock(block_, false, true, errors[0] + errors[1] + errors[2] + errors[3],
                          timing_.symbolClock(), status_);
}

void BlockSearch::AcceptHeader(int timingBase, int drift, int avg, int errorSum)
{
    lockCountdown_ = kLockSymbols;
    const bool ack = decoded_[0][kFirstDataPosition] == 12;
    activityHold_ = timingBase + avg + drift + (ack ? kHeaderHoldAck : kHeaderHold);
    status_.showTiming(drift, avg);
    status_.showErrorRate(errorSum);
    status_.showChannel(ChannelState::Head);
    lives_ = 4;
    assembly_.StartMessage(block_, errorSum, timing_.symbolClock(), status_);
}

void BlockSearch::AcceptData(int timingBase, int drift, int avg, int hold, bool last, int errorSum)
{
    lockCountdown_ = kLockSymbols;
    activityHold_ = timingBase + avg + drift + hold;
    status_.showTiming(drift, avg);
    status_.showErrorRate(errorSum);
    status_.showChannel(ChannelState::Busy);
    lives_ = 4;
    PackBlock(decoded_, block_);
    assembly_.AppendBlock(block_, last, false, errorSum, timing_.symbolClock(), status_);
}

void BlockSearch::DetectSygn()
{
    if (activityHold_ > 0 || assembly_.messageTimeout() > 0)
        return;
    const int h = timing_.histPos();
    const int newer[3] = {h - 22, h - 11, h};
    for (int newest : newer) {
        const double d = static_cast<double>(timing_.toneAt(newest)) - timing_.toneAt(newest - kHopsPerSymbol);
        if (timing_.StepToNibble(d) != 6)
            return;
    }
    sygnHold_ = kSygnHold;
    status_.showChannel(ChannelState::Sygn);
}

void BlockSearch::reportLamps() const
{
    const bool inMessage = assembly_.msgState() != 0;
    const Msg_header& header = assembly_.header();
    const bool position = inMessage && header.type == 6;
    status_.message = inMessage;
    status_.headless = inMessage && header.type == 0;
    status_.gps = position && (header.flags & 0x04) != 0;
    status_.beacon = position && (header.flags & 0x04) == 0;
    status_.activity = activityHold_ > 0;
    status_.timeout = assembly_.messageTimeout() > 0;
    status_.sygn = sygnHold_ > 0;
}

}  // namespace veltrin
