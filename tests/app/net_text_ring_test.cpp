#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

#include "app/net_text_ring.h"

namespace veltrin {
namespace {

struct QueuePoster : WindowMessagePoster {
    void postWindowMessage(unsigned message, WParam wParam) override
    {
        std::lock_guard lock(mutex);
        posted.push_back({message, wParam});
    }
    std::mutex mutex;
    std::vector<std::pair<unsigned, WParam>> posted;
};

TEST(NetTextRing, SlotIsTheLowFourBitsOfWParam)
{
    NetTextRing ring;
    QueuePoster poster;
    for (int i = 0; i < 18; ++i)
        ring.postNetLine("line " + std::to_string(i), poster);
    ASSERT_EQ(poster.posted.size(), 18u);
    EXPECT_EQ(poster.posted[17].first, WM_NET_LOG_TEXT);
    EXPECT_EQ(poster.posted[17].second, 17u);

    std::string text;
    ASSERT_TRUE(ring.readSlot(17, text));
    EXPECT_EQ(text, "line 17");  // slot 1, rewritten by the 18th line
    ASSERT_TRUE(ring.readSlot(2, text));
    EXPECT_EQ(text, "line 2");
}

TEST(NetTextRing, UnwrittenSlotGivesNothingAndLongLinesAreCut)
{
    NetTextRing ring;
    QueuePoster poster;
    std::string text = "unchanged";
    EXPECT_FALSE(ring.readSlot(5, text));
    EXPECT_EQ(text, "unchanged");

    ring.postNetLine(std::string(5000, 'x'), poster);
    ASSERT_TRUE(ring.readSlot(0, text));
    EXPECT_EQ(text.size(), static_cast<std::size_t>(NetTextRing::kSlotBytes - 1));
}

// A writer far ahead of the reader: every line the reader accepts must be
// one whole line that was written, never a mixture of two.
TEST(NetTextRing, ConcurrentReaderNeverSeesMixedLines)
{
    NetTextRing ring;
    QueuePoster poster;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i)
            ring.postNetLine(std::string(100 + i % 700, static_cast<char>('a' + i % 26)), poster);
        done = true;
    });
    int accepted = 0;
    WParam w = 0;
    while (!done.load()) {
        std::string text;
        if (ring.readSlot(w++, text)) {
            ++accepted;
            ASSERT_FALSE(text.empty());
            EXPECT_EQ(text.find_first_not_of(text[0]), std::string::npos);
        }
    }
    writer.join();
    std::printf("accepted %d consistent lines while writing\n", accepted);
}

}  // namespace
}  // namespace veltrin
