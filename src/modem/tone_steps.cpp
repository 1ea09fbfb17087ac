#include "modem/tone_steps.h"

#include <cmath>

namespace veltrin {

ToneEstimate EstimateTone(const float* mag, int binLo, int binHi, int binsPerPosition)
{
    ToneEstimate est;
    if (binHi < binLo)
        return est;
    double peak = mag[binLo];
    int at = binLo;
    for (int k = binLo + 1; k <= binHi; ++k)
        if (mag[k] > peak) {
            peak = mag[k];
            at = k;
        }
    double rival = -1.0;
    for (int k = binLo; k <= at - binsPerPosition; ++k)
        if (mag[k] > rival)
            rival = mag[k];
    for (int k = at + binsPerPosition; k <= binHi; ++k)
        if (mag[k] > rival)
            rival = mag[k];
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
        c = static_cast<int>(std::floor(s - 1.5));
    return (c ^ (c >> 1)) & 0x0F;
}

int QualityOfStep(double s)
{
    if (!(s > 1.5 && s < 17.5))  // also catches NaN
        return 0;
    const double e = s - std::floor(s + 0.5);
    if (std::fabs(e) >= 0.5)
        return 0;
    return static_cast<int>(std::floor(200.0 * (0.5 - std::fabs(e)) + 0.5));
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
