#include "audio/uni_resample.h"

#include <cmath>

namespace veltrin {

namespace {
// Ticks of one sample; 0 for a rate with no usable period (zero, negative,
// not a number, or so low that the period leaves the 32-bit range), which
// makes PutSample produce nothing instead of converting garbage.
std::int32_t periodOf(double rate)
{
    const double period = std::floor(TUniResample::kTicksPerSecond / rate + 0.5);
    if (!std::isfinite(period) || period < 1.0 || period > 2147483647.0)
        return 0;
    return static_cast<std::int32_t>(period);
}
}  // namespace

int TUniResample::Setup(double inRate, double outRate, Callback callback)
{
    inRate_ = inRate;
    outRate_ = outRate;
    inPeriod_ = periodOf(inRate);
    outPeriod_ = periodOf(outRate);
    previous_ = 0.0;
    elapsed_ = 0;
    callback_ = std::move(callback);
    return 0;
}

int TUniResample::PutSample(double x)
{
    if (!callback_)
        return -1;
    // A period of zero or less would never advance the grid.
    if (inPeriod_ <= 0 || outPeriod_ <= 0)
        return 0;
    if (elapsed_ + inPeriod_ < outPeriod_) {
        previous_ = x;
        elapsed_ += inPeriod_;
        return 0;
    }
    const double d = x - previous_;
    const double p = previous_;
    previous_ = x;
    std::int32_t k = 0;
    std::int32_t e = elapsed_;
    for (;;) {
        k = k + outPeriod_ - e;
        if (k == inPeriod_) {
            elapsed_ = 0;
            callback_(x);
            return 1;
        }
        if (k > inPeriod_) {
            elapsed_ = outPeriod_ - (k - inPeriod_);
            return 0;
        }
        callback_(p + (k * d) / inPeriod_);
        e = 0;
    }
}

}  // namespace veltrin
