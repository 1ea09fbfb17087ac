#include "display/display_geometry.h"

#include <cmath>

namespace veltrin {

DisplayGeometry DisplayGeometry::of(int width, int displayCentreHz, int zoom)
{
    DisplayGeometry g;
    g.width = width > 0 ? width : 0;
    g.zoom = zoom >= 1 && zoom <= 5 ? zoom : 1;
    const int centreBin = static_cast<int>(std::floor(displayCentreHz / kBinHz + 0.5));
    g.firstBin = centreBin - (g.width / 2) / g.zoom;
    g.startHz = g.firstBin * kBinHz;
    if (g.zoom > 1)
        g.startHz -= kBinHz / 2.0;
    g.stepHz = kBinHz / g.zoom;
    return g;
}

int DisplayGeometry::columnOf(double hz) const
{
    const double x = std::floor((hz - startHz) / stepHz + 0.5);
    // Far-off frequencies land far outside any window, never in it.
    if (!(x > -1e9))
        return -1000000000;
    if (x > 1e9)
        return 1000000000;
    return static_cast<int>(x);
}

std::vector<ScaleTick> scaleTicks(const DisplayGeometry& geometry, int imageWidth)
{
    std::vector<ScaleTick> ticks;
    for (int hz = 100; hz <= 4000; hz += 100) {
        const int x = geometry.columnOf(hz) - 1;
        if (x >= imageWidth)
            break;
        if (x < 0)
            continue;
        const int length = hz % 1000 == 0 ? 17 : hz % 500 == 0 ? 10 : 5;
        ticks.push_back({x, hz, length});
    }
    return ticks;
}

}  // namespace veltrin
