#pragma once
// The waterfall's colours: 10002 entries of blue, green, red bytes, from
// dark violet for the weakest level through blue, cyan, green, yellow and
// red to bright magenta for the strongest (index 10000 and 10001 repeat 9999).
#include <array>
#include <cstdint>

namespace veltrin {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// Hue, saturation and lightness 0..1 to 8-bit components; the hue wraps,
// saturation and lightness are limited to 0..1.
Rgb HslToRgb(double h, double s, double l);

class WaterfallPalette {
public:
    static constexpr int kColours = 10002;
    static constexpr int kBrightest = 10000;

    // Blue, green, red of colour i (0 .. kColours - 1).
    const std::uint8_t* bgr(int i) const { return &bytes_[static_cast<std::size_t>(i) * 3]; }
    Rgb colour(int i) const;

    // BuildPalette: fills all entries (once at start).
    void build();
    bool built() const { return built_; }

private:
    std::array<std::uint8_t, kColours * 3> bytes_{};
    bool built_ = false;
};

}  // namespace veltrin
