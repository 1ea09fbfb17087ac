#include <cmath>

#include "display_fixture.h"

namespace veltrin::testing {
namespace {

constexpr double kHalfSearch4 = 248.90625;  // half the speed-4 decoder's analysed band

TEST_F(DisplayTest, TuneToAMenuValueRecentresAndRedrawsTheWaterfall)
{
    settings.displayCentre = 1500;
    state.fullRedraw = false;
    display.TuneTo(1700);
    EXPECT_EQ(port.checkedItems, (std::vector<int>{1700}));
    EXPECT_EQ(settings.displayCentre, 1700);
    EXPECT_EQ(settings.centreFreqMilliHz, 1700000);
    EXPECT_TRUE(state.fullRedraw);
    EXPECT_EQ(panels.text[1], "1700 Hz");
    for (int i = 0; i < 4; ++i) {
        const double centre = i < 2 ? 1700.0 : 1710.9375;
        EXPECT_DOUBLE_EQ((decoder(i).bandLo() + decoder(i).bandHi()) / 2, centre) << i;
    }
}

TEST_F(DisplayTest, TuneToBetweenMenuValuesMovesOnlyTheDecodersAndTheMarkers)
{
    display.TuneTo(1700);
    flatSpectrum(0.01);
    display.DrawWaterfall();
    const DisplayGeometry before = display.geometry();
    const std::vector<MarkerLine> markersBefore = display.markers();
    const int rowBefore = display.waterfall().waterfallRow();
    port.checkedItems.clear();

    display.TuneTo(1703);
    EXPECT_FALSE(state.fullRedraw);
    EXPECT_TRUE(port.checkedItems.empty());
    EXPECT_EQ(settings.displayCentre, 1700);
    EXPECT_EQ(settings.centreFreqMilliHz, 1703000);
    EXPECT_EQ(panels.text[1], "1700 Hz");
    display.DrawWaterfall();
    // The waterfall goes on where it was; the yellow lines moved 3 Hz.
    EXPECT_EQ(display.geometry().firstBin, before.firstBin);
    EXPECT_EQ(display.waterfall().waterfallRow(), rowBefore - 1);
    EXPECT_EQ(panels.text[2], "1703 Hz");
    ASSERT_EQ(display.markers().size(), markersBefore.size());
    // Speed 1 and 4 band edges, 8.5 tone spacings either side.
    const double edges[4] = {1703 - 24.90234375, 1703 + 24.90234375, 1703 - 99.609375, 1703 + 99.609375};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(display.markers()[i].x, before.columnOf(edges[i])) << i;
        EXPECT_EQ(display.markers()[i].x, before.columnOf(edges[i] - 3.0) + 2) << i;  // 3 Hz: two columns
        EXPECT_EQ(display.markers()[i].colour, kBandMarkerColour);
    }
    for (std::size_t i = 4; i < 8; ++i)  // speed 16 and 32 stay
        EXPECT_EQ(display.markers()[i].x, markersBefore[i].x) << i;
}

TEST_F(DisplayTest, StepTuneStaysWithinTheLimitsOfTheSpeed4Band)
{
    struct Case {
        int from, step, to;
    };
    const Case cases[] = {
        {3545, 10, 3545},  // 3555 + 248.9 > 3800: ignored
        {3545, 1, 3546},
        {3550, 1, 3551},   // 3551 + 248.9 = 3799.9
        {3551, 1, 3551},
        {349, -1, 349},    // 348 - 248.9 < 100: ignored
        {350, -1, 349},
        {1700, -10, 1690},
        {1700, 1, 1701},
    };
    for (const Case& c : cases) {
        display.TuneTo(c.from);
        display.StepTune(c.step);
        EXPECT_EQ(settings.centreFreqMilliHz, c.to * 1000) << c.from << " " << c.step;
    }
    EXPECT_DOUBLE_EQ((decoder(1).searchHi() - decoder(1).searchLo()) / 2, kHalfSearch4);
    // The tuned frequency is rounded from the thousandths before stepping.
    settings.centreFreqMilliHz = 1799500;
    display.StepTune(0);
    EXPECT_EQ(settings.centreFreqMilliHz, 1800000);
    EXPECT_EQ(settings.displayCentre, 1800);  // a menu value recentres
}

TEST_F(DisplayTest, CtrlClickAndCtrlDragTuneToTheFrequencyUnderTheMouse)
{
    display.TuneTo(1700);
    const DisplayGeometry g = display.geometry();
    state.displayHoldTicks = 40;

    display.FFTBoxMouseDown(100, false, true);  // a plain click does nothing
    EXPECT_EQ(settings.centreFreqMilliHz, 1700000);
    EXPECT_EQ(state.displayHoldTicks, 40);
    display.FFTBoxMouseMove(100, true, false);  // Ctrl without the button neither
    EXPECT_EQ(settings.centreFreqMilliHz, 1700000);

    display.FFTBoxMouseDown(100, true, true);
    EXPECT_EQ(state.displayHoldTicks, 0);
    EXPECT_EQ(settings.centreFreqMilliHz, static_cast<int>(std::floor(g.frequencyAt(100) + 0.5)) * 1000);
    // Dragging retunes at every move.
    std::vector<int> tuned;
    for (int x = 100; x <= 140; x += 10) {
        display.FFTBoxMouseMove(x, true, true);
        tuned.push_back(settings.centreFreqMilliHz / 1000);
    }
    for (std::size_t i = 1; i < tuned.size(); ++i)
        EXPECT_NEAR(tuned[i] - tuned[i - 1], 10 * g.stepHz, 1.0);

    // Fast decoding turns it off; outside the limits nothing happens.
    state.fastDecoding = true;
    display.FFTBoxMouseDown(300, true, true);
    EXPECT_EQ(settings.centreFreqMilliHz / 1000, tuned.back());
    state.fastDecoding = false;
    display.TuneTo(500);
    const int before = settings.centreFreqMilliHz;
    display.FFTBoxMouseDown(0, true, true);  // far below 349 Hz
    EXPECT_EQ(settings.centreFreqMilliHz, before);
}

// The labels of the scale, the waterfall columns of their frequencies and
// what a Ctrl-click on those columns tunes to agree, to the half pixel that
// one column spans.
TEST_F(DisplayTest, ScaleLabelsLineUpWithTheColumnsThatCtrlClickTunesTo)
{
    display.TuneTo(1700);
    flatSpectrum(0.001);
    display.DrawWaterfall();
    const DisplayGeometry g = display.geometry();
    ASSERT_FALSE(display.scale().empty());
    for (const ScaleTick& tick : display.scale()) {
        const int column = tick.x + 1;  // the scale image starts one pixel right
        EXPECT_EQ(g.columnOf(tick.hz), column) << tick.hz;
        display.FFTBoxMouseDown(column, true, true);
        EXPECT_LE(std::fabs(settings.centreFreqMilliHz / 1000 - tick.hz), g.stepHz / 2 + 0.5) << tick.hz;
        display.TuneTo(1700);
    }
}

TEST_F(DisplayTest, TuningFromADamagedSettingsFileDoesNotOverflow)
{
    display.TuneTo(2147483);  // (INT_MAX + 500) / 1000
    EXPECT_EQ(settings.centreFreqMilliHz, 2147483000);
    display.TuneTo(3000000);
    EXPECT_EQ(settings.centreFreqMilliHz, 2147483647);
    EXPECT_EQ(settings.displayCentre, 1700);
    display.StepTune(1);  // far outside the limits
    EXPECT_EQ(settings.centreFreqMilliHz, 2147483647);
}

}  // namespace
}  // namespace veltrin::testing
