#pragma once
// The orderly shutdown: ask the worker threads to stop, release the devices,
// wait for the threads within one shared budget, then close ports, the raw
// log and the socket. Runs once, whichever of "Exit" and closing the window
// comes first.
#include <atomic>
#include <chrono>
#include <functional>

namespace veltrin {

struct AppState;
class WorkerThread;

// The shared wait: at most `iterations` rounds of `step` for both threads
// together (350 x 30 ms, about 10.5 s).
struct WaitBudget {
    int iterations = 350;
    std::chrono::milliseconds step{30};
};

// The steps of other subsystems, in the order they run. Unset steps are
// skipped.
struct ShutdownSteps {
    std::function<void()> disableTimer;
    std::function<void()> closeCapture;
    std::function<void()> processPendingMessages;  // called between waits
    std::function<void()> closeKeyingPort;
    std::function<void()> closeGpsPort;
    std::function<void()> closeRawLog;
    std::function<void()> closeSocket;
    std::function<void()> releaseSockets;  // the socket layer's own release
};

struct ShutdownThreads {
    std::atomic<int>& gpsStop;
    WorkerThread& gps;
    std::atomic<int>& netStop;
    WorkerThread& network;
};

struct ShutdownOutcome {
    bool ran = false;            // false: it had already run
    bool gpsAnswered = true;
    bool networkAnswered = true;
    bool captureAnswered = true;  // the SoundThread ended within its own limit
    int iterationsSpent = 0;
    bool abandonedAny() const { return !gpsAnswered || !networkAnswered || !captureAnswered; }
};

// Sets state.shuttingDown and runs the sequence, unless shuttingDown is
// already set. A thread that has not answered within the budget is abandoned
// (detached), so the process can still end.
ShutdownOutcome shutDown(AppState& state, const ShutdownThreads& threads, const ShutdownSteps& steps,
                         const WaitBudget& budget = WaitBudget{});

}  // namespace veltrin
