#pragma once
// The waterfall bitmap: 24 bits per pixel (blue, green, red), W + 2 columns
// and 2H + 2 rows, each row padded to whole 32-bit words. Every line is
// written twice, at waterfallRow and waterfallRow + H, so rows
// waterfallRow .. waterfallRow + H - 1 always hold the newest H lines in
// order, newest on top, and the picture is one plain copy of them.
#include <cstdint>
#include <vector>

#include "display/display_geometry.h"
#include "display/palette.h"
#include "modem/decoder_shared.h"

namespace veltrin {

class Waterfall {
public:
    // True when the bitmap has another size or zoom than these.
    bool sizeDiffers(int width, int height, int zoom) const
    {
        return width != width_ || height != height_ || zoom != zoom_;
    }
    // A fresh bitmap filled with palette colour 0; waterfallRow = H.
    void reset(int width, int height, int zoom, const WaterfallPalette& palette);
    // The next line goes one row higher, wrapping from 0 to H - 1.
    void advanceRow();
    // One new line from the spectrum in rows waterfallRow and waterfallRow + H.
    void drawLine(const DisplayGeometry& geometry, const DecoderShared& spectrum, int gain,
                  const WaterfallPalette& palette);

    int width() const { return width_; }     // W
    int height() const { return height_; }   // H
    int zoom() const { return zoom_; }
    int waterfallRow() const { return row_; }
    int stride() const { return stride_; }   // bytes per bitmap row
    bool empty() const { return pixels_.empty(); }
    // The bitmap row r (0 .. 2H + 1).
    const std::uint8_t* row(int r) const { return pixels_.data() + static_cast<std::size_t>(r) * stride_; }
    // Top row of the picture: H rows of W pixels from here, stride() apart.
    const std::uint8_t* picture() const { return row(row_); }

private:
    std::uint8_t* mutableRow(int r) { return pixels_.data() + static_cast<std::size_t>(r) * stride_; }

    int width_ = -1, height_ = -1, zoom_ = -1;
    int stride_ = 0;
    int row_ = 0;
    std::vector<std::uint8_t> pixels_;
};

}  // namespace veltrin
