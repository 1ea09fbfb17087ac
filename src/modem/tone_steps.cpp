#include "modem/tone_steps.h"

#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace veltrin {

namespace {

typedef float v4 __attribute__((vector_size(16)));

inline v4 load4(const float* p)
{
    v4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The largest of `start` and mag[lo..hi], as a scan that replaces its value
// only by a strictly larger one: NaN entries are passed over. Four lanes side
// by side give the same value, since the maximum does not depend on the order.
float largestFrom(const float* mag, int lo, int hi, float start)
{
    // Four running maxima, so that the comparisons do not wait on each other.
    v4 m0 = {start, start, start, start};
    v4 m1 = m0, m2 = m0, m3 = m0;
    int k = lo;
    for (; k + 16 <= hi + 1; k += 16) {
        const v4 x0 = load4(mag + k), x1 = load4(mag + k + 4);
        const v4 x2 = load4(mag + k + 8), x3 = load4(mag + k + 12);
        m0 = x0 > m0 ? x0 : m0;
        m1 = x1 > m1 ? x1 : m1;
        m2 = x2 > m2 ? x2 : m2;
        m3 = x3 > m3 ? x3 : m3;
    }
    for (; k + 4 <= hi + 1; k += 4) {
        const v4 x = load4(mag + k);
        m0 = x > m0 ? x : m0;
    }
    m0 = m1 > m0 ? m1 : m0;
    m2 = m3 > m2 ? m3 : m2;
    m0 = m2 > m0 ? m2 : m0;
    float r = start;
    for (int lane = 0; lane < 4; ++lane)
        if (m0[lane] > r)
            r = m0[lane];
    for (; k <= hi; ++k)
        if (mag[k] > r)
            r = mag[k];
    return r;
}

}  // namespace

void BandMagnitudes(const float* re, const float* im, int kLo, int kHi, float scale, float* mag)
{
    int k = kLo;
#if defined(__SSE2__)
    const v4 s = {scale, scale, scale, scale};
    const v4 floor = {1e-12f, 1e-12f, 1e-12f, 1e-12f};
    for (; k + 4 <= kHi + 1; k += 4) {
        const v4 r = load4(re + k) * s;
        const v4 i = load4(im + k) * s;
        const v4 p = r * r + i * i;
        const v4 root = _mm_sqrt_ps(p);  // correctly rounded, as std::sqrt
        const v4 m = p > floor ? root : v4{};
        std::memcpy(mag + k, &m, sizeof m);
    }
#endif
    for (; k <= kHi; ++k) {
        const float r = re[k] * scale;
        const float i = im[k] * scale;
        const float p = r * r + i * i;
        mag[k] = p > 1e-12f ? std::sqrt(p) : 0.0f;
    }
}

ToneEstimate EstimateTone(const float* mag, int binLo, int binHi, int binsPerPosition)
{
    ToneEstimate est;
    if (binHi < binLo)
        return est;
    // The first bin holding the largest value: the bin a rising scan would keep.
    const float top = largestFrom(mag, binLo + 1, binHi, mag[binLo]);
    int at = binLo;
    if (top > mag[binLo])
        for (int k = binLo + 1; k <= binHi; ++k)
            if (mag[k] == top) {
                at = k;
                break;
            }
    const double peak = mag[at];
    float rival = -1.0f;
    if (at - binsPerPosition >= binLo)
        rival = largestFrom(mag, binLo, at - binsPerPosition, rival);
    if (at + binsPerPosition <= binHi)
        rival = largestFrom(mag, at + binsPerPosition, binHi, rival);
    est.quality = peak - rival;

    if (peak <= 1e-7) {
        est.position = at;
        return est;
    }
    const double lo = mag[at - 1];
    const double hi = mag[at + 1];
    if (lo > peak)
        est.position = at - 0.5;
    else if (hi > peak)
        est.position = at + 0.5;
    else if (lo > hi)
        est.position = at - 1 + (peak - hi) / ((peak - hi) + (lo - hi));
    else if (hi > lo)
        est.position = at + 1 - (peak - lo) / ((peak - lo) + (hi - lo));
    else
        est.position = at;
    return est;
}

double NormaliseStep(double binDifference, int binsPerPosition, bool inverse)
{
    double s = binDifference / binsPerPosition;
    if (inverse)
        s = -s;
    if (s < 0)
        s += kTonePositions;
    return s;
}

int NibbleOfStep(double s)
{
    int c;
    if (s > 17.5)
        c = 15;
    else if (!(s >= 1.5))  // also catches NaN
        c = 0;
    else
        c = static_cast<int>(s - 1.5);  // not negative here: truncation is the floor
    return (c ^ (c >> 1)) & 0x0F;
}

int QualityOfStep(double s)
{
    if (!(s > 1.5 && s < 17.5))  // also catches NaN
        return 0;
    // Both arguments are positive here, so truncation is the floor (and
    // needs no library call).
    const double e = s - static_cast<double>(static_cast<int>(s + 0.5));
    if (std::fabs(e) >= 0.5)
        return 0;
    return static_cast<int>(200.0 * (0.5 - std::fabs(e)) + 0.5);
}

int UpdateCarrier(int flags[4], int ok, int signalPresent)
{
    flags[0] = flags[1];
    flags[1] = flags[2];
    flags[2] = flags[3];
    flags[3] = ok ? 1 : 0;
    const int sum = flags[0] + flags[1] + flags[2] + flags[3];
    if (sum >= 3 && flags[1] && flags[2])
        return 1;
    if (sum < 3)
        return 0;
    return signalPresent;
}

}  // namespace veltrin
