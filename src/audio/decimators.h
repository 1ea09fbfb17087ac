#pragma once
// The two 2:1 decimator stages (57-tap first stage for 48 kHz input, 45-tap
// second stage for 24 kHz input). Each evaluates its FIR only on every second
// input; the caller takes one output of every two.
#include <cstdint>

namespace veltrin {

extern const double* const kDecimator57Taps;  // 57 entries
extern const double* const kDecimator45Taps;  // 45 entries

class Decimator2 {
public:
    static constexpr int kTaps = 45;
    double Filter(double x);
    void Reset();

private:
    std::int32_t position_ = 0;
    double history_[2 * kTaps] = {};
    std::int32_t counter_ = 0;
    double output_ = 0.0;
};

class Decimator2Ex {
public:
    Decimator2Ex() = default;
    ~Decimator2Ex();
    Decimator2Ex(const Decimator2Ex&) = delete;
    Decimator2Ex& operator=(const Decimator2Ex&) = delete;

    void Setup(int taps, const double* coefficients);
    void Reset();
    double Filter(double x);
    bool ready() const { return ready_ != 0; }

private:
    std::int32_t position_ = 0;
    double* history_ = nullptr;   // 2 x taps: every input twice
    double* reversed_ = nullptr;  // the coefficients, oldest input first
    std::int32_t counter_ = 0;
    std::int32_t taps_ = 0;
    std::int32_t ready_ = 0;
    const double* coefficients_ = nullptr;
    double output_ = 0.0;
};

// Decimates 4:1 through both stages: 4*count inputs give count outputs,
// rounded to 16-bit (clamped to the 16-bit range).
void decimateBlock(Decimator2Ex& first, Decimator2& second, const std::int16_t* in, int count,
                   std::int16_t* out);
// floor(y + 0.5) limited to the 16-bit range.
std::int16_t roundToSample(double y);

}  // namespace veltrin
