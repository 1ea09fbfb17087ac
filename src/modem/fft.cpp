#include "modem/fft.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/cpu_clones.h"

namespace veltrin {

namespace {

constexpr int kLog2Max = 14;

// For every size M = 2^s (s = 1..14) the twiddles W_M^j = e^(-2*pi*i*j/M),
// j < M/2, stored contiguously so that butterfly loops read them with unit
// stride. Table s starts at offset M/2 (aligned for vector loads from M = 16).
// For the radix-4 stages also W_M^(3j), j < M/4, from offset M/4 (M >= 4).
struct TwiddleTables {
    alignas(64) float re[kFftMaxSize];
    alignas(64) float im[kFftMaxSize];
    alignas(64) float re3[kFftMaxSize / 2];
    alignas(64) float im3[kFftMaxSize / 2];
    TwiddleTables()
    {
        for (int s = 1; s <= kLog2Max; ++s) {
            const int m = 1 << s;
            float* r = re + m / 2;
            float* i = im + m / 2;
            for (int j = 0; j < m / 2; ++j) {
                const double a = -2.0 * M_PI * j / m;
                r[j] = static_cast<float>(std::cos(a));
                i[j] = static_cast<float>(std::sin(a));
            }
            if (m < 4)
                continue;
            float* r3 = re3 + m / 4;
            float* i3 = im3 + m / 4;
            for (int j = 0; j < m / 4; ++j) {
                const double a = -2.0 * M_PI * 3.0 * j / m;
                r3[j] = static_cast<float>(std::cos(a));
                i3[j] = static_cast<float>(std::sin(a));
            }
        }
    }
    const float* reFor(int m) const { return re + m / 2; }
    const float* imFor(int m) const { return im + m / 2; }
    const float* re3For(int m) const { return re3 + m / 4; }
    const float* im3For(int m) const { return im3 + m / 4; }
};

const TwiddleTables& twiddles()
{
    static const TwiddleTables tables;
    return tables;
}
// Build the tables before main so the first transform on the receive path
// does no initialisation work.
[[maybe_unused]] const TwiddleTables& kTablesAtStart = twiddles();

int log2Of(int n)
{
    int s = 0;
    while ((1 << s) < n)
        ++s;
    return s;
}

// Bit reversal of 14-bit indices; shorter widths shift the result down.
struct BitReversal {
    std::uint16_t rev[kFftMaxSize] = {};
    constexpr BitReversal()
    {
        for (unsigned k = 0; k < kFftMaxSize; ++k) {
            unsigned r = 0, v = k;
            for (int b = 0; b < kLog2Max; ++b) {
                r = (r << 1) | (v & 1u);
                v >>= 1;
            }
            rev[k] = static_cast<std::uint16_t>(r);
        }
    }
};
constexpr BitReversal kBitReversal;

inline unsigned bitReverse(unsigned k, int bits) { return kBitReversal.rev[k] >> (kLog2Max - bits); }

// Eight floats at a time; the compiler maps this onto whatever vector
// registers the target has (two SSE registers on plain x86-64). These helpers
// never cross a library boundary, so the vector ABI note does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"
typedef float v8 __attribute__((vector_size(32)));

[[gnu::always_inline]] inline v8 load8(const float* p)
{
    v8 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

[[gnu::always_inline]] inline void store8(float* p, const v8& v) { std::memcpy(p, &v, sizeof v); }

// Complex product (ar, ai) * (br, bi).
#define VELTRIN_CMUL(outR, outI, ar, ai, br, bi) \
    outR = (ar) * (br) - (ai) * (bi);          \
    outI = (ar) * (bi) + (ai) * (br)

// The twiddles of a radix-4 step over groups of size 4q: W^j, W^2j, W^3j.
struct Radix4Twiddles {
    const float* w1r;
    const float* w1i;
    const float* w2r;
    const float* w2i;
    const float* w3r;
    const float* w3i;
};

Radix4Twiddles radix4Twiddles(const TwiddleTables& tw, int group)
{
    return {tw.reFor(group),     tw.imFor(group),      tw.reFor(group / 2),
            tw.imFor(group / 2), tw.re3For(group), tw.im3For(group)};
}

// Two radix-2 DIF stages at once over groups of size 4q (q a multiple of 8):
// one pass over the data instead of two, three complex products per four
// entries instead of four. Output order as the two radix-2 stages give it.
[[gnu::always_inline]] inline void difRadix4Stage(float* __restrict re, float* __restrict im, int n, int q,
                                                  const Radix4Twiddles& t)
{
    for (int g = 0; g < n; g += 4 * q) {
        float* r0 = re + g;
        float* i0 = im + g;
        float* r1 = r0 + q;
        float* i1 = i0 + q;
        float* r2 = r1 + q;
        float* i2 = i1 + q;
        float* r3 = r2 + q;
        float* i3 = i2 + q;
        for (int j = 0; j < q; j += 8) {
            const v8 a0r = load8(r0 + j), a0i = load8(i0 + j);
            const v8 a1r = load8(r1 + j), a1i = load8(i1 + j);
            const v8 a2r = load8(r2 + j), a2i = load8(i2 + j);
            const v8 a3r = load8(r3 + j), a3i = load8(i3 + j);
            const v8 t0r = a0r + a2r, t0i = a0i + a2i;
            const v8 t1r = a0r - a2r, t1i = a0i - a2i;
            const v8 t2r = a1r + a3r, t2i = a1i + a3i;
            const v8 t3r = a1i - a3i, t3i = a3r - a1r;  // (a1 - a3) * (-i)
            store8(r0 + j, t0r + t2r);
            store8(i0 + j, t0i + t2i);
            const v8 ur = t0r - t2r, ui = t0i - t2i;
            const v8 vr = t1r + t3r, vi = t1i + t3i;
            const v8 zr = t1r - t3r, zi = t1i - t3i;
            v8 yr, yi;
            VELTRIN_CMUL(yr, yi, ur, ui, load8(t.w2r + j), load8(t.w2i + j));
            store8(r1 + j, yr);
            store8(i1 + j, yi);
            VELTRIN_CMUL(yr, yi, vr, vi, load8(t.w1r + j), load8(t.w1i + j));
            store8(r2 + j, yr);
            store8(i2 + j, yi);
            VELTRIN_CMUL(yr, yi, zr, zi, load8(t.w3r + j), load8(t.w3i + j));
            store8(r3 + j, yr);
            store8(i3 + j, yi);
        }
    }
}

// A DIF stage whose upper halves are known to be zero: only `valid` leading
// entries of each group's lower half may be non-zero.
[[gnu::always_inline]] inline void difStageZeroUpper(float* __restrict re, float* __restrict im, int n, int h, int valid,
                              const float* __restrict wr, const float* __restrict wi)
{
    for (int g = 0; g < n; g += 2 * h) {
        const float* __restrict ar = re + g;
        const float* __restrict ai = im + g;
        float* __restrict br = re + g + h;
        float* __restrict bi = im + g + h;
        int j = 0;
        for (; j + 8 <= valid; j += 8) {
            const v8 xr = load8(ar + j), xi = load8(ai + j);
            const v8 cr = load8(wr + j), ci = load8(wi + j);
            store8(br + j, xr * cr - xi * ci);
            store8(bi + j, xr * ci + xi * cr);
        }
        for (; j < valid; ++j) {
            const float xr = ar[j], xi = ai[j];
            br[j] = xr * wr[j] - xi * wi[j];
            bi[j] = xr * wi[j] + xi * wr[j];
        }
        for (j = valid; j < h; ++j) {
            br[j] = 0.0f;
            bi[j] = 0.0f;
        }
    }
}

typedef float v4 __attribute__((vector_size(16)));

// Lanes of a and b (b's numbered from 4 on) picked by constant indices: the
// same permutation through either compiler's built-in.
#if defined(__clang__)
#define VELTRIN_SHUFFLE2(a, b, i0, i1, i2, i3) __builtin_shufflevector((a), (b), i0, i1, i2, i3)
#define VELTRIN_SHUFFLE1(a, i0, i1, i2, i3) __builtin_shufflevector((a), (a), i0, i1, i2, i3)
#else
typedef int v4i __attribute__((vector_size(16)));
#define VELTRIN_SHUFFLE2(a, b, i0, i1, i2, i3) __builtin_shuffle((a), (b), v4i{i0, i1, i2, i3})
#define VELTRIN_SHUFFLE1(a, i0, i1, i2, i3) __builtin_shuffle((a), v4i{i0, i1, i2, i3})
#endif

[[gnu::always_inline]] inline v4 load4(const float* p)
{
    v4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

[[gnu::always_inline]] inline void store4(float* p, v4 v) { std::memcpy(p, &v, sizeof v); }

// The stage with groups of 8: one vector of four per half.
[[gnu::always_inline]] inline void difStageOf8(float* __restrict re, float* __restrict im, int n,
                                               const float* __restrict wr, const float* __restrict wi)
{
    const v4 cr = load4(wr), ci = load4(wi);
    for (int g = 0; g < n; g += 8) {
        const v4 xr = load4(re + g), xi = load4(im + g);
        const v4 yr = load4(re + g + 4), yi = load4(im + g + 4);
        store4(re + g, xr + yr);
        store4(im + g, xi + yi);
        const v4 dr = xr - yr, di = xi - yi;
        store4(re + g + 4, dr * cr - di * ci);
        store4(im + g + 4, dr * ci + di * cr);
    }
}

// The radix-4 step over groups of 16 (q = 4): one vector of four per quarter.
[[gnu::always_inline]] inline void difRadix4StageOf16(float* __restrict re, float* __restrict im, int n,
                                                      const Radix4Twiddles& t)
{
    const v4 w1r = load4(t.w1r), w1i = load4(t.w1i);
    const v4 w2r = load4(t.w2r), w2i = load4(t.w2i);
    const v4 w3r = load4(t.w3r), w3i = load4(t.w3i);
    for (int g = 0; g < n; g += 16) {
        float* r = re + g;
        float* i = im + g;
        const v4 a0r = load4(r), a0i = load4(i);
        const v4 a1r = load4(r + 4), a1i = load4(i + 4);
        const v4 a2r = load4(r + 8), a2i = load4(i + 8);
        const v4 a3r = load4(r + 12), a3i = load4(i + 12);
        const v4 t0r = a0r + a2r, t0i = a0i + a2i;
        const v4 t1r = a0r - a2r, t1i = a0i - a2i;
        const v4 t2r = a1r + a3r, t2i = a1i + a3i;
        const v4 t3r = a1i - a3i, t3i = a3r - a1r;
        store4(r, t0r + t2r);
        store4(i, t0i + t2i);
        const v4 ur = t0r - t2r, ui = t0i - t2i;
        const v4 vr = t1r + t3r, vi = t1i + t3i;
        const v4 zr = t1r - t3r, zi = t1i - t3i;
        v4 yr, yi;
        VELTRIN_CMUL(yr, yi, ur, ui, w2r, w2i);
        store4(r + 4, yr);
        store4(i + 4, yi);
        VELTRIN_CMUL(yr, yi, vr, vi, w1r, w1i);
        store4(r + 8, yr);
        store4(i + 8, yi);
        VELTRIN_CMUL(yr, yi, zr, zi, w3r, w3i);
        store4(r + 12, yr);
        store4(i + 12, yi);
    }
}

// The radix-4 step over groups of size 4q whose last three quarters are
// zero: only `valid` leading entries of each group may be non-zero, and each
// lands, turned by its twiddle, in all four quarters.
[[gnu::always_inline]] inline void difRadix4StageZeroUpper(float* __restrict re, float* __restrict im, int n, int q,
                                                           int valid, const Radix4Twiddles& t)
{
    for (int g = 0; g < n; g += 4 * q) {
        const float* __restrict ar = re + g;
        const float* __restrict ai = im + g;
        float* __restrict r1 = re + g + q;
        float* __restrict i1 = im + g + q;
        float* __restrict r2 = r1 + q;
        float* __restrict i2 = i1 + q;
        float* __restrict r3 = r2 + q;
        float* __restrict i3 = i2 + q;
        int j = 0;
        for (; j + 8 <= valid; j += 8) {
            const v8 xr = load8(ar + j), xi = load8(ai + j);
            v8 yr, yi;
            VELTRIN_CMUL(yr, yi, xr, xi, load8(t.w2r + j), load8(t.w2i + j));
            store8(r1 + j, yr);
            store8(i1 + j, yi);
            VELTRIN_CMUL(yr, yi, xr, xi, load8(t.w1r + j), load8(t.w1i + j));
            store8(r2 + j, yr);
            store8(i2 + j, yi);
            VELTRIN_CMUL(yr, yi, xr, xi, load8(t.w3r + j), load8(t.w3i + j));
            store8(r3 + j, yr);
            store8(i3 + j, yi);
        }
        for (; j < valid; ++j) {
            const float xr = ar[j], xi = ai[j];
            VELTRIN_CMUL(r1[j], i1[j], xr, xi, t.w2r[j], t.w2i[j]);
            VELTRIN_CMUL(r2[j], i2[j], xr, xi, t.w1r[j], t.w1i[j]);
            VELTRIN_CMUL(r3[j], i3[j], xr, xi, t.w3r[j], t.w3i[j]);
        }
        for (j = valid; j < q; ++j) {
            r1[j] = i1[j] = 0.0f;
            r2[j] = i2[j] = 0.0f;
            r3[j] = i3[j] = 0.0f;
        }
    }
}

// 4 x 4 transpose: rows a, b, c, d become columns.
[[gnu::always_inline]] inline void transpose4(v4& a, v4& b, v4& c, v4& d)
{
    const v4 t0 = VELTRIN_SHUFFLE2(a, b, 0, 4, 1, 5);
    const v4 t1 = VELTRIN_SHUFFLE2(a, b, 2, 6, 3, 7);
    const v4 t2 = VELTRIN_SHUFFLE2(c, d, 0, 4, 1, 5);
    const v4 t3 = VELTRIN_SHUFFLE2(c, d, 2, 6, 3, 7);
    a = VELTRIN_SHUFFLE2(t0, t2, 0, 1, 4, 5);
    b = VELTRIN_SHUFFLE2(t0, t2, 2, 3, 6, 7);
    c = VELTRIN_SHUFFLE2(t1, t3, 0, 1, 4, 5);
    d = VELTRIN_SHUFFLE2(t1, t3, 2, 3, 6, 7);
}

// The last two stages (groups of 4, twiddles 1 and -i) fused into one pass,
// four groups at a time after a transpose.
[[gnu::always_inline]] inline void difLastTwoStages(float* __restrict re, float* __restrict im, int n)
{
    int g = 0;
    for (; g + 16 <= n; g += 16) {
        v4 r0 = load4(re + g), r1 = load4(re + g + 4), r2 = load4(re + g + 8), r3 = load4(re + g + 12);
        v4 i0 = load4(im + g), i1 = load4(im + g + 4), i2 = load4(im + g + 8), i3 = load4(im + g + 12);
        transpose4(r0, r1, r2, r3);  // r0 = entry 0 of each of the four groups, ...
        transpose4(i0, i1, i2, i3);
        const v4 ar = r0 + r2, ai = i0 + i2;
        const v4 br = r0 - r2, bi = i0 - i2;
        const v4 cr = r1 + r3, ci = i1 + i3;
        const v4 dr = i1 - i3, di = r3 - r1;  // (x1 - x3) * (-i)
        v4 y0r = ar + cr, y0i = ai + ci;
        v4 y1r = ar - cr, y1i = ai - ci;
        v4 y2r = br + dr, y2i = bi + di;
        v4 y3r = br - dr, y3i = bi - di;
        transpose4(y0r, y1r, y2r, y3r);
        transpose4(y0i, y1i, y2i, y3i);
        store4(re + g, y0r);
        store4(re + g + 4, y1r);
        store4(re + g + 8, y2r);
        store4(re + g + 12, y3r);
        store4(im + g, y0i);
        store4(im + g + 4, y1i);
        store4(im + g + 8, y2i);
        store4(im + g + 12, y3i);
    }
    for (; g < n; g += 4) {
        const float x0r = re[g], x0i = im[g], x1r = re[g + 1], x1i = im[g + 1];
        const float x2r = re[g + 2], x2i = im[g + 2], x3r = re[g + 3], x3i = im[g + 3];
        const float ar = x0r + x2r, ai = x0i + x2i;
        const float br = x0r - x2r, bi = x0i - x2i;
        const float cr = x1r + x3r, ci = x1i + x3i;
        // (x1 - x3) * (-i)
        const float dr = x1i - x3i, di = x3r - x1r;
        re[g] = ar + cr;
        im[g] = ai + ci;
        re[g + 1] = ar - cr;
        im[g + 1] = ai - ci;
        re[g + 2] = br + dr;
        im[g + 2] = bi + di;
        re[g + 3] = br - dr;
        im[g + 3] = bi - di;
    }
}

// DIF transform leaving the bins in bit-reversed order. Only the first
// `valid` entries are read as input; the rest count as zero. Stages whose
// upper halves are all zero reduce to one complex product per entry.
// Wider vectors where the processor has them; chosen once at load time.
VELTRIN_CPU_CLONES
void difBitReversed(float* re, float* im, int n, int valid)
{
    const TwiddleTables& tw = twiddles();
    // Round the valid length up to a power of two so that every stage either
    // sees only zeros in its upper halves or a fully valid group.
    int padded = 1;
    while (padded < valid)
        padded *= 2;
    for (int j = valid; j < padded; ++j) {
        re[j] = 0.0f;
        im[j] = 0.0f;
    }
    valid = padded;
    // Stages whose upper parts are still all zero: a product per entry.
    int group = n;
    while (group >= 8 && valid <= group / 2) {
        if (group >= 16 && valid <= group / 4) {
            difRadix4StageZeroUpper(re, im, n, group / 4, valid, radix4Twiddles(tw, group));
            group /= 4;
        } else {
            difStageZeroUpper(re, im, n, group / 2, valid, tw.reFor(group), tw.imFor(group));
            group /= 2;
        }
    }
    if (valid < 4) {
        // Groups of four whose tail entries were never written.
        for (int g = 0; g < n; g += 4)
            for (int j = valid; j < 4; ++j) {
                re[g + j] = 0.0f;
                im[g + j] = 0.0f;
            }
    }
    // Full groups: radix-4 steps down to groups of 4 or 8.
    for (; group >= 32; group /= 4)
        difRadix4Stage(re, im, n, group / 4, radix4Twiddles(tw, group));
    if (group == 16) {
        difRadix4StageOf16(re, im, n, radix4Twiddles(tw, 16));
        group = 4;
    }
    if (group == 8)
        difStageOf8(re, im, n, tw.reFor(8), tw.imFor(8));
    difLastTwoStages(re, im, n);
}

// Band transform of a zero-padded input, in natural order: decimation in
// time on the bit-reversed input. With the input filling at most the first
// quarter, the bit-reversed input fills every fourth place, and the two
// stages over groups of 4 only copy each value into its group; so the
// radix-4 stage over groups of 16 takes its inputs straight from the pairs
// of samples, and no transpose or output permutation is needed.

// Two radix-2 DIT stages at once over groups of size 4q (q a multiple of 8):
// the inputs are turned by W^2j, W^j and W^3j and then combined.
[[gnu::always_inline]] inline void ditRadix4Stage(float* __restrict re, float* __restrict im, int n, int q,
                                                  const Radix4Twiddles& t)
{
    for (int g = 0; g < n; g += 4 * q) {
        float* r0 = re + g;
        float* i0 = im + g;
        float* r1 = r0 + q;
        float* i1 = i0 + q;
        float* r2 = r1 + q;
        float* i2 = i1 + q;
        float* r3 = r2 + q;
        float* i3 = i2 + q;
        for (int j = 0; j < q; j += 8) {
            const v8 a0r = load8(r0 + j), a0i = load8(i0 + j);
            v8 u1r, u1i, u2r, u2i, u3r, u3i;
            VELTRIN_CMUL(u1r, u1i, load8(r1 + j), load8(i1 + j), load8(t.w2r + j), load8(t.w2i + j));
            VELTRIN_CMUL(u2r, u2i, load8(r2 + j), load8(i2 + j), load8(t.w1r + j), load8(t.w1i + j));
            VELTRIN_CMUL(u3r, u3i, load8(r3 + j), load8(i3 + j), load8(t.w3r + j), load8(t.w3i + j));
            const v8 s0r = a0r + u1r, s0i = a0i + u1i;
            const v8 d0r = a0r - u1r, d0i = a0i - u1i;
            const v8 s1r = u2r + u3r, s1i = u2i + u3i;
            const v8 d1r = u2i - u3i, d1i = u3r - u2r;  // (u2 - u3) * (-i)
            store8(r0 + j, s0r + s1r);
            store8(i0 + j, s0i + s1i);
            store8(r1 + j, d0r + d1r);
            store8(i1 + j, d0i + d1i);
            store8(r2 + j, s0r - s1r);
            store8(i2 + j, s0i - s1i);
            store8(r3 + j, d0r - d1r);
            store8(i3 + j, d0i - d1i);
        }
    }
}

// One radix-2 DIT stage over groups of size 2h (h a multiple of 8).
[[gnu::always_inline]] inline void ditStage(float* __restrict re, float* __restrict im, int n, int h,
                                            const float* __restrict wr, const float* __restrict wi)
{
    for (int g = 0; g < n; g += 2 * h) {
        float* ar = re + g;
        float* ai = im + g;
        float* br = re + g + h;
        float* bi = im + g + h;
        for (int j = 0; j < h; j += 8) {
            const v8 xr = load8(ar + j), xi = load8(ai + j);
            v8 tr, ti;
            VELTRIN_CMUL(tr, ti, load8(br + j), load8(bi + j), load8(wr + j), load8(wi + j));
            store8(ar + j, xr + tr);
            store8(ai + j, xi + ti);
            store8(br + j, xr - tr);
            store8(bi + j, xi - ti);
        }
    }
}

// The opening: group g of 16 holds the copies of z at the bit-reversed
// places 4g..4g+3 of the first quarter, z[i] = x[2i] + i x[2i+1] (zero past
// count). All inputs present (count = m/2) needs no bounds checks.
template <bool AllPresent>
[[gnu::always_inline]] inline void ditOpening(const float* x, int count, int m, float* __restrict re,
                                              float* __restrict im, const Radix4Twiddles& t)
{
    const int bits = log2Of(m / 4);
    const v4 w1r = load4(t.w1r), w1i = load4(t.w1i);
    const v4 w2r = load4(t.w2r), w2i = load4(t.w2i);
    const v4 w3r = load4(t.w3r), w3i = load4(t.w3i);
    for (int g = 0; g < m / 16; ++g) {
        float vr[4], vi[4];
        for (int c = 0; c < 4; ++c) {
            const int i = static_cast<int>(bitReverse(static_cast<unsigned>(4 * g + c), bits));
            if (AllPresent) {
                vr[c] = x[2 * i];
                vi[c] = x[2 * i + 1];
            } else {
                vr[c] = 2 * i < count ? x[2 * i] : 0.0f;
                vi[c] = 2 * i + 1 < count ? x[2 * i + 1] : 0.0f;
            }
        }
        const v4 a0r = {vr[0], vr[0], vr[0], vr[0]}, a0i = {vi[0], vi[0], vi[0], vi[0]};
        const v4 a1r = {vr[1], vr[1], vr[1], vr[1]}, a1i = {vi[1], vi[1], vi[1], vi[1]};
        const v4 a2r = {vr[2], vr[2], vr[2], vr[2]}, a2i = {vi[2], vi[2], vi[2], vi[2]};
        const v4 a3r = {vr[3], vr[3], vr[3], vr[3]}, a3i = {vi[3], vi[3], vi[3], vi[3]};
        v4 u1r, u1i, u2r, u2i, u3r, u3i;
        VELTRIN_CMUL(u1r, u1i, a1r, a1i, w2r, w2i);
        VELTRIN_CMUL(u2r, u2i, a2r, a2i, w1r, w1i);
        VELTRIN_CMUL(u3r, u3i, a3r, a3i, w3r, w3i);
        const v4 s0r = a0r + u1r, s0i = a0i + u1i;
        const v4 d0r = a0r - u1r, d0i = a0i - u1i;
        const v4 s1r = u2r + u3r, s1i = u2i + u3i;
        const v4 d1r = u2i - u3i, d1i = u3r - u2r;
        float* r = re + 16 * g;
        float* im0 = im + 16 * g;
        store4(r, s0r + s1r);
        store4(im0, s0i + s1i);
        store4(r + 4, d0r + d1r);
        store4(im0 + 4, d0i + d1i);
        store4(r + 8, s0r - s1r);
        store4(im0 + 8, s0i - s1i);
        store4(r + 12, d0r - d1r);
        store4(im0 + 12, d0i - d1i);
    }
}

// Z = the m-point transform of z (count <= m/2, m >= 64), in natural order.
VELTRIN_CPU_CLONES
void ditPaddedPairs(const float* x, int count, int m, float* re, float* im)
{
    const TwiddleTables& tw = twiddles();
    if (count == m / 2)
        ditOpening<true>(x, count, m, re, im, radix4Twiddles(tw, 16));
    else
        ditOpening<false>(x, count, m, re, im, radix4Twiddles(tw, 16));
    int group = 16;
    if (log2Of(m / 16) & 1) {
        ditStage(re, im, m, 16, tw.reFor(32), tw.imFor(32));
        group = 32;
    }
    for (; group < m; group *= 4)
        ditRadix4Stage(re, im, m, group, radix4Twiddles(tw, 4 * group));
}

void bitReversePermute(float* re, float* im, int n)
{
    const int bits = log2Of(n);
    for (int k = 0; k < n; ++k) {
        const int r = static_cast<int>(bitReverse(static_cast<unsigned>(k), bits));
        if (r > k) {
            std::swap(re[k], re[r]);
            std::swap(im[k], im[r]);
        }
    }
}

}  // namespace

bool IsFftSize(int n) { return n >= kFftMinSize && n <= kFftMaxSize && (n & (n - 1)) == 0; }

void Fft(float* re, float* im, int n)
{
    if (!IsFftSize(n))
        return;
    difBitReversed(re, im, n, n);
    bitReversePermute(re, im, n);
}

void FftPlainDif(float* re, float* im, int n)
{
    if (!IsFftSize(n))
        return;
    // cos(pi/2^k) and -sin(pi/2^k), k = 0..13.
    static const struct Rotations {
        float c[kLog2Max];
        float s[kLog2Max];
        Rotations()
        {
            for (int k = 0; k < kLog2Max; ++k) {
                c[k] = static_cast<float>(std::cos(M_PI / (1 << k)));
                s[k] = static_cast<float>(-std::sin(M_PI / (1 << k)));
            }
        }
    } rot;
    int k = log2Of(n) - 1;  // half size h = 2^k uses the rotation by pi/h
    for (int h = n / 2; h >= 1; h /= 2, --k) {
        float wr = 1.0f, wi = 0.0f;
        for (int j = 0; j < h; ++j) {
            for (int a = j; a < n; a += 2 * h) {
                const int b = a + h;
                const float xr = re[a], xi = im[a];
                const float yr = re[b], yi = im[b];
                re[a] = xr + yr;
                im[a] = xi + yi;
                const float dr = xr - yr, di = xi - yi;
                re[b] = dr * wr - di * wi;
                im[b] = dr * wi + di * wr;
            }
            const float t = wr * rot.c[k] - wi * rot.s[k];
            wi = wr * rot.s[k] + wi * rot.c[k];
            wr = t;
        }
    }
    bitReversePermute(re, im, n);
}

void RealFftBins(const float* x, int count, int n, int kLo, int kHi, float* re, float* im, float* workRe,
                 float* workIm)
{
    if (!IsFftSize(n) || n < 8 || count < 0 || count > n || kLo < 0 || kHi < kLo || kHi > n / 2)
        return;
    const int m = n / 2;
    // X[k] = E + W^k O with the even part E = (Z[k] + conj Z[m-k]) / 2 and
    // the odd part O = (Z[k] - conj Z[m-k]) / (2i), Z the transform of
    // z[j] = x[2j] + i x[2j+1]: a real transform of n points from a complex
    // one of n/2.
    const float* wr = twiddles().reFor(n);
    const float* wi = twiddles().imFor(n);
    auto combine = [](float zr, float zi, float cr, float ci, float tr, float ti, float& outRe, float& outIm) {
        const float er = 0.5f * (zr + cr), ei = 0.5f * (zi + ci);
        const float orr = 0.5f * (zi - ci), oi = -0.5f * (zr - cr);
        outRe = er + orr * tr - oi * ti;
        outIm = ei + orr * ti + oi * tr;
    };
    const v4 half = {0.5f, 0.5f, 0.5f, 0.5f};
    const int below = std::min(kHi, m - 1);  // W^k from the table; k = m apart

    if (m >= 64 && count > 0 && count <= m / 2) {
        // Padded at least four times: Z in natural order, Z[m-k] read backwards.
        ditPaddedPairs(x, count, m, workRe, workIm);
        int k = kLo;
        if (k == 0 && k <= below) {
            combine(workRe[0], workIm[0], workRe[0], -workIm[0], wr[0], wi[0], re[0], im[0]);
            k = 1;
        }
        for (; k + 4 <= below + 1; k += 4) {
            const v4 vzr = load4(workRe + k), vzi = load4(workIm + k);
            const v4 vcr = VELTRIN_SHUFFLE1(load4(workRe + m - k - 3), 3, 2, 1, 0);
            const v4 vci = -VELTRIN_SHUFFLE1(load4(workIm + m - k - 3), 3, 2, 1, 0);
            const v4 vtr = load4(wr + k), vti = load4(wi + k);
            const v4 er = half * (vzr + vcr), ei = half * (vzi + vci);
            const v4 orr = half * (vzi - vci), oi = -half * (vzr - vcr);
            store4(re + k, er + orr * vtr - oi * vti);
            store4(im + k, ei + orr * vti + oi * vtr);
        }
        for (; k <= below; ++k)
            combine(workRe[k], workIm[k], workRe[m - k], -workIm[m - k], wr[k], wi[k], re[k], im[k]);
        if (kHi == m)
            combine(workRe[0], workIm[0], workRe[0], -workIm[0], -1.0f, 0.0f, re[m], im[m]);
        return;
    }

    const int pairs = count / 2;
    int j = 0;
    for (; j + 4 <= pairs; j += 4) {
        const v4 a = load4(x + 2 * j), b = load4(x + 2 * j + 4);
        store4(workRe + j, VELTRIN_SHUFFLE2(a, b, 0, 2, 4, 6));
        store4(workIm + j, VELTRIN_SHUFFLE2(a, b, 1, 3, 5, 7));
    }
    for (; j < pairs; ++j) {
        workRe[j] = x[2 * j];
        workIm[j] = x[2 * j + 1];
    }
    int valid = pairs;
    if (count & 1) {
        workRe[pairs] = x[count - 1];
        workIm[pairs] = 0.0f;
        ++valid;
    }
    if (valid == 0) {
        for (int k = kLo; k <= kHi; ++k)
            re[k] = im[k] = 0.0f;
        return;
    }
    difBitReversed(workRe, workIm, m, valid);

    // Z[k] and conj(Z[m - k]) are gathered from their bit-reversed places in
    // chunks; the combination then runs four bins at a time.
    const int bits = log2Of(m);
    constexpr int kChunk = 256;
    alignas(16) float zr[kChunk], zi[kChunk], cr[kChunk], ci[kChunk];
    for (int k0 = kLo; k0 <= below; k0 += kChunk) {
        const int count = std::min(kChunk, below - k0 + 1);
        for (int i = 0; i < count; ++i) {
            const unsigned k = static_cast<unsigned>(k0 + i);
            const unsigned a = bitReverse(k, bits);
            const unsigned b = bitReverse((static_cast<unsigned>(m) - k) & static_cast<unsigned>(m - 1), bits);
            zr[i] = workRe[a];
            zi[i] = workIm[a];
            cr[i] = workRe[b];
            ci[i] = -workIm[b];
        }
        float* outRe = re + k0;
        float* outIm = im + k0;
        const float* tr = wr + k0;
        const float* ti = wi + k0;
        int i = 0;
        for (; i + 4 <= count; i += 4) {
            const v4 vzr = load4(zr + i), vzi = load4(zi + i), vcr = load4(cr + i), vci = load4(ci + i);
            const v4 vtr = load4(tr + i), vti = load4(ti + i);
            const v4 er = half * (vzr + vcr), ei = half * (vzi + vci);
            const v4 orr = half * (vzi - vci), oi = -half * (vzr - vcr);
            store4(outRe + i, er + orr * vtr - oi * vti);
            store4(outIm + i, ei + orr * vti + oi * vtr);
        }
        for (; i < count; ++i)
            combine(zr[i], zi[i], cr[i], ci[i], tr[i], ti[i], outRe[i], outIm[i]);
    }
    if (kHi == m)  // W^(n/2) = -1; Z[m] is Z[0]
        combine(workRe[0], workIm[0], workRe[0], -workIm[0], -1.0f, 0.0f, re[m], im[m]);
}

}  // namespace veltrin
