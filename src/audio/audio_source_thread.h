#pragma once
// What every live audio source shares: its thread, the stop flag that
// all its waits watch, and the assembly of samples into the capture
// thread's 8192-frame buffers, which go into the FIFO at the pace the
// source's kind wants, each followed by WM_AUDIO_BLOCK.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "audio/audio_source.h"
#include "audio/buf_buf_fifo.h"

namespace veltrin {

class AudioSourceThread : public LiveAudioSource {
public:
    static constexpr int kFramesPerBuffer = 8192;
    // A faster-than-live input waits while the FIFO holds this many buffers.
    static constexpr int kMaxBuffersAhead = 32;

    ~AudioSourceThread() override;
    void start(TBufBufFifo& fifo, WindowMessagePoster& poster) final;
    void stop() final;

protected:
    enum class Flow {
        Live,     // a buffer goes in as soon as it is full
        Bounded,  // waits while the FIFO is kMaxBuffersAhead buffers ahead
        Paced,    // one buffer per 8192 frames' time, as a sound card delivers
    };
    AudioSourceThread(const AudioSourceOptions& options, Flow flow);

    // The thread: reads the input until its end or until stopRequested().
    virtual void run() = 0;
    // After the thread has ended: closes what open() opened.
    virtual void closeInput() {}

    bool stopRequested() const { return stop_.load(std::memory_order_acquire); }
    // Sleeps up to `duration` in short steps; false once stop was requested.
    bool sleepFor(std::chrono::steady_clock::duration duration);
    // Appends samples of one channel and queues each buffer as it fills;
    // false once stop was requested.
    bool queueSamples(const std::int16_t* samples, std::size_t count);
    // The same for raw signed 16-bit little-endian samples (2 bytes each).
    bool queueLittleEndian(const std::uint8_t* bytes, std::size_t sampleCount);
    // The end of the input: the partial buffer zero-filled and queued, the
    // silence after it, then ended() and one more WM_AUDIO_BLOCK.
    void finishAudio();
    // Ends without queueing anything more, so that the station notices.
    void markEnded();

    // The system's text for an errno value (thread-safe).
    static std::string errorText(int error);

    // Set by a successful open(); start() does nothing without it.
    bool opened_ = false;

private:
    bool sleepUntil(std::chrono::steady_clock::time_point until);
    // Waits as the flow wants before a buffer goes in; false once stopped.
    bool waitForTurn();
    bool queueBuffer(std::size_t audioFrames);
    void post();

    const AudioSourceOptions options_;
    const Flow flow_;
    TBufBufFifo* fifo_ = nullptr;
    WindowMessagePoster* poster_ = nullptr;
    std::atomic<bool> stop_{false};
    std::mutex control_;  // start() and stop()
    std::thread thread_;
    bool started_ = false;
    std::chrono::steady_clock::time_point paceStart_;
    std::uint64_t buffersPaced_ = 0;
    // Host-order samples laid out as the FIFO's consumer expects them.
    std::int16_t buffer_[TBufBufFifo::kBufferBytes / sizeof(std::int16_t)] = {};
    std::size_t fill_ = 0;  // frames in buffer_
};

}  // namespace veltrin
