#pragma once
// What one decoder reports about itself: the state behind the status-bar
// panels (block timing, error rate, channel, reception, result) and the
// lamps. The decoder's blocks only fill this struct and mark what changed;
// DecoderStatusPresenter turns it into the panel texts and the status bits,
// so a block put in place of another one writes no text of its own.
#include <cstdint>

namespace veltrin {

class StatusPanels;
struct DecoderShared;

// Status-bar panels written for the decoders.
constexpr int kPanelTiming = 4;
constexpr int kPanelErrorRate = 5;
constexpr int kPanelChannel = 6;
constexpr int kPanelReception = 8;
constexpr int kPanelResult = 10;

enum class ChannelState : std::uint8_t { Idle, Sygn, Head, Busy };
enum class Reception : std::uint8_t { None, Message, Gps, Beacon, Ack, Headless };
enum class ResultNote : std::uint8_t { Blank, PositiveAck, NegativeAck, InvalidAck };

struct DecoderStatus {
    // Panels. `changed` holds one bit per panel (1 << panel index) that was
    // set since the last flush, even to the same value: every block shows
    // its error rate again.
    int timingDrift = 0;
    int timingAvg = 0;
    int blockErrors = 0;  // symbols counted wrong in the last block, of 60
    ChannelState channel = ChannelState::Idle;
    Reception reception = Reception::None;
    ResultNote result = ResultNote::Blank;
    unsigned changed = 0;

    // Lamps, refreshed once per symbol.
    bool signal = false;
    bool message = false;
    bool headless = false;
    bool gps = false;
    bool beacon = false;
    bool activity = false;
    bool timeout = false;
    bool sygn = false;

    void showTiming(int drift, int avg)
    {
        timingDrift = drift;
        timingAvg = avg;
        changed |= 1u << kPanelTiming;
    }
    void showErrorRate(int count)
    {
        blockErrors = count;
        changed |= 1u << kPanelErrorRate;
    }
    void showChannel(ChannelState state)
    {
        channel = state;
        changed |= 1u << kPanelChannel;
    }
    void showReception(Reception r)
    {
        reception = r;
        changed |= 1u << kPanelReception;
    }
    void showResult(ResultNote note)
    {
        result = note;
        changed |= 1u << kPanelResult;
    }
};

// The texts of the panels.
const char* ChannelText(ChannelState state);
const char* ReceptionText(Reception r);
const char* ResultText(ResultNote note);

class DecoderStatusPresenter {
public:
    void setTargets(StatusPanels* panels, DecoderShared* shared, int speed)
    {
        panels_ = panels;
        shared_ = shared;
        speed_ = speed;
    }
    // Writes the panels marked changed, in panel order, and clears the marks.
    void flushPanels(DecoderStatus& status) const;
    // Sets or clears this decoder's bit in every status mask.
    void publishLamps(const DecoderStatus& status) const;

private:
    StatusPanels* panels_ = nullptr;
    DecoderShared* shared_ = nullptr;
    int speed_ = 0;
};

}  // namespace veltrin
