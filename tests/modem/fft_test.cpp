#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "modem/fft.h"

namespace veltrin {
namespace {

std::vector<std::complex<double>> naiveDft(const std::vector<float>& re, const std::vector<float>& im)
{
    const std::size_t n = re.size();
    std::vector<std::complex<double>> out(n);
    for (std::size_t k = 0; k < n; ++k) {
        std::complex<double> acc = 0;
        for (std::size_t j = 0; j < n; ++j)
            acc += std::complex<double>(re[j], im[j]) * std::polar(1.0, -2.0 * M_PI * double((k * j) % n) / n);
        out[k] = acc;
    }
    return out;
}

TEST(Fft, MatchesDirectTransformAtEverySize)
{
    std::mt19937 rng(5);
    std::normal_distribution<float> noise(0.0f, 1000.0f);
    for (int n = 4; n <= 1024; n *= 2) {
        std::vector<float> re(n), im(n);
        for (int i = 0; i < n; ++i) {
            re[i] = noise(rng);
            im[i] = noise(rng);
        }
        const auto want = naiveDft(re, im);
        std::vector<float> fr = re, fi = im, pr = re, pi = im;
        Fft(fr.data(), fi.data(), n);
        FftPlainDif(pr.data(), pi.data(), n);
        const double tol = 1e-5 * 1000.0 * n;
        for (int k = 0; k < n; ++k) {
            ASSERT_NEAR(fr[k], want[k].real(), tol) << n << " bin " << k;
            ASSERT_NEAR(fi[k], want[k].imag(), tol) << n << " bin " << k;
            ASSERT_NEAR(pr[k], want[k].real(), tol) << n << " bin " << k;
            ASSERT_NEAR(pi[k], want[k].imag(), tol) << n << " bin " << k;
        }
    }
}

// Recursive radix-2 in double precision as the yardstick for large sizes.
void fftDouble(std::vector<std::complex<double>>& a)
{
    const std::size_t n = a.size();
    if (n == 1)
        return;
    std::vector<std::complex<double>> even(n / 2), odd(n / 2);
    for (std::size_t i = 0; i < n / 2; ++i) {
        even[i] = a[2 * i];
        odd[i] = a[2 * i + 1];
    }
    fftDouble(even);
    fftDouble(odd);
    for (std::size_t k = 0; k < n / 2; ++k) {
        const auto t = std::polar(1.0, -2.0 * M_PI * double(k) / double(n)) * odd[k];
        a[k] = even[k] + t;
        a[k + n / 2] = even[k] - t;
    }
}

TEST(Fft, LargeSizesStayAccurate)
{
    std::mt19937 rng(9);
    std::normal_distribution<float> noise(0.0f, 1000.0f);
    for (int n : {2048, 8192, 16384}) {
        std::vector<float> re(n), im(n);
        std::vector<std::complex<double>> want(n);
        for (int i = 0; i < n; ++i) {
            re[i] = noise(rng);
            im[i] = noise(rng);
            want[i] = {re[i], im[i]};
        }
        fftDouble(want);
        std::vector<float> pr = re, pi = im;
        Fft(re.data(), im.data(), n);
        FftPlainDif(pr.data(), pi.data(), n);
        // Relative to the typical bin magnitude 1000 * sqrt(2n).
        const double scale = 1000.0 * std::sqrt(2.0 * n);
        double worstFast = 0, worstPlain = 0;
        for (int k = 0; k < n; ++k) {
            worstFast = std::max(worstFast, std::abs(std::complex<double>(re[k], im[k]) - want[k]) / scale);
            worstPlain = std::max(worstPlain, std::abs(std::complex<double>(pr[k], pi[k]) - want[k]) / scale);
        }
        EXPECT_LT(worstFast, 1e-5) << n;
        EXPECT_LT(worstPlain, 1e-3) << n;
    }
}

TEST(Fft, RefusesSizesOutsideTheRange)
{
    for (int n : {0, 2, 3, 12, 1000, 32768}) {
        std::vector<float> re(n > 0 ? n : 1, 1.0f), im(n > 0 ? n : 1, 2.0f);
        Fft(re.data(), im.data(), n);
        FftPlainDif(re.data(), im.data(), n);
        for (std::size_t i = 0; i < re.size(); ++i) {
            EXPECT_EQ(re[i], 1.0f);
            EXPECT_EQ(im[i], 2.0f);
        }
    }
}

// The decoder's use: N real samples padded with zeros to n, a band of bins.
TEST(Fft, RealBinsOfZeroPaddedInputMatchFullTransform)
{
    std::mt19937 rng(3);
    std::normal_distribution<float> noise(0.0f, 3000.0f);
    struct Case {
        int n, count, kLo, kHi;
    };
    const Case cases[] = {{8192, 8192, 0, 4095}, {2048, 2048, 247, 334}, {2048, 512, 227, 357},
                          {1024, 256, 91, 201},  {1024, 255, 0, 512},    {16, 3, 0, 8},
                          {8, 1, 0, 4},          {64, 33, 5, 20},       {128, 20, 0, 64},
                          {4096, 1000, 100, 700}};
    std::vector<float> workRe(8192), workIm(8192);
    for (const Case& c : cases) {
        std::vector<float> x(c.count);
        for (float& v : x)
            v = noise(rng);
        std::vector<float> fullRe(c.n, 0.0f), fullIm(c.n, 0.0f);
        std::copy(x.begin(), x.end(), fullRe.begin());
        FftPlainDif(fullRe.data(), fullIm.data(), c.n);
        // Scratch full of garbage: the transform must not read beyond count.
        std::fill(workRe.begin(), workRe.end(), 1e30f);
        std::fill(workIm.begin(), workIm.end(), -1e30f);
        std::vector<float> re(c.n / 2 + 1, 7.0f), im(c.n / 2 + 1, 7.0f);
        RealFftBins(x.data(), c.count, c.n, c.kLo, c.kHi, re.data(), im.data(), workRe.data(), workIm.data());
        const double tol = 1e-5 * 3000.0 * c.count + 1e-3;
        for (int k = c.kLo; k <= c.kHi; ++k) {
            ASSERT_NEAR(re[k], fullRe[k], tol) << c.n << "/" << c.count << " bin " << k;
            ASSERT_NEAR(im[k], fullIm[k], tol) << c.n << "/" << c.count << " bin " << k;
        }
        if (c.kLo > 0) {
            EXPECT_EQ(re[c.kLo - 1], 7.0f) << "bins outside the range stay untouched";
        }
    }
}

}  // namespace
}  // namespace veltrin
