#include "app/worker_threads.h"

namespace veltrin {

std::atomic<int> gpsThreadStop{0};
std::atomic<int> netThreadStop{0};

namespace {

void runWorker(std::atomic<int>& stopFlag, const WorkerThread::Work& work,
               std::chrono::milliseconds period, std::chrono::milliseconds step)
{
    using Clock = std::chrono::steady_clock;
    while (stopFlag.load() == 0) {
        if (work)
            work();
        const auto due = Clock::now() + period;
        while (stopFlag.load() == 0) {
            const auto now = Clock::now();
            if (now >= due)
                break;
            std::this_thread::sleep_for(std::min<Clock::duration>(step, due - now));
        }
    }
    stopFlag.store(0);  // the answer the main thread waits for; nothing after it
}

}  // namespace

WorkerThread::~WorkerThread()
{
    // A thread still running here was never asked to stop (start-up failed
    // half way); never let std::thread terminate the process for that.
    if (thread_.joinable())
        thread_.detach();
}

void WorkerThread::start(std::atomic<int>& stopFlag, Work work, std::chrono::milliseconds period,
                         std::chrono::milliseconds step)
{
    if (thread_.joinable())
        return;
    stopFlag.store(0);
    if (step.count() <= 0)
        step = std::chrono::milliseconds(1);
    thread_ = std::thread(runWorker, std::ref(stopFlag), std::move(work), period, step);
}

void WorkerThread::join()
{
    if (thread_.joinable())
        thread_.join();
}

void WorkerThread::abandon()
{
    if (thread_.joinable())
        thread_.detach();
}

void WorkerThreads::start(const WorkerJobs& jobs)
{
    gps_.start(gpsThreadStop, jobs.gpsWork, kGpsThreadPeriod);
    network_.start(netThreadStop, jobs.networkWork, kNetThreadPeriod);
}

}  // namespace veltrin
