#include "app/timer_schedule.h"

#include <string>

#include "config/app_state.h"

namespace veltrin {

void TimerSchedule::tick(int fifoCount)
{
    if (state_.displayHoldTicks > 0)
        --state_.displayHoldTicks;

    if (fifoCount != lastShownFifoCount_) {
        panels_.setPanelText(kFifoPanel, "UpB: " + std::to_string(fifoCount));
        lastShownFifoCount_ = fifoCount;
    }
    // Drains a backlog built up during a long main-thread operation without
    // waiting for the capture thread's next post.
    if (fifoCount >= kBacklogBuffers && !state_.decodingFromFile)
        poster_.postWindowMessage(WM_AUDIO_BLOCK, 0);

    if (++positionTicks_ > kPositionBeaconTicks) {
        positionTicks_ = 0;
        poster_.postWindowMessage(WM_SEND_POSITION_BEACON, 0);
    }
    if (++statusTicks_ > kStatusBeaconTicks) {
        statusTicks_ = 0;
        poster_.postWindowMessage(WM_SEND_STATUS_BEACON, 0);
    }
}

}  // namespace veltrin
