#pragma once
// The two 2:1 decimator stages (57-tap first stage for 48 kHz input, 45-tap
// second stage for 24 kHz input). Each evaluates its FIR only on every second
// input; the caller takes one output of every two.
#include <cmath>
#include <cstdint>

namespace veltrin {

extern const double* const kDecimator57Taps;  // 57 entries
extern const double* const kDecimator45Taps;  // 45 entries

// Both stages keep their inputs in a sliding buffer: the newest `taps`
// inputs are always one contiguous run ending at `end`, and once the buffer
// is full they move back to its front. The block forms evaluate several FIR
// windows side by side; each window is summed exactly as a single call sums
// it, so both forms give the same values.
constexpr int kFirBlock = 256;  // inputs taken between two moves to the front

class Decimator2 {
public:
    static constexpr int kTaps = 45;
    double Filter(double x);
    // Writes to returned[i] what Filter(x[i]) would return, for i < n, in order.
    void FilterBlock(const double* x, int n, double* returned);
    void Reset();

private:
    static constexpr int kCapacity = kTaps + kFirBlock;
    std::int32_t end_ = kTaps;
    double history_[kCapacity] = {};
    std::int32_t phase_ = 0;  // 1 when the next input gets a new output
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
    // As Decimator2::FilterBlock; zeros without Setup.
    void FilterBlock(const double* x, int n, double* returned);
    bool ready() const { return ready_ != 0; }

private:
    std::int32_t end_ = 0;
    double* history_ = nullptr;   // taps + kFirBlock inputs, oldest first
    double* reversed_ = nullptr;  // the coefficients, oldest input first
    std::int32_t phase_ = 0;
    std::int32_t taps_ = 0;
    std::int32_t ready_ = 0;
    const double* coefficients_ = nullptr;
    double output_ = 0.0;
};

// Decimates 4:1 through both stages: 4*count inputs give count outputs,
// rounded to 16-bit (clamped to the 16-bit range).
void decimateBlock(Decimator2Ex& first, Decimator2& second, const std::int16_t* in, int count,
                   std::int16_t* out);
// floor(y + 0.5) limited to the 16-bit range. Inline: once per output sample.
inline std::int16_t roundToSample(double y)
{
    const double v = y + 0.5;
    double r;
    if (v > -1e9 && v < 1e9) {
        // The floor without a library call: truncate, then step down below zero.
        r = static_cast<double>(static_cast<std::int64_t>(v));
        if (r > v)
            r -= 1.0;
    } else {
        r = std::floor(v);
    }
    if (r > 32767.0)
        r = 32767.0;
    if (r < -32768.0)
        r = -32768.0;
    return static_cast<std::int16_t>(r);
}

}  // namespace veltrin
