#pragma once
// Forward complex FFT (kernel e^(-2*pi*i*k*n/size), no scaling, natural bin
// order) for power-of-two sizes 4..16384, and a real-input variant that
// computes only a range of bins. Twiddle tables are built at static
// initialisation; nothing is allocated per transform.
namespace veltrin {

constexpr int kFftMinSize = 4;
constexpr int kFftMaxSize = 16384;

bool IsFftSize(int n);

// In place. Sizes outside 4..16384 or not a power of two leave the data untouched.
void Fft(float* re, float* im, int n);

// The textbook form: in-place radix-2 decimation in frequency whose twiddle
// is advanced by a complex rotation per butterfly group, then the bit-reversal
// permutation. Kept as the yardstick for Fft (tests and benchmarks).
void FftPlainDif(float* re, float* im, int n);

// Spectrum of the real sequence of n samples whose first `count` values are
// x[0..count-1] and whose remaining n - count values are zero. Writes re[k]
// and im[k] for kLo <= k <= kHi only (0 <= kLo <= kHi <= n/2). n is a power of
// two 8..16384 and 0 <= count <= n; anything else leaves the outputs untouched.
// workRe and workIm are scratch arrays of at least n/2 floats.
void RealFftBins(const float* x, int count, int n, int kLo, int kHi, float* re, float* im,
                 float* workRe, float* workIm);

}  // namespace veltrin
