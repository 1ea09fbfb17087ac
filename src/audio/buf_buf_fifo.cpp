#include "audio/buf_buf_fifo.h"

#include <chrono>
#include <cstring>
#include <new>

namespace veltrin {

namespace {
// Neither side holds the lock for more than one 32 KB copy; a lock that
// cannot be had for this long means something is badly wrong, and the
// caller gets an error instead of hanging.
constexpr auto kLockWait = std::chrono::seconds(10);

// A deadline on the system clock: the library waits for it with the timed
// lock that thread checkers know (its steady-clock form uses a newer call
// they do not follow, and then report every use of the FIFO as a race).
std::unique_lock<std::timed_mutex> lockWithin(std::timed_mutex& mutex)
{
    return std::unique_lock<std::timed_mutex>(mutex, std::chrono::system_clock::now() + kLockWait);
}
}  // namespace

TBufBufFifo::Chunk* TBufBufFifo::newChunk()
{
    return new (std::nothrow) Chunk;
}

TBufBufFifo::TBufBufFifo()
{
    Chunk* first = newChunk();
    if (first) {
        head_ = tail_ = first;
        chunkCount_ = 1;
    }
}

TBufBufFifo::~TBufBufFifo()
{
    bufferCount_ = 0;
    chunkCount_ = 0;
    Chunk* c = head_;
    while (c) {
        Chunk* next = c->next;
        delete c;
        c = next;
    }
    delete spare_;
}

int TBufBufFifo::chunkCount() const
{
    std::lock_guard<std::timed_mutex> lock(lock_);
    return chunkCount_;
}

bool TBufBufFifo::hasSpare() const
{
    std::lock_guard<std::timed_mutex> lock(lock_);
    return spare_ != nullptr;
}

int TBufBufFifo::Put(const void* data)
{
    if (!tail_)
        return -2;
    std::unique_lock<std::timed_mutex> lock = lockWithin(lock_);
    if (!lock.owns_lock())
        return -2;
    if (tail_->writeCount >= kSlotsPerChunk) {
        Chunk* c = spare_;
        spare_ = nullptr;
        if (!c)
            c = newChunk();
        if (!c)
            return -1;
        c->readIndex = 0;
        c->writeCount = 0;
        c->next = nullptr;
        tail_->next = c;
        tail_ = c;
        ++chunkCount_;
    }
    std::memcpy(tail_->buffers[tail_->writeCount], data, kBufferBytes);
    ++tail_->writeCount;
    bufferCount_.fetch_add(1, std::memory_order_relaxed);
    return 0;
}

int TBufBufFifo::Get(void* destination)
{
    if (!head_)
        return -2;
    std::unique_lock<std::timed_mutex> lock = lockWithin(lock_);
    if (!lock.owns_lock())
        return -2;
    if (bufferCount_.load(std::memory_order_relaxed) <= 0)
        return -1;
    if (head_->readIndex >= kSlotsPerChunk) {
        Chunk* n = head_->next;
        if (!n)
            return -1;
        if (n->readIndex != 0)
            return -2;
        if (!spare_)
            spare_ = head_;
        else
            delete head_;
        head_ = n;
        --chunkCount_;
    }
    if (head_->readIndex >= head_->writeCount)
        return -1;
    std::memcpy(destination, head_->buffers[head_->readIndex], kBufferBytes);
    ++head_->readIndex;
    bufferCount_.fetch_sub(1, std::memory_order_relaxed);
    return 0;
}

}  // namespace veltrin
