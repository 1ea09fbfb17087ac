#pragma once
// The work of the 100 ms housekeeping tick that needs no window: the display
// hold countdown, the FIFO backlog panel, the extra audio-block posts while
// buffers pile up, and the two own-beacon periods.
#include <cstdint>

#include "platform/ui_ports.h"
#include "platform/window_messages.h"

namespace veltrin {

struct AppState;

class TimerSchedule {
public:
    // Beacons are due after this many ticks plus one (about 20 and 30 min).
    static constexpr std::uint32_t kPositionBeaconTicks = 12000;
    static constexpr std::uint32_t kStatusBeaconTicks = 18000;
    // From this many waiting buffers on every tick posts WM_AUDIO_BLOCK.
    static constexpr int kBacklogBuffers = 8;
    static constexpr int kFifoPanel = 9;

    TimerSchedule(AppState& state, StatusPanels& panels, WindowMessagePoster& poster)
        : state_(state), panels_(panels), poster_(poster)
    {
    }

    // One tick; fifoCount is the number of buffers waiting in the FIFO.
    void tick(int fifoCount);

    std::uint32_t positionBeaconTicks() const { return positionTicks_; }
    std::uint32_t statusBeaconTicks() const { return statusTicks_; }

private:
    AppState& state_;
    StatusPanels& panels_;
    WindowMessagePoster& poster_;
    std::uint32_t positionTicks_ = 0;
    std::uint32_t statusTicks_ = 0;
    int lastShownFifoCount_ = 99999;  // so the first tick always writes the panel
};

}  // namespace veltrin
