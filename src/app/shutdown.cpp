#include "app/shutdown.h"

#include <thread>

#include "config/app_state.h"
#include "app/worker_threads.h"

namespace veltrin {

namespace {

void run(const std::function<void()>& step)
{
    if (step)
        step();
}

// Waits while the flag is non-zero, counting rounds against the shared total.
bool waitForAnswer(std::atomic<int>& flag, const ShutdownSteps& steps, const WaitBudget& budget,
                   int& spent)
{
    while (flag.load() != 0 && spent < budget.iterations) {
        run(steps.processPendingMessages);
        std::this_thread::sleep_for(budget.step);
        ++spent;
    }
    return flag.load() == 0;
}

void collect(WorkerThread& thread, bool answered)
{
    if (answered)
        thread.join();
    else
        thread.abandon();
}

}  // namespace

ShutdownOutcome shutDown(AppState& state, const ShutdownThreads& threads, const ShutdownSteps& steps,
                         const WaitBudget& budget)
{
    ShutdownOutcome outcome;
    if (state.shuttingDown)
        return outcome;
    state.shuttingDown = true;
    outcome.ran = true;

    // A thread that was never started has nothing to answer.
    if (threads.gps.started())
        threads.gpsStop.store(1);
    if (threads.network.started())
        threads.netStop.store(1);
    run(steps.disableTimer);
    run(steps.closeCapture);
    std::this_thread::sleep_for(budget.step);

    int spent = 0;
    outcome.gpsAnswered = !threads.gps.started() || waitForAnswer(threads.gpsStop, steps, budget, spent);
    outcome.networkAnswered =
        !threads.network.started() || waitForAnswer(threads.netStop, steps, budget, spent);
    outcome.iterationsSpent = spent;

    run(steps.closeKeyingPort);
    run(steps.closeGpsPort);
    collect(threads.gps, outcome.gpsAnswered);
    collect(threads.network, outcome.networkAnswered);
    run(steps.closeRawLog);
    run(steps.closeSocket);
    run(steps.releaseSockets);
    return outcome;
}

}  // namespace veltrin
