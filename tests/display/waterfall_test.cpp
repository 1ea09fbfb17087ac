#include <cmath>
#include <cstring>

#include "display/spectrum_level.h"
#include "display_fixture.h"

namespace veltrin::testing {
namespace {

// The colour a flat spectrum at this level gets with gain 1.
int colourOf(double level)
{
    return WaterfallPalette::kBrightest - LevelToColourIndex(level);
}

TEST_F(DisplayTest, FullRedrawMakesAFreshBitmapOfTwiceTheHeight)
{
    port.width = 50;
    port.height = 7;
    flatSpectrum(0.01);
    display.DrawWaterfall();
    const Waterfall& w = display.waterfall();
    EXPECT_FALSE(state.fullRedraw);
    EXPECT_EQ(w.width(), 50);
    EXPECT_EQ(w.height(), 7);
    EXPECT_EQ(w.stride(), 156);  // 52 pixels of 3 bytes, whole 32-bit words
    EXPECT_EQ(w.waterfallRow(), 7);
    EXPECT_EQ(port.scaleRepaints, 1);
    // The new line on top, right to the last column; colour 0 below.
    EXPECT_TRUE(pixelIs(0, 0, colourOf(0.01)));
    EXPECT_TRUE(pixelIs(49, 0, colourOf(0.01)));
    EXPECT_TRUE(pixelIs(50, 0, 0));  // the spare columns beside it
    for (int y = 1; y < 7; ++y)
        EXPECT_TRUE(pixelIs(10, y, 0)) << y;
    // The line is also in the second half, H rows further down.
    EXPECT_EQ(0, std::memcmp(w.row(7), w.row(14), 50 * 3));

    // A new size, zoom or a requested redraw starts over.
    display.DrawWaterfall();
    EXPECT_EQ(display.waterfall().waterfallRow(), 6);
    port.height = 9;
    display.DrawWaterfall();
    EXPECT_EQ(display.waterfall().waterfallRow(), 9);
    settings.zoom = 3;
    display.DrawWaterfall();
    EXPECT_EQ(display.waterfall().zoom(), 3);
    EXPECT_EQ(display.waterfall().waterfallRow(), 9);
    EXPECT_EQ(port.scaleRepaints, 3);
}

// Each line gets its own level; after more than H lines the picture shows
// exactly the newest H, newest on top, across the wrap of the row counter.
TEST_F(DisplayTest, RowsWrapAfterHLinesWithoutSkippingOne)
{
    port.width = 20;
    port.height = 5;
    const int lines = 13;
    std::vector<double> levels;
    for (int n = 0; n < lines; ++n) {
        levels.push_back(std::pow(10.0, -0.25 * n));
        flatSpectrum(levels.back());
        display.DrawWaterfall();
        const int shown = std::min(n + 1, port.height);
        for (int y = 0; y < port.height; ++y) {
            const int colour = y < shown ? colourOf(levels[static_cast<std::size_t>(n - y)]) : 0;
            EXPECT_TRUE(pixelIs(3, y, colour)) << "after line " << n << ", row " << y;
        }
    }
    EXPECT_EQ(display.linesDrawn(), lines);
    EXPECT_EQ(port.waterfallRepaints, lines);
}

TEST_F(DisplayTest, ZoomedBinsFillSeveralColumnsAndBinsOutsideTheSpectrumStayDark)
{
    port.width = 42;
    port.height = 4;
    settings.zoom = 4;
    flatSpectrum(0.0);
    const DisplayGeometry g = DisplayGeometry::of(42, settings.displayCentre, 4);
    shared.SpectrumRe[g.firstBin + 3] = 134217728.0f;   // full scale in the fourth bin
    shared.SpectrumRe[g.firstBin + 10] = 134217728.0f;  // and in the last, cut to two columns
    display.DrawWaterfall();
    for (int x = 0; x < 42; ++x)
        EXPECT_TRUE(pixelIs(x, 0, x / 4 == 3 || x >= 40 ? 10000 : 1)) << x;
    EXPECT_TRUE(pixelIs(42, 0, 0));  // the spare columns are never drawn

    // At the lowest centre and the widest window the bins below 1 are left
    // as they are, and above 4094 nothing is drawn.
    port.width = 1920;
    settings.zoom = 1;
    settings.displayCentre = 500;
    flatSpectrum(1.0);
    display.DrawWaterfall();
    const DisplayGeometry low = display.geometry();
    const int firstDrawn = kDisplayBinLo - low.firstBin;
    EXPECT_TRUE(pixelIs(firstDrawn - 1, 0, 0));
    EXPECT_TRUE(pixelIs(firstDrawn, 0, 10000));
    settings.displayCentre = 2500;
    settings.zoom = 1;
    port.width = 6000;  // past the top of the spectrum
    display.DrawWaterfall();
    const DisplayGeometry high = display.geometry();
    const int lastDrawn = kDisplayBinHi - high.firstBin;
    EXPECT_TRUE(pixelIs(lastDrawn, 0, 10000));
    EXPECT_TRUE(pixelIs(lastDrawn + 1, 0, 0));
}

TEST_F(DisplayTest, MarkersShowTheBandsAndTheLowerThirdOfTheSearchRanges)
{
    display.TuneTo(1700);
    port.height = 30;
    display.DrawWaterfall();
    const DisplayGeometry g = display.geometry();
    struct Expected {
        double hz;
        int top;
        Rgb colour;
    };
    std::vector<Expected> expected;
    for (int i = 0; i < 4; ++i) {
        const Rgb colour = i < 2 ? Rgb{255, 255, 0} : Rgb{240, 240, 240};
        expected.push_back({decoder(i).bandLo(), 0, colour});
        expected.push_back({decoder(i).bandHi(), 0, colour});
    }
    for (int i = 0; i < 4; ++i) {
        expected.push_back({decoder(i).searchLo(), 20, {240, 240, 240}});
        expected.push_back({decoder(i).searchHi(), 20, {240, 240, 240}});
    }
    std::vector<MarkerLine> inView;
    for (const Expected& e : expected) {
        const int x = static_cast<int>(std::floor((e.hz - g.startHz) / g.stepHz + 0.5));
        if (x >= 0 && x < port.width)
            inView.push_back({x, e.top, 29, e.colour});
    }
    // 1710.9 + 635.6 Hz, the speed-32 search end, is right of the window.
    EXPECT_EQ(inView.size(), expected.size() - 1);
    ASSERT_EQ(display.markers().size(), inView.size());
    for (std::size_t i = 0; i < inView.size(); ++i) {
        EXPECT_EQ(display.markers()[i].x, inView[i].x) << i;
        EXPECT_EQ(display.markers()[i].top, inView[i].top) << i;
        EXPECT_EQ(display.markers()[i].bottom, inView[i].bottom) << i;
        EXPECT_EQ(display.markers()[i].colour, inView[i].colour) << i;
    }
}

TEST_F(DisplayTest, GainBrightensTheLines)
{
    port.width = 20;
    port.height = 3;
    flatSpectrum(1.0 / 1024);
    settings.waterfallGain = 1024;
    display.DrawWaterfall();
    EXPECT_TRUE(pixelIs(0, 0, 10000));
    settings.waterfallGain = 1;
    display.DrawWaterfall();
    EXPECT_TRUE(pixelIs(0, 0, colourOf(1.0 / 1024)));
    settings.waterfallGain = 3;  // not a menu value: 1
    display.DrawWaterfall();
    EXPECT_TRUE(pixelIs(0, 0, colourOf(1.0 / 1024)));
}

TEST_F(DisplayTest, PanelTwoShowsTheTunedFrequencyWhenItChanges)
{
    display.TuneTo(1705);
    display.DrawWaterfall();
    EXPECT_EQ(panels.text[2], "1705 Hz");
    display.DrawWaterfall();
    EXPECT_EQ(panels.writes[2], 1);
    display.TuneTo(1706);
    display.DrawWaterfall();
    EXPECT_EQ(panels.text[2], "1706 Hz");
    EXPECT_EQ(panels.writes[2], 2);

    struct Case {
        long long milli;
        const char* text;
    };
    for (const Case& c : {Case{1705400, "1705 Hz"}, Case{1705500, "1706 Hz"}, Case{499, " Hz"},
                          Case{-1500, "-2 Hz"}, Case{3551000, "3551 Hz"}})
        EXPECT_EQ(tunedFrequencyText(c.milli), c.text) << c.milli;
}

// The drop rules of WM_SPECTRUM_READY, one spectrum at a time.
TEST_F(DisplayTest, SpectraAreDroppedUnderBacklogFastDecodingAndHold)
{
    port.width = 20;
    port.height = 4;
    struct Case {
        const char* what;
        int pending;
        int fifo;
        bool fromFile;
        bool fast;
        int hold;
        bool drawn;
    };
    const Case cases[] = {
        {"nothing waiting", 0, 0, false, false, 0, false},
        {"live, in time", 1, 0, false, false, 0, true},
        {"live, 6 behind", 1, 6, false, false, 0, true},
        {"live, 7 behind", 1, 7, false, false, 0, false},
        {"live, 12 behind", 1, 12, false, false, 0, false},
        {"from a file, 7 waiting", 1, 7, true, false, 0, true},
        {"fast decoding", 1, 0, true, true, 0, false},
        {"display held", 1, 0, false, false, 40, false},
    };
    for (const Case& c : cases) {
        shared.spectrumPending = c.pending;
        fifoBuffers = c.fifo;
        state.blockFromFile = c.fromFile;
        state.fastDecoding = c.fast;
        state.displayHoldTicks = c.hold;
        const int before = display.linesDrawn();
        display.OnSpectrumReady();
        EXPECT_EQ(display.linesDrawn() - before, c.drawn ? 1 : 0) << c.what;
        EXPECT_EQ(shared.spectrumPending, 0) << c.what;
    }

    // Under backlog every spectrum is dropped; the first one after it is drawn.
    state = AppState{};
    const int before = display.linesDrawn();
    for (int fifo : {9, 8, 7, 7, 6, 3}) {
        fifoBuffers = fifo;
        shared.spectrumPending = 1;
        display.OnSpectrumReady();
    }
    EXPECT_EQ(display.linesDrawn() - before, 2);
}

}  // namespace
}  // namespace veltrin::testing
