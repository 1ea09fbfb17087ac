#pragma once
// TBufBufFifo: an unbounded FIFO of 32768-byte capture buffers, grown one
// chunk of 16 buffers at a time, so the capture never drops audio while the
// main thread is busy. One emptied chunk is kept as a spare for reuse.
#include <atomic>
#include <cstdint>
#include <mutex>

namespace veltrin {

class TBufBufFifo {
public:
    static constexpr int kBufferBytes = 32768;
    static constexpr int kSlotsPerChunk = 16;

    TBufBufFifo();
    ~TBufBufFifo();
    TBufBufFifo(const TBufBufFifo&) = delete;
    TBufBufFifo& operator=(const TBufBufFifo&) = delete;

    // Appends a copy of kBufferBytes bytes: 0, -1 (no memory), -2 (no chunk).
    int Put(const void* data);
    // Moves the oldest buffer out: 0, -1 (nothing stored), -2 (no chunk or
    // inconsistent chain). The destination is untouched unless 0 is returned.
    int Get(void* destination);

    // Readable without the lock; a stale value only delays a message.
    int bufferCount() const { return bufferCount_.load(std::memory_order_relaxed); }
    // Under the lock, like Put and Get.
    int chunkCount() const;
    bool hasSpare() const;

private:
    struct Chunk {
        int readIndex = 0;
        int writeCount = 0;
        Chunk* next = nullptr;
        std::uint8_t buffers[kSlotsPerChunk][kBufferBytes];  // not "slots": a Qt keyword macro
    };
    static Chunk* newChunk();

    Chunk* tail_ = nullptr;
    Chunk* head_ = nullptr;
    Chunk* spare_ = nullptr;
    mutable std::timed_mutex lock_;
    int chunkCount_ = 0;
    std::atomic<int> bufferCount_{0};
};

}  // namespace veltrin
