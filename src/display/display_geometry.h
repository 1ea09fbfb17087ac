#pragma once
// Where frequencies sit on the waterfall and the scale. Bin b0 + k of the
// spectrum fills pixel columns k*zoom .. k*zoom + zoom - 1; the waterfall,
// its markers, the scale and click-to-tune all use this one rule.
#include <vector>

namespace veltrin {

inline constexpr double kBinHz = 12000.0 / 8192.0;  // 1.46484375 Hz

struct DisplayGeometry {
    int width = 0;        // W, pixels
    int zoom = 1;         // pixels per bin
    int firstBin = 0;     // b0
    double startHz = 0;   // frequency of column 0
    double stepHz = 0;    // Hz per pixel

    // zoom outside 1..5 counts as 1.
    static DisplayGeometry of(int width, int displayCentreHz, int zoom);

    int columnOf(double hz) const;        // floor((f - start)/step + 0.5)
    double frequencyAt(int x) const { return startHz + x * stepHz; }
    int binAt(int x) const { return firstBin + x / zoom; }
};

struct ScaleTick {
    int x;       // column in the scale image
    int hz;      // the label
    int length;  // rows: 17 at multiples of 1000 Hz, 10 at 500, else 5
};

// The ticks of 100 .. 4000 Hz that fall into an image of imageWidth columns.
// Each sits one column left of the frequency's waterfall column: the scale
// image starts one pixel to the right, inside its panel's border.
std::vector<ScaleTick> scaleTicks(const DisplayGeometry& geometry, int imageWidth);

}  // namespace veltrin
