#include <gtest/gtest.h>

#include <cmath>

#include "display/display_geometry.h"

namespace veltrin {
namespace {

// The rule written out: c = round(centre / binHz), b0 = c - (W/2)/zoom,
// start = b0 binHz (less half a bin when zoomed), step = binHz / zoom.
TEST(DisplayGeometry, FirstBinStartAndStepFollowTheCentreWidthAndZoom)
{
    struct Case {
        int width, centre, zoom;
        int firstBin;
        double startHz, stepHz;
    };
    const double bin = 12000.0 / 8192.0;
    const Case cases[] = {
        {860, 1700, 1, 1161 - 430, 731 * bin, bin},
        {860, 1700, 5, 1161 - 86, 1075 * bin - bin / 2, bin / 5},
        {1920, 500, 1, 341 - 960, -619 * bin, bin},     // starts below 0 Hz
        {861, 2500, 2, 1707 - 215, 1492 * bin - bin / 2, bin / 2},
        {860, 1700, 9, 1161 - 430, 731 * bin, bin},     // a zoom the menu lacks: 1
    };
    for (const Case& c : cases) {
        const DisplayGeometry g = DisplayGeometry::of(c.width, c.centre, c.zoom);
        EXPECT_EQ(g.firstBin, c.firstBin) << c.width << " " << c.centre << " " << c.zoom;
        EXPECT_DOUBLE_EQ(g.startHz, c.startHz);
        EXPECT_DOUBLE_EQ(g.stepHz, c.stepHz);
    }
}

TEST(DisplayGeometry, BinsFillZoomColumnsAndFrequenciesRoundToTheirColumn)
{
    const DisplayGeometry g = DisplayGeometry::of(860, 1700, 5);
    EXPECT_EQ(g.binAt(0), g.firstBin);
    EXPECT_EQ(g.binAt(4), g.firstBin);
    EXPECT_EQ(g.binAt(5), g.firstBin + 1);
    // A bin's own frequency lands inside its five columns.
    const int b = 1200;
    const int x = g.columnOf(b * kBinHz);
    EXPECT_EQ(g.binAt(x), b);
    EXPECT_EQ(g.columnOf(g.frequencyAt(123)), 123);
    EXPECT_LT(g.columnOf(-1e300), 0);
    EXPECT_GT(g.columnOf(1e300), 100000);
}

TEST(ScaleTicks, EveryHundredHertzWithLongerTicksAtHalfAndWholeKilohertz)
{
    const DisplayGeometry g = DisplayGeometry::of(860, 1700, 1);
    const std::vector<ScaleTick> ticks = scaleTicks(g, 860);
    ASSERT_FALSE(ticks.empty());
    // 1070.8 Hz .. 2329 Hz are in view: 1100 .. 2300.
    EXPECT_EQ(ticks.front().hz, 1100);
    EXPECT_EQ(ticks.back().hz, 2300);
    EXPECT_EQ(ticks.size(), 13u);
    for (const ScaleTick& t : ticks) {
        // One column left of the waterfall's column of the frequency.
        EXPECT_EQ(t.x, static_cast<int>(std::floor((t.hz - g.startHz) / g.stepHz + 0.5)) - 1) << t.hz;
        EXPECT_EQ(t.length, t.hz % 1000 == 0 ? 17 : t.hz % 500 == 0 ? 10 : 5) << t.hz;
    }
    EXPECT_EQ(ticks[0].x, 19);  // 1100 Hz: column 20 of the waterfall

    // Narrow images end the list; zoomed in, a label every 341 pixels.
    EXPECT_EQ(scaleTicks(g, 20).size(), 1u);
    EXPECT_TRUE(scaleTicks(g, 19).empty());
    const std::vector<ScaleTick> zoomed = scaleTicks(DisplayGeometry::of(1920, 1700, 5), 1920);
    ASSERT_EQ(zoomed.size(), 5u);
    EXPECT_EQ(zoomed[0].hz, 1500);
    EXPECT_EQ(zoomed[0].x, 277);
    EXPECT_NEAR(zoomed[1].x - zoomed[0].x, 341, 1);
    // Low centres start the scale at 100 Hz, nothing below 0.
    const std::vector<ScaleTick> low = scaleTicks(DisplayGeometry::of(1920, 500, 1), 1920);
    EXPECT_EQ(low.front().hz, 100);
    EXPECT_GE(low.front().x, 0);
}

}  // namespace
}  // namespace veltrin
