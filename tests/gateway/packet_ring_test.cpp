#include "gateway/packet_ring.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace veltrin {
namespace {

template <typename Ring>
void checkLimitAndOrder()
{
    Ring ring;
    std::string text;
    int station = 0;
    // Several rounds, so the indices wrap around the slots.
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < Ring::kMaxWaiting; ++i)
            ASSERT_TRUE(ring.push("p" + std::to_string(round) + "." + std::to_string(i), i));
        EXPECT_TRUE(ring.full());
        EXPECT_EQ(ring.waiting(), Ring::kMaxWaiting);
        EXPECT_FALSE(ring.push("refused", -1));
        EXPECT_EQ(ring.waiting(), Ring::kMaxWaiting);
        for (int i = 0; i < Ring::kMaxWaiting; ++i) {
            ASSERT_TRUE(ring.pop(text, station));
            EXPECT_EQ(text, "p" + std::to_string(round) + "." + std::to_string(i));
            EXPECT_EQ(station, i);
        }
        EXPECT_TRUE(ring.empty());
        EXPECT_FALSE(ring.pop(text, station));
        // Leave a different fill level for the next round.
        ASSERT_TRUE(ring.push("x", 0));
        ASSERT_TRUE(ring.pop(text, station));
    }
}

TEST(PacketRing, LimitsAreFourteenAndSixtyTwo)
{
    static_assert(AprsQueue::kSlots == 16 && AprsQueue::kMaxWaiting == 14 && AprsQueue::kTextMax == 254);
    static_assert(TraccarQueue::kSlots == 64 && TraccarQueue::kMaxWaiting == 62);
    checkLimitAndOrder<AprsQueue>();
    checkLimitAndOrder<TraccarQueue>();
}

TEST(PacketRing, TextIsCutAt254AndAtANul)
{
    AprsQueue ring;
    std::string text;
    int station = 0;
    struct Row {
        std::string in, out;
    } rows[] = {
        {std::string(300, 'a'), std::string(254, 'a')},
        {std::string(254, 'b'), std::string(254, 'b')},
        {std::string("ab\0cd", 5), "ab"},
        {"", ""},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(ring.push(row.in, 9));
        ASSERT_TRUE(ring.pop(text, station));
        EXPECT_EQ(text, row.out);
    }
}

TEST(PacketRing, ClearEmptiesIt)
{
    TraccarQueue ring;
    ring.push("a", 1);
    ring.push("b", 2);
    ring.clear();
    EXPECT_TRUE(ring.empty());
    std::string text;
    int station = 0;
    EXPECT_FALSE(ring.pop(text, station));
    EXPECT_TRUE(ring.push("c", 3));
    ASSERT_TRUE(ring.pop(text, station));
    EXPECT_EQ(text, "c");
}

// Texts of varying length, so a torn slot (text of one packet, length or
// station of another) shows.
std::string packetText(int i) { return std::to_string(i) + ":" + std::string(i % 240, static_cast<char>('a' + i % 26)); }

template <typename Ring>
void stress(int count)
{
    Ring ring;
    std::thread producer([&] {
        for (int i = 0; i < count; ++i)
            while (!ring.push(packetText(i), i))
                std::this_thread::yield();
    });
    int next = 0;
    std::string text;
    int station = -1;
    while (next < count) {
        if (!ring.pop(text, station)) {
            std::this_thread::yield();
            continue;
        }
        ASSERT_EQ(station, next);
        ASSERT_EQ(text, packetText(next));
        ++next;
    }
    producer.join();
    EXPECT_TRUE(ring.empty());
}

TEST(PacketRing, TwoThreadsEveryPacketOnceInOrder)
{
    stress<AprsQueue>(100000);
    stress<TraccarQueue>(100000);
}

}  // namespace
}  // namespace veltrin
