#pragma once
// The headless station's event loop: the window-message queue, Timer1 and
// the process signals in one thread, without a window system. Posting is
// safe from any thread and never blocks; everything else is the loop
// thread's.
#include <chrono>
#include <deque>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <utility>

#include "app/station_ports.h"
#include "platform/window_messages.h"

namespace veltrin {

class EventLoop : public WindowMessagePoster, public TimerPort {
public:
    static constexpr std::chrono::milliseconds kTimerInterval{100};

    EventLoop();
    ~EventLoop() override;
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    // False when the loop's wake-up descriptor could not be made.
    bool ok() const { return wakeFd_ >= 0; }

    // Takes these signals out of normal delivery and hands them to the
    // signal handler instead. Call before any other thread starts: threads
    // inherit the blocked set. False when that failed.
    bool watchSignals(std::initializer_list<int> signals);

    void onMessage(std::function<void(unsigned, WParam)> handler) { messageHandler_ = std::move(handler); }
    void onTick(std::function<void()> handler) { tickHandler_ = std::move(handler); }
    void onSignal(std::function<void(int)> handler) { signalHandler_ = std::move(handler); }
    // After every round of the loop (at least every 100 ms).
    void onIdle(std::function<void()> handler) { idleHandler_ = std::move(handler); }

    // Runs until quit().
    void run();
    void quit() { quitting_ = true; }
    bool quitting() const { return quitting_; }
    // Handles what is pending now, without waiting; may be called from a
    // handler (shutdown waits, paced file decoding).
    void processPending();

    void postWindowMessage(unsigned message, WParam wParam) override;
    void startTimer() override;
    void stopTimer() override;

private:
    void waitAndHandle(std::chrono::milliseconds limit);
    void handleSignals();
    void handleMessages();
    void handleTimer();

    int wakeFd_ = -1;
    int signalFd_ = -1;
    std::mutex lock_;
    std::deque<std::pair<unsigned, WParam>> queue_;
    std::function<void(unsigned, WParam)> messageHandler_;
    std::function<void()> tickHandler_;
    std::function<void(int)> signalHandler_;
    std::function<void()> idleHandler_;
    bool quitting_ = false;
    bool timerActive_ = false;
    std::chrono::steady_clock::time_point nextTick_{};
};

}  // namespace veltrin
