#pragma once
// A small seeded generator for test signals: the same seed gives the same
// noise and fault choices on every platform (the standard distributions do
// not promise that).
#include <cmath>
#include <cstdint>

namespace veltrin {

class SignalRng {
public:
    explicit SignalRng(std::uint64_t seed) : state_(seed) {}

    // SplitMix64.
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in (0, 1).
    double uniform() { return (static_cast<double>(next() >> 11) + 0.5) * (1.0 / 9007199254740992.0); }
    // 0..n-1 for n > 0.
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    // Standard normal (Box-Muller, both values used).
    double gaussian()
    {
        if (hasSpare_) {
            hasSpare_ = false;
            return spare_;
        }
        const double r = std::sqrt(-2.0 * std::log(uniform()));
        const double a = 6.283185307179586 * uniform();
        spare_ = r * std::sin(a);
        hasSpare_ = true;
        return r * std::cos(a);
    }

private:
    std::uint64_t state_;
    double spare_ = 0.0;
    bool hasSpare_ = false;
};

}  // namespace veltrin
