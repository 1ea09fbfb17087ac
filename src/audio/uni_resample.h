#pragma once
// TUniResample: linear-interpolation resampler on a grid of 1/84672000 s
// ticks, so the timing never drifts however long it runs.
#include <cstdint>
#include <functional>

namespace veltrin {

class TUniResample {
public:
    static constexpr std::int64_t kTicksPerSecond = 84672000;
    using Callback = std::function<void(double)>;

    int Setup(double inRate, double outRate, Callback callback);
    // -1 without callback, 1 when an output fell exactly on this input, else 0.
    int PutSample(double x);

    std::int32_t inPeriod() const { return inPeriod_; }
    std::int32_t outPeriod() const { return outPeriod_; }

private:
    double inRate_ = 8000.0;
    double outRate_ = 44100.0;
    std::int32_t inPeriod_ = 0;
    std::int32_t outPeriod_ = 0;
    double previous_ = 0.0;
    std::int32_t elapsed_ = 0;
    Callback callback_;
};

}  // namespace veltrin
