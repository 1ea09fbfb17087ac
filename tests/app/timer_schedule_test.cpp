#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "config/app_state.h"
#include "app/timer_schedule.h"

namespace veltrin {
namespace {

struct RecordingPanels : StatusPanels {
    void setPanelText(int index, const std::string& text) override { writes.push_back({index, text}); }
    std::vector<std::pair<int, std::string>> writes;
};

struct RecordingPoster : WindowMessagePoster {
    void postWindowMessage(unsigned message, WParam) override { posted.push_back(message); }
    int count(unsigned message) const
    {
        int n = 0;
        for (unsigned m : posted)
            n += m == message;
        return n;
    }
    std::vector<unsigned> posted;
};

struct TimerFixture : ::testing::Test {
    AppState state;
    RecordingPanels panels;
    RecordingPoster poster;
    TimerSchedule schedule{state, panels, poster};
};

TEST_F(TimerFixture, BeaconsAreDueAfter12001And18001Ticks)
{
    std::vector<int> positionTicks, statusTicks;
    for (int t = 1; t <= 36003; ++t) {
        std::size_t before = poster.posted.size();
        schedule.tick(0);
        for (std::size_t i = before; i < poster.posted.size(); ++i) {
            if (poster.posted[i] == WM_SEND_POSITION_BEACON)
                positionTicks.push_back(t);
            if (poster.posted[i] == WM_SEND_STATUS_BEACON)
                statusTicks.push_back(t);
        }
    }
    EXPECT_EQ(positionTicks, (std::vector<int>{12001, 24002, 36003}));
    EXPECT_EQ(statusTicks, (std::vector<int>{18001, 36002}));
}

TEST_F(TimerFixture, FifoPanelIsWrittenOnlyOnChange)
{
    for (int count : {0, 0, 3, 3, 3, 9, 2})
        schedule.tick(count);
    std::vector<std::pair<int, std::string>> expected = {
        {9, "UpB: 0"}, {9, "UpB: 3"}, {9, "UpB: 9"}, {9, "UpB: 2"}};
    EXPECT_EQ(panels.writes, expected);
}

TEST_F(TimerFixture, GrowingBacklogPostsAudioBlockEveryTickFromEight)
{
    std::vector<int> postedAt;
    for (int count = 0; count <= 12; ++count) {
        std::size_t before = poster.count(WM_AUDIO_BLOCK);
        schedule.tick(count);
        if (static_cast<std::size_t>(poster.count(WM_AUDIO_BLOCK)) > before)
            postedAt.push_back(count);
    }
    EXPECT_EQ(postedAt, (std::vector<int>{8, 9, 10, 11, 12}));
    EXPECT_EQ(panels.writes.back(), (std::pair<int, std::string>{9, "UpB: 12"}));
}

TEST_F(TimerFixture, DecodingFromFileSuppressesTheBacklogPost)
{
    state.decodingFromFile = true;
    for (int i = 0; i < 5; ++i)
        schedule.tick(20);
    EXPECT_EQ(poster.count(WM_AUDIO_BLOCK), 0);
}

TEST_F(TimerFixture, DisplayHoldCountsDownToZero)
{
    state.displayHoldTicks = 2;
    for (int i = 0; i < 4; ++i)
        schedule.tick(0);
    EXPECT_EQ(state.displayHoldTicks, 0);
}

}  // namespace
}  // namespace veltrin
