#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "display/palette.h"
#include "display/spectrum_level.h"

namespace veltrin {
namespace {

TEST(HslToRgb, StandardColoursWrapsHueAndLimitsSaturationAndLightness)
{
    struct Case {
        double h, s, l;
        Rgb rgb;
    };
    const Case cases[] = {
        {0.0, 1.0, 0.5, {255, 0, 0}},
        {1.0 / 3.0, 1.0, 0.5, {0, 255, 0}},
        {2.0 / 3.0, 1.0, 0.5, {0, 0, 255}},
        {-1.0 / 3.0, 1.0, 0.5, {0, 0, 255}},   // hue brought into 0..1
        {1.25, 1.0, 0.5, {128, 255, 0}},
        {0.3, 0.0, 0.5, {128, 128, 128}},      // no saturation: grey, rounded
        {0.3, 1e-9, 0.2, {51, 51, 51}},
        {0.5, 2.0, 0.5, {0, 255, 255}},        // saturation limited to 1
        {0.5, 1.0, -1.0, {0, 0, 0}},           // lightness limited to 0
        {0.5, 1.0, 7.0, {255, 255, 255}},
        {0.75, 0.3, 0.35, {89, 62, 116}},      // the palette's weakest colour
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HslToRgb(c.h, c.s, c.l), c.rgb) << c.h << " " << c.s << " " << c.l;
    }
}

TEST(BuildPalette, RunsFromDarkVioletThroughTheRainbowToBrightMagenta)
{
    WaterfallPalette palette;
    EXPECT_FALSE(palette.built());
    palette.build();
    ASSERT_TRUE(palette.built());
    EXPECT_EQ(palette.colour(0), (Rgb{89, 62, 116}));
    EXPECT_EQ(palette.colour(9999), (Rgb{254, 77, 236}));
    EXPECT_EQ(palette.colour(10000), palette.colour(9999));
    EXPECT_EQ(palette.colour(10001), palette.colour(9999));
    // Stored blue first, as the bitmap takes it.
    EXPECT_EQ(palette.bgr(0)[0], 116);
    EXPECT_EQ(palette.bgr(0)[2], 89);

    // The strongest component on the way up.
    struct Stop {
        int index;
        const char* dominant;  // "b", "c" (green and blue), "g", "y" (red and green), "r"
    };
    for (const Stop& stop : {Stop{1000, "b"}, Stop{3000, "c"}, Stop{4500, "g"}, Stop{6500, "y"}, Stop{8300, "r"}}) {
        const Rgb c = palette.colour(stop.index);
        const std::string d = stop.dominant;
        if (d == "b") {
            EXPECT_GT(c.blue, std::max(c.red, c.green)) << stop.index;
        }
        if (d == "c") {
            EXPECT_GT(std::min(c.green, c.blue), c.red + 60) << stop.index;
        }
        if (d == "g") {
            EXPECT_GT(c.green, std::max(c.red, c.blue)) << stop.index;
        }
        if (d == "y") {
            EXPECT_GT(std::min(c.red, c.green), c.blue + 60) << stop.index;
        }
        if (d == "r") {
            EXPECT_GT(c.red, std::max(c.green, c.blue)) << stop.index;
        }
    }
}

TEST(LevelToColourIndex, SpreadsSeventyDecibelsOverThePalette)
{
    struct Case {
        double v;
        int index;
    };
    const Case cases[] = {
        {1.0, 0},
        {std::pow(10.0, -1.75), 5000},  // 35 dB down: the middle
        {std::pow(10.0, -3.5), 9999},   // 70 dB down
        {0.0001, 9999},
        {0.00009, 9999},
        {0.0, 9999},
        {std::numeric_limits<double>::quiet_NaN(), 9999},
        {2.0, 0},                       // above full scale stays brightest
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LevelToColourIndex(c.v), c.index) << c.v;
    }
    // One colour step is 0.007 dB: 1 dB down is about 143 colours.
    EXPECT_NEAR(LevelToColourIndex(std::pow(10.0, -0.05)), 143, 1);
}

TEST(SpectrumLevel, FullScaleSineIsOneAndTheGainBrightensUpToOne)
{
    DecoderShared shared;
    shared.SpectrumRe[100] = 131072.0f;  // 2^17: 2^-10 of full scale
    shared.SpectrumRe[200] = static_cast<float>(131072.0 * std::pow(10.0, -3.5));  // 70 dB below that
    shared.SpectrumRe[300] = 3.0f * 134217728.0f / 10.0f;
    shared.SpectrumIm[300] = 4.0f * 134217728.0f / 10.0f;
    shared.SpectrumRe[400] = 1e-6f;      // power below 1e-12 of full scale: silence
    shared.SpectrumRe[0] = shared.SpectrumRe[4095] = 134217728.0f;

    EXPECT_EQ(SpectrumLevel(shared, 100, 1024), 1.0);
    EXPECT_EQ(WaterfallPalette::kBrightest - LevelToColourIndex(SpectrumLevel(shared, 100, 1024)), 10000);
    EXPECT_EQ(WaterfallPalette::kBrightest - LevelToColourIndex(SpectrumLevel(shared, 200, 1024)), 1);
    EXPECT_NEAR(SpectrumLevel(shared, 100, 1), 1.0 / 1024, 1e-12);
    EXPECT_NEAR(SpectrumLevel(shared, 300, 1), 0.5, 1e-6);
    EXPECT_EQ(SpectrumLevel(shared, 300, 4), 1.0);  // limited
    EXPECT_EQ(SpectrumLevel(shared, 400, 1024), 0.0);
    EXPECT_EQ(SpectrumLevel(shared, 0, 1), 0.0);     // outside the usable bins
    EXPECT_EQ(SpectrumLevel(shared, 4095, 1), 0.0);
    EXPECT_EQ(SpectrumLevel(shared, -5, 1), 0.0);
    EXPECT_EQ(SpectrumLevel(shared, 4096, 1), 0.0);
}

}  // namespace
}  // namespace veltrin
