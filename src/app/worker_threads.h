#pragma once
// The GPS and network worker threads and their stop handshake: the main
// thread writes 1 into the thread's stop flag, the thread writes 0 as its
// very last act. Each thread runs its work function repeatedly with a pause
// between calls, checking the flag in short steps so that it answers quickly.
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace veltrin {

extern std::atomic<int> gpsThreadStop;
extern std::atomic<int> netThreadStop;

class WorkerThread {
public:
    using Work = std::function<void()>;

    WorkerThread() = default;
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Clears the stop flag and starts the thread: work(), then a pause of
    // `period` (slept in steps of at most `step`), until the flag is non-zero.
    // The flag must outlive the thread (the process-wide flags above do).
    void start(std::atomic<int>& stopFlag, Work work, std::chrono::milliseconds period,
               std::chrono::milliseconds step = std::chrono::milliseconds(10));

    bool started() const { return thread_.joinable(); }
    // After the thread has written 0 to its flag: collect it.
    void join();
    // The thread did not answer in time: let it go so the process can end.
    void abandon();

private:
    std::thread thread_;
};

// Pauses of the two threads between work calls.
inline constexpr std::chrono::milliseconds kGpsThreadPeriod{50};
inline constexpr std::chrono::milliseconds kNetThreadPeriod{200};

// The GPS thread's and the network thread's work. Empty until the GPS
// receiver and the gateways are built; they set these before the first
// activation starts the threads.
struct WorkerJobs {
    WorkerThread::Work gpsWork;
    WorkerThread::Work networkWork;
};

class WorkerThreads {
public:
    // Step 16 of the first activation: clear each flag, start each thread.
    void start(const WorkerJobs& jobs);
    WorkerThread& gps() { return gps_; }
    WorkerThread& network() { return network_; }

private:
    WorkerThread gps_;
    WorkerThread network_;
};

}  // namespace veltrin
