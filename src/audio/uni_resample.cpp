#include "audio/uni_resample.h"

#include <cmath>

namespace veltrin {

int TUniResample::Setup(double inRate, double outRate, Callback callback)
{
    inRate_ = inRate;
    outRate_ = outRate;
    inPeriod_ = static_cast<std::int32_t>(std::floor(kTicksPerSecond / inRate + 0.5));
    outPeriod_ = static_cast<std::int32_t>(std::floor(kTicksPerSecond / outRate + 0.5));
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
