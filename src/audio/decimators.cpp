#include "audio/decimators.h"

#include <cmath>
#include <new>

namespace veltrin {

namespace {
// Both filters are linear-phase: only the first half and the middle are
// written out, the rest mirrors them.
template <int N>
struct Symmetric {
    double taps[N];
    constexpr Symmetric(const double (&half)[(N + 1) / 2]) : taps{}
    {
        for (int i = 0; i < (N + 1) / 2; ++i) {
            taps[i] = half[i];
            taps[N - 1 - i] = half[i];
        }
    }
};

constexpr double kHalf57[29] = {
    4.14111977596636e-06,  -2.61870832682322e-06, -4.24222359314902e-05, -8.96828686036154e-05,
    -4.11452592259031e-05, 0.000189324344988463,  0.000472917615282092,  0.000407346200006554,
    -0.000343358462186381, -0.00145244078501914,  -0.00175231948384596,  -0.000104080584477712,
    0.00305031613440758,   0.00502685387211064,   0.00262120245414924,   -0.00436623270550587,
    -0.0109702745154879,   -0.00962678281989074,  0.00285138296480884,   0.0193557082436848,
    0.0245788862404479,    0.00674953939476384,   -0.0285293487976056,   -0.054812732102064,
    -0.0386723328103142,   0.0357804850452618,    0.149378116118247,     0.252940338260812,
    0.294779738723872};

constexpr double kHalf45[23] = {
    0.00041063658, 0.00040020444, -0.0014690721, -0.0046244896, -0.0048873265, 0.00057075169,
    0.0064849067,  0.0034999371,  -0.0072838126, -0.010484073,  0.0032609865,  0.017545124,
    0.0073308048,  -0.02042501,   -0.024496589,  0.013398095,   0.045762697,   0.010940839,
    -0.066633815,  -0.069373038,  0.081944411,   0.30510648,    0.41246774};

constexpr Symmetric<57> kTable57(kHalf57);
constexpr Symmetric<45> kTable45(kHalf45);

// Shared FIR step: store x, evaluate on every second input. The history
// holds every input twice (at p and p + taps), so the newest taps inputs are
// always one contiguous run, and the coefficients are kept reversed to match
// it. Four partial sums let the compiler pipeline the multiply-adds; the sum
// differs from a strictly sequential one only in the last bits, far below the
// rounding to 16-bit samples.
inline double firStep(double x, double* history2, int taps, const double* reversed,
                      std::int32_t& position, std::int32_t& counter, double& output)
{
    const int p = position;
    position = p + 1 == taps ? 0 : p + 1;
    history2[p] = x;
    history2[p + taps] = x;
    if (counter & 1) {
        const double* w = history2 + p + 1;  // oldest .. newest
        double a0 = 0.0, a1 = 0.0, a2 = 0.0, a3 = 0.0;
        int i = 0;
        for (; i + 4 <= taps; i += 4) {
            a0 += w[i] * reversed[i];
            a1 += w[i + 1] * reversed[i + 1];
            a2 += w[i + 2] * reversed[i + 2];
            a3 += w[i + 3] * reversed[i + 3];
        }
        for (; i < taps; ++i)
            a0 += w[i] * reversed[i];
        output = (a0 + a1) + (a2 + a3);
    }
    ++counter;
    return output;
}

template <int N>
struct Reversed {
    double taps[N];
    constexpr Reversed(const double* t) : taps{}
    {
        for (int i = 0; i < N; ++i)
            taps[i] = t[N - 1 - i];
    }
};
constexpr Reversed<45> kReversed45(kTable45.taps);
}  // namespace

const double* const kDecimator57Taps = kTable57.taps;
const double* const kDecimator45Taps = kTable45.taps;

double Decimator2::Filter(double x)
{
    return firStep(x, history_, kTaps, kReversed45.taps, position_, counter_, output_);
}

void Decimator2::Reset()
{
    position_ = 0;
    counter_ = 0;
    output_ = 0.0;
    for (double& h : history_)
        h = 0.0;
}

Decimator2Ex::~Decimator2Ex()
{
    delete[] history_;
    delete[] reversed_;
}

void Decimator2Ex::Setup(int taps, const double* coefficients)
{
    delete[] history_;
    delete[] reversed_;
    history_ = nullptr;
    reversed_ = nullptr;
    ready_ = 0;
    if (taps > 0 && coefficients) {
        history_ = new (std::nothrow) double[2 * taps];
        reversed_ = new (std::nothrow) double[taps];
    }
    ready_ = history_ && reversed_ ? 1 : 0;
    if (reversed_)
        for (int i = 0; i < taps; ++i)
            reversed_[i] = coefficients[taps - 1 - i];
    taps_ = taps;
    coefficients_ = coefficients;
    Reset();
}

void Decimator2Ex::Reset()
{
    if (!ready_)
        return;
    position_ = 0;
    counter_ = 0;
    output_ = 0.0;
    for (int i = 0; i < 2 * taps_; ++i)
        history_[i] = 0.0;
}

double Decimator2Ex::Filter(double x)
{
    // Without Setup there is nothing to filter with.
    if (!ready_)
        return 0.0;
    return firStep(x, history_, taps_, reversed_, position_, counter_, output_);
}

std::int16_t roundToSample(double y)
{
    double r = std::floor(y + 0.5);
    if (r > 32767.0)
        r = 32767.0;
    if (r < -32768.0)
        r = -32768.0;
    return static_cast<std::int16_t>(r);
}

void decimateBlock(Decimator2Ex& first, Decimator2& second, const std::int16_t* in, int count,
                   std::int16_t* out)
{
    for (int j = 0; j < count; ++j) {
        const std::int16_t* s = in + 4 * j;
        double a = first.Filter(s[0]);
        first.Filter(s[1]);
        double b = first.Filter(s[2]);
        first.Filter(s[3]);
        double y = second.Filter(a);
        second.Filter(b);
        out[j] = roundToSample(y);
    }
}

}  // namespace veltrin
