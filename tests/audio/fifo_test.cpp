#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "audio/buf_buf_fifo.h"

using namespace veltrin;

namespace {
std::vector<unsigned char> bufferOf(unsigned char fill)
{
    return std::vector<unsigned char>(TBufBufFifo::kBufferBytes, fill);
}
}  // namespace

TEST(BufBufFifo, GetOnEmptyReturnsMinusOneAndLeavesDestination)
{
    auto fifo = std::make_unique<TBufBufFifo>();
    auto dest = bufferOf(0xAB);
    EXPECT_EQ(fifo->Get(dest.data()), -1);
    EXPECT_EQ(dest, bufferOf(0xAB));
}

TEST(BufBufFifo, BacklogOfFortyUsesThreeChunksAndKeepsOneSpare)
{
    auto fifo = std::make_unique<TBufBufFifo>();
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(fifo->Put(bufferOf(static_cast<unsigned char>(i)).data()), 0);
    EXPECT_EQ(fifo->bufferCount(), 40);
    EXPECT_EQ(fifo->chunkCount(), 3);
    EXPECT_FALSE(fifo->hasSpare());

    auto dest = bufferOf(0);
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(fifo->Get(dest.data()), 0);
        ASSERT_EQ(dest, bufferOf(static_cast<unsigned char>(i))) << "order broken at " << i;
    }
    EXPECT_EQ(fifo->Get(dest.data()), -1);
    EXPECT_EQ(fifo->bufferCount(), 0);
    EXPECT_EQ(fifo->chunkCount(), 1);
    EXPECT_TRUE(fifo->hasSpare());

    // The spare is reused: another 32 buffers need only one new chunk.
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(fifo->Put(bufferOf(1).data()), 0);
    EXPECT_EQ(fifo->chunkCount(), 3);
}

TEST(BufBufFifo, ProducerThreadAndConsumerLoseNothing)
{
    auto fifo = std::make_unique<TBufBufFifo>();
    constexpr int kCount = 300;
    std::thread producer([&] {
        std::vector<unsigned char> b(TBufBufFifo::kBufferBytes);
        for (int i = 0; i < kCount; ++i) {
            std::memcpy(b.data(), &i, sizeof i);
            fifo->Put(b.data());
        }
    });
    std::vector<unsigned char> dest(TBufBufFifo::kBufferBytes);
    int expected = 0;
    while (expected < kCount) {
        if (fifo->Get(dest.data()) == 0) {
            int v;
            std::memcpy(&v, dest.data(), sizeof v);
            ASSERT_EQ(v, expected);
            ++expected;
        } else {
            std::this_thread::yield();
        }
    }
    producer.join();
    EXPECT_EQ(fifo->bufferCount(), 0);
}
