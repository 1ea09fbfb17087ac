#include "display/waterfall.h"

#include <algorithm>
#include <cstring>

#include "display/spectrum_level.h"

namespace veltrin {

void Waterfall::reset(int width, int height, int zoom, const WaterfallPalette& palette)
{
    width_ = width;
    height_ = height;
    zoom_ = zoom;
    const int columns = std::max(width, 0) + 2;
    const int rows = 2 * std::max(height, 0) + 2;
    stride_ = (columns * 3 + 3) / 4 * 4;
    pixels_.assign(static_cast<std::size_t>(stride_) * rows, 0);
    const std::uint8_t* fill = palette.bgr(0);
    for (int r = 0; r < rows; ++r) {
        std::uint8_t* p = mutableRow(r);
        for (int x = 0; x < columns; ++x)
            std::memcpy(p + 3 * x, fill, 3);
    }
    row_ = std::max(height, 0);
}

void Waterfall::advanceRow()
{
    --row_;
    if (row_ < 0)
        row_ = height_ - 1;
    if (row_ < 0)
        row_ = 0;  // no rows at all: the one spare row
}

void Waterfall::drawLine(const DisplayGeometry& geometry, const DecoderShared& spectrum, int gain,
                         const WaterfallPalette& palette)
{
    if (empty())
        return;
    const int zoom = std::max(geometry.zoom, 1);
    const int w = std::min(geometry.width, width_);
    std::uint8_t* top = mutableRow(row_);
    std::uint8_t* mirror = mutableRow(row_ + height_);
    // Every column up to the right edge, the last bin cut where W ends, so
    // no stripe of the empty colour stays at the edge.
    for (int x = 0; x < w; x += zoom) {
        const int b = geometry.binAt(x);
        if (b > kDisplayBinHi)
            break;
        if (b < kDisplayBinLo)
            continue;
        const int p = LevelToColourIndex(SpectrumLevel(spectrum, b, gain));
        const std::uint8_t* c = palette.bgr(WaterfallPalette::kBrightest - p);
        const int columns = std::min(zoom, w - x);
        for (int i = 0; i < columns; ++i) {
            std::memcpy(top + 3 * (x + i), c, 3);
            std::memcpy(mirror + 3 * (x + i), c, 3);
        }
    }
}

}  // namespace veltrin
