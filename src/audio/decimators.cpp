#include "audio/decimators.h"

#include <algorithm>
#include <cstring>
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

// One FIR output per window: window[i] is the input that meets reversed[i]
// (oldest first). Four partial sums let the compiler pipeline the
// multiply-adds; the sum differs from a strictly sequential one only in the
// last bits, far below the rounding to 16-bit samples. K windows are summed
// side by side so that their addition chains overlap; each is summed in the
// same order whatever K is.
//
// Two forms with the same sums: lanes (a0, a1) and (a2, a3) in 16-byte
// vectors for plain x86-64, and all four lanes in one 32-byte vector where
// the processor has AVX (used without FMA, so every lane is still a separate
// multiply and add).
#pragma GCC diagnostic ignored "-Wpsabi"  // internal vector helpers only
typedef double v2d __attribute__((vector_size(16)));
typedef double v4d __attribute__((vector_size(32)));

template <typename V>
[[gnu::always_inline]] inline V loadVector(const double* p)
{
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// K windows at first + k * stride, lanes in pairs.
template <int K>
[[gnu::always_inline]] inline void firWindowsPairs(const double* first, int stride, int taps, const double* reversed,
                                                   double* out)
{
    v2d a01[K], a23[K];
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k)
        a01[k] = a23[k] = v2d{0.0, 0.0};
    int i = 0;
    for (; i + 4 <= taps; i += 4) {
        const v2d r01 = loadVector<v2d>(reversed + i), r23 = loadVector<v2d>(reversed + i + 2);
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k) {
            a01[k] += loadVector<v2d>(first + k * stride + i) * r01;
            a23[k] += loadVector<v2d>(first + k * stride + i + 2) * r23;
        }
    }
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k) {
        const double* w = first + k * stride;
        double a0 = a01[k][0];
        for (int j = i; j < taps; ++j)
            a0 += w[j] * reversed[j];
        out[k] = (a0 + a01[k][1]) + (a23[k][0] + a23[k][1]);
    }
}

// The same with the four lanes in one vector.
template <int K>
[[gnu::always_inline]] inline void firWindowsWide(const double* first, int stride, int taps, const double* reversed,
                                                  double* out)
{
    v4d acc[K];
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k)
        acc[k] = v4d{0.0, 0.0, 0.0, 0.0};
    int i = 0;
    for (; i + 4 <= taps; i += 4) {
        const v4d r = loadVector<v4d>(reversed + i);
#pragma GCC unroll 8
        for (int k = 0; k < K; ++k)
            acc[k] += loadVector<v4d>(first + k * stride + i) * r;
    }
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k) {
        const double* w = first + k * stride;
        double a0 = acc[k][0];
        for (int j = i; j < taps; ++j)
            a0 += w[j] * reversed[j];
        out[k] = (a0 + acc[k][1]) + (acc[k][2] + acc[k][3]);
    }
}

void firManyWindowsPairs(const double* first, int stride, int count, int taps, const double* reversed, double* out)
{
    int k = 0;
    for (; k + 4 <= count; k += 4)
        firWindowsPairs<4>(first + k * stride, stride, taps, reversed, out + k);
    for (; k < count; ++k)
        firWindowsPairs<1>(first + k * stride, stride, taps, reversed, out + k);
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx"))) void firManyWindowsWide(const double* first, int stride, int count, int taps,
                                                       const double* reversed, double* out)
{
    int k = 0;
    for (; k + 4 <= count; k += 4)
        firWindowsWide<4>(first + k * stride, stride, taps, reversed, out + k);
    for (; k < count; ++k)
        firWindowsWide<1>(first + k * stride, stride, taps, reversed, out + k);
}

bool processorHasAvx()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    return has;
}
#endif

// `count` windows at first + k * stride.
void firManyWindows(const double* first, int stride, int count, int taps, const double* reversed, double* out)
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (processorHasAvx()) {
        firManyWindowsWide(first, stride, count, taps, reversed, out);
        return;
    }
#endif
    firManyWindowsPairs(first, stride, count, taps, reversed, out);
}

// The state of one stage, as references into its object.
struct FirState {
    double* history;
    int capacity;
    int taps;
    const double* reversed;
    std::int32_t& end;
    std::int32_t& phase;
    double& output;

    void makeRoom()
    {
        if (end < capacity)
            return;
        std::memmove(history, history + end - taps, sizeof(double) * static_cast<std::size_t>(taps));
        end = taps;
    }

    // Store x, evaluate on every second input.
    double step(double x)
    {
        makeRoom();
        history[end++] = x;
        if (phase)
            firWindowsPairs<1>(history + end - taps, 0, taps, reversed, &output);
        phase ^= 1;
        return output;
    }

    void block(const double* x, int n, double* returned)
    {
        while (n > 0) {
            makeRoom();
            const int count = std::min(n, capacity - end);
            std::memcpy(history + end, x, sizeof(double) * static_cast<std::size_t>(count));
            // Inputs i with an odd phase get an output over the window ending at them.
            double values[kFirBlock / 2 + 1];
            const int firstInput = phase ? 0 : 1;
            const int evaluations = (count - firstInput + 1) / 2;
            firManyWindows(history + end + firstInput + 1 - taps, 2, evaluations, taps, reversed, values);
            int next = 0;
            for (int i = 0; i < count; ++i) {
                if (phase)
                    output = values[next++];
                phase ^= 1;
                returned[i] = output;
            }
            end += count;
            x += count;
            returned += count;
            n -= count;
        }
    }
};

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
    return FirState{history_, kCapacity, kTaps, kReversed45.taps, end_, phase_, output_}.step(x);
}

void Decimator2::FilterBlock(const double* x, int n, double* returned)
{
    FirState{history_, kCapacity, kTaps, kReversed45.taps, end_, phase_, output_}.block(x, n, returned);
}

void Decimator2::Reset()
{
    end_ = kTaps;
    phase_ = 0;
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
        history_ = new (std::nothrow) double[taps + kFirBlock];
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
    end_ = taps_;
    phase_ = 0;
    output_ = 0.0;
    for (int i = 0; i < taps_ + kFirBlock; ++i)
        history_[i] = 0.0;
}

double Decimator2Ex::Filter(double x)
{
    // Without Setup there is nothing to filter with.
    if (!ready_)
        return 0.0;
    return FirState{history_, taps_ + kFirBlock, taps_, reversed_, end_, phase_, output_}.step(x);
}

void Decimator2Ex::FilterBlock(const double* x, int n, double* returned)
{
    if (!ready_) {
        for (int i = 0; i < n; ++i)
            returned[i] = 0.0;
        return;
    }
    FirState{history_, taps_ + kFirBlock, taps_, reversed_, end_, phase_, output_}.block(x, n, returned);
}

void decimateBlock(Decimator2Ex& first, Decimator2& second, const std::int16_t* in, int count,
                   std::int16_t* out)
{
    // Per output j: a = first(s0), first(s1), b = first(s2), first(s3);
    // y = second(a), second(b); out = y. Done a chunk at a time.
    constexpr int kChunk = 64;
    double x[4 * kChunk], firstOut[4 * kChunk], mid[2 * kChunk], secondOut[2 * kChunk];
    for (int j0 = 0; j0 < count; j0 += kChunk) {
        const int c = std::min(kChunk, count - j0);
        const std::int16_t* s = in + 4 * j0;
        for (int i = 0; i < 4 * c; ++i)
            x[i] = s[i];
        first.FilterBlock(x, 4 * c, firstOut);
        for (int j = 0; j < c; ++j) {
            mid[2 * j] = firstOut[4 * j];
            mid[2 * j + 1] = firstOut[4 * j + 2];
        }
        second.FilterBlock(mid, 2 * c, secondOut);
        for (int j = 0; j < c; ++j)
            out[j0 + j] = roundToSample(secondOut[2 * j]);
    }
}

}  // namespace veltrin
