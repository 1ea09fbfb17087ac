#include "app/event_loop.h"

#include <algorithm>
#include <cstdint>
#include <pthread.h>
#include <csignal>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace veltrin {

using Clock = std::chrono::steady_clock;

EventLoop::EventLoop()
{
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

EventLoop::~EventLoop()
{
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
    if (signalFd_ >= 0)
        ::close(signalFd_);
}

bool EventLoop::watchSignals(std::initializer_list<int> signals)
{
    sigset_t set;
    sigemptyset(&set);
    for (int s : signals)
        sigaddset(&set, s);
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0)
        return false;
    signalFd_ = ::signalfd(signalFd_, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    return signalFd_ >= 0;
}

void EventLoop::postWindowMessage(unsigned message, WParam wParam)
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        queue_.emplace_back(message, wParam);
    }
    const std::uint64_t one = 1;
    // A full counter still wakes the loop; nothing else can go wrong here.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void EventLoop::startTimer()
{
    timerActive_ = true;
    nextTick_ = Clock::now() + kTimerInterval;
}

void EventLoop::stopTimer()
{
    timerActive_ = false;
}

void EventLoop::run()
{
    while (!quitting_) {
        waitAndHandle(kTimerInterval);
        if (idleHandler_ && !quitting_)
            idleHandler_();
    }
}

void EventLoop::processPending()
{
    waitAndHandle(std::chrono::milliseconds(0));
}

void EventLoop::waitAndHandle(std::chrono::milliseconds limit)
{
    auto wait = limit;
    if (timerActive_) {
        const auto untilTick = std::chrono::duration_cast<std::chrono::milliseconds>(nextTick_ - Clock::now());
        wait = std::max(std::chrono::milliseconds(0), std::min(wait, untilTick));
    }
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {signalFd_, POLLIN, 0}};
    const nfds_t count = signalFd_ >= 0 ? 2 : 1;
    const int ready = ::poll(fds, count, static_cast<int>(wait.count()));
    if (ready > 0 && count == 2 && (fds[1].revents & POLLIN))
        handleSignals();
    std::uint64_t drained = 0;
    if (ready > 0 && (fds[0].revents & POLLIN)) {
        [[maybe_unused]] const ssize_t got = ::read(wakeFd_, &drained, sizeof drained);
    }
    handleMessages();
    handleTimer();
}

void EventLoop::handleSignals()
{
    signalfd_siginfo info;
    while (::read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (signalHandler_)
            signalHandler_(static_cast<int>(info.ssi_signo));
    }
}

void EventLoop::handleMessages()
{
    // At most what is queued now, so a handler that posts again cannot keep
    // this round going for ever; one at a time from the shared queue, so a
    // nested round (a handler that processes pending messages) keeps the
    // order of posting.
    std::size_t count;
    {
        std::lock_guard<std::mutex> guard(lock_);
        count = queue_.size();
    }
    for (; count > 0; --count) {
        std::pair<unsigned, WParam> next;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (queue_.empty())
                return;
            next = queue_.front();
            queue_.pop_front();
        }
        if (messageHandler_)
            messageHandler_(next.first, next.second);
    }
}

void EventLoop::handleTimer()
{
    if (!timerActive_ || Clock::now() < nextTick_)
        return;
    // Late ticks are not caught up: like a window timer, one tick per round.
    nextTick_ = std::max(nextTick_ + kTimerInterval, Clock::now());
    if (tickHandler_)
        tickHandler_();
}

}  // namespace veltrin
