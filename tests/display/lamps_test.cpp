#include "display_fixture.h"
#include "display/lamps.h"

namespace veltrin::testing {
namespace {

using Shown = std::vector<std::pair<Lamp, int>>;

TEST(LampIndices, EachMaskCombinationShowsItsImage)
{
    struct Case {
        const char* what;
        std::uint8_t masks[kStatusMaskCount];  // signal, message, headless, GPS, beacon, activity, timeout, SYGN
        int rx;
        int busy;
    };
    const Case cases[] = {
        {"idle", {0, 0, 0, 0, 0, 0, 0, 0}, 7, 4},
        {"text message", {1, 4, 0, 0, 0, 4, 0, 0}, 12, 4},
        {"GPS position", {0, 32, 0, 32, 0, 0, 0, 0}, 5, 4},
        {"beacon", {0, 16, 0, 0, 16, 0, 0, 0}, 6, 4},
        {"headless", {0, 1, 1, 0, 0, 0, 0, 0}, 8, 4},
        {"GPS before beacon", {0, 48, 0, 32, 16, 0, 0, 0}, 5, 4},
        {"activity without message", {0, 0, 0, 0, 0, 16, 0, 0}, 7, 13},
        {"timeout running", {0, 0, 0, 0, 0, 0, 4, 0}, 7, 13},
        {"tuning pattern", {0, 0, 0, 0, 0, 0, 0, 32}, 7, 13},
        {"busy but in a message", {0, 1, 0, 0, 0, 1, 1, 1}, 12, 4},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(receptionLampIndex(c.masks), c.rx) << c.what;
        EXPECT_EQ(busyLampIndex(c.masks), c.busy) << c.what;
    }
}

TEST_F(DisplayTest, LampsAreDrawnOnlyWhenTheirImageChanges)
{
    std::uint8_t* masks = shared.StatusMasks;
    // The first update draws the sync lamp; the others already show 7 and 4.
    display.UpdateLamps();
    EXPECT_EQ(port.lampsShown, (Shown{{Lamp::Sync, 0}}));
    display.UpdateLamps();
    EXPECT_EQ(port.lampsShown.size(), 1u);

    masks[kMaskSignal] = 4;
    display.UpdateLamps();
    masks[kMaskSignal] = 4 | 32;  // another decoder too: the mask changed, the image stays 1
    display.UpdateLamps();
    masks[kMaskSygn] = 32;
    display.UpdateLamps();
    masks[kMaskSygn] = 0;
    masks[kMaskMessage] = 32;
    display.UpdateLamps();
    masks[kMaskActivity] = 32;  // in a message: the busy lamp stays off
    display.UpdateLamps();
    masks[kMaskMessage] = 0;
    masks[kMaskActivity] = 0;
    masks[kMaskSignal] = 0;
    display.UpdateLamps();
    EXPECT_EQ(port.lampsShown, (Shown{{Lamp::Sync, 0},
                                      {Lamp::Sync, 1},
                                      {Lamp::Sync, 1},
                                      {Lamp::RxBusy, 13},
                                      {Lamp::Rx, 12},
                                      {Lamp::RxBusy, 4},
                                      {Lamp::Sync, 0},
                                      {Lamp::Rx, 7}}));
    EXPECT_EQ(display.lamps().receptionIndex(), 7);
    EXPECT_EQ(display.lamps().busyIndex(), 4);
}

}  // namespace
}  // namespace veltrin::testing
