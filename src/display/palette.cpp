#include "display/palette.h"

#include <algorithm>
#include <cmath>

namespace veltrin {

namespace {

double hueToComponent(double p, double q, double t)
{
    if (t < 0.0)
        t += 1.0;
    if (t > 1.0)
        t -= 1.0;
    if (t < 1.0 / 6.0)
        return p + (q - p) * 6.0 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3.0)
        return p + (q - p) * (2.0 / 3.0 - t) * 6.0;
    return p;
}

std::uint8_t toByte(double x)
{
    const double v = std::floor(255.0 * x + 0.5);
    return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
}

}  // namespace

Rgb HslToRgb(double h, double s, double l)
{
    if (!std::isfinite(h) || !std::isfinite(s) || !std::isfinite(l))
        return {};
    h -= std::floor(h);  // adding or subtracting whole turns
    s = std::clamp(s, 0.0, 1.0);
    l = std::clamp(l, 0.0, 1.0);
    if (s < 1e-8) {
        const std::uint8_t grey = toByte(l);
        return {grey, grey, grey};
    }
    const double q = l < 0.5 ? l * (1.0 + s) : l + s - l * s;
    const double p = 2.0 * l - q;
    return {toByte(hueToComponent(p, q, h + 1.0 / 3.0)), toByte(hueToComponent(p, q, h)),
            toByte(hueToComponent(p, q, h - 1.0 / 3.0))};
}

Rgb WaterfallPalette::colour(int i) const
{
    const std::uint8_t* c = bgr(i);
    return {c[2], c[1], c[0]};
}

void WaterfallPalette::build()
{
    for (int i = 0; i < kBrightest; ++i) {
        const double t = i / 10000.0;
        const Rgb c = HslToRgb(0.75 - 0.9 * t, 0.3 + 0.69 * t, 0.35 + 0.3 * t);
        std::uint8_t* out = &bytes_[static_cast<std::size_t>(i) * 3];
        out[0] = c.blue;
        out[1] = c.green;
        out[2] = c.red;
    }
    for (int i = kBrightest; i < kColours; ++i)
        std::copy_n(bgr(kBrightest - 1), 3, &bytes_[static_cast<std::size_t>(i) * 3]);
    built_ = true;
}

}  // namespace veltrin
