#include "modem/soft_block_decoding.h"

#include <algorithm>
#include <cmath>

#include "modem/fine_tone_analysis.h"
#include "modem/gf16.h"
#include "modem/reed_solomon.h"
#include "modem/symbol_timing.h"

namespace veltrin {

namespace {

constexpr int kPositions = 18;
constexpr int kInfo = kRsDataSymbols;  // 7: any seven positions determine a codeword
// Measured on the sensitivity benchmark: the tone likelihoods tempered
// (the model is sharper than the reading: timing is off by up to half a hop)
// and a symbol's penalty capped, so that one bad symbol weighs like an
// erasure instead of vetoing the right codeword.
constexpr double kTemper = 0.6;
constexpr float kFloorLogP = -3.0f;

struct Tables {
    std::uint8_t mul[16][16];
    std::uint8_t generator[kInfo][kRsLength];  // systematic: unit data symbol j at position 8 + j
    int moveOf[16];                            // tone move of each value: 2 + inverse Gray
    double lnI0[1025];                         // ln I0(x), x = 0 .. 64 in steps of 1/16

    Tables()
    {
        for (int a = 0; a < 16; ++a)
            for (int b = 0; b < 16; ++b)
                mul[a][b] = gf16::mul(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b));
        for (int j = 0; j < kInfo; ++j) {
            // x^(8+j) mod g(x) by long division; char 2: the codeword is x^p + remainder.
            std::uint8_t r[kRsLength] = {};
            r[kRsParitySymbols + j] = 1;
            for (int d = kRsLength - 1; d >= kRsParitySymbols; --d) {
                const std::uint8_t c = r[d];
                if (!c)
                    continue;
                for (int t = 0; t <= kRsParitySymbols; ++t)
                    r[d - kRsParitySymbols + t] ^= mul[c][gf16::kGenerator[t]];
            }
            for (int i = 0; i < kRsLength; ++i)
                generator[j][i] = r[i];
            generator[j][kRsParitySymbols + j] = 1;
        }
        for (int v = 0; v < 16; ++v) {
            int c = 0;
            for (int g = v; g; g >>= 1)
                c ^= g;  // inverse Gray
            moveOf[v] = 2 + c;
        }
        for (int i = 0; i <= 1024; ++i)
            lnI0[i] = std::log(std::cyl_bessel_i(0.0, i / 16.0));
    }

    double logBessel(double x) const
    {
        if (x >= 64.0)
            return x - 0.5 * std::log(2.0 * M_PI * x);
        const double at = x * 16.0;
        const int i = static_cast<int>(at);
        const double f = at - i;
        return lnI0[i] + (lnI0[i + 1] - lnI0[i]) * f;
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

}  // namespace

void SoftBlockDecoding::prepare(const BlockReading& reading)
{
    reading_ = &reading;
    soft_ = tones_.usable();
    if (!soft_)
        return;
    const Tables& t = tables();
    constexpr int per = FineToneAnalysis::kBinsPerPosition;

    // The frequency offset under which the strongest tones of the block are
    // strongest: the one before the block, then its 60.
    const float* rows[kTones];
    rows[0] = tones_.powersAt(reading.toneHop[0] - SymbolTiming::kHopsPerSymbol);
    for (int k = 0; k < kBlockSymbols; ++k)
        rows[k + 1] = tones_.powersAt(reading.toneHop[k]);
    double bestScore = -1.0;
    offset_ = 0;
    for (int o = -FineToneAnalysis::kMaxOffset; o <= FineToneAnalysis::kMaxOffset; ++o) {
        const int first = FineToneAnalysis::kMaxOffset + o;
        double score = 0.0;
        for (const float* row : rows) {
            float m = 0.0f;
            for (int p = 0; p < kPositions; ++p) {
                const int bin = first + p * per;
                if (bin >= 0 && bin < FineToneAnalysis::kBins)
                    m = std::max(m, row[bin]);
            }
            score += m;
        }
        // Ties go to the offset nearest the nominal tones.
        if (score > bestScore * (1.0 + 1e-9)) {
            bestScore = score;
            offset_ = o;
        }
    }
    const int first = FineToneAnalysis::kMaxOffset + offset_;
    double total = 0.0, maxima = 0.0;
    for (int m = 0; m < kTones; ++m) {
        float top = 0.0f;
        for (int p = 0; p < kPositions; ++p) {
            const int bin = first + p * per;
            const float e = bin >= 0 && bin < FineToneAnalysis::kBins ? rows[m][bin] : 0.0f;
            energy_[m][p] = e;
            total += e;
            top = std::max(top, e);
        }
        maxima += top;
    }

    // Noise per tone from all but the strongest tone of each symbol; the
    // signal from the strongest above it.
    const double n0 = std::max((total - maxima) / (kTones * (kPositions - 1)), 1e-20);
    const double es = std::max(maxima / kTones - n0, 0.5 * n0);
    const double gain = 2.0 * std::sqrt(es) / n0;
    for (int m = 0; m < kTones; ++m) {
        double lambda[kPositions];
        double top = -1e300;
        for (int p = 0; p < kPositions; ++p) {
            lambda[p] = kTemper * t.logBessel(gain * std::sqrt(static_cast<double>(energy_[m][p])));
            top = std::max(top, lambda[p]);
        }
        for (int p = 0; p < kPositions; ++p)
            like_[m][p] = std::exp(lambda[p] - top);
    }

    // Forward-backward over the tone positions. A step moves the tone 2..17
    // positions up (down when the receiver reads the inverse).
    const bool down = timing_.inverse();
    auto after = [down](int p, int move) { return down ? (p - move + 36) % kPositions : (p + move) % kPositions; };
    auto normalise = [](double* v) {
        double s = 0.0;
        for (int p = 0; p < kPositions; ++p)
            s += v[p];
        const double inv = s > 0.0 ? 1.0 / s : 1.0;
        for (int p = 0; p < kPositions; ++p)
            v[p] *= inv;
    };
    for (int p = 0; p < kPositions; ++p)
        alpha_[0][p] = like_[0][p];
    normalise(alpha_[0]);
    for (int m = 1; m < kTones; ++m) {
        double sum = 0.0;
        for (int p = 0; p < kPositions; ++p)
            sum += alpha_[m - 1][p];
        for (int p = 0; p < kPositions; ++p) {
            // Every position reaches p except from p itself and the one next below (moves 0 and 1).
            const double from = sum - alpha_[m - 1][p] - alpha_[m - 1][after(p, kPositions - 1)];
            alpha_[m][p] = like_[m][p] * from;
        }
        normalise(alpha_[m]);
    }
    for (int p = 0; p < kPositions; ++p)
        beta_[kTones - 1][p] = 1.0;
    for (int m = kTones - 1; m >= 1; --m) {
        double w[kPositions];
        double sum = 0.0;
        for (int p = 0; p < kPositions; ++p) {
            w[p] = like_[m][p] * beta_[m][p];
            sum += w[p];
        }
        for (int p = 0; p < kPositions; ++p)
            beta_[m - 1][p] = sum - w[p] - w[after(p, 1)];
        normalise(beta_[m - 1]);
    }
    for (int m = 1; m < kTones; ++m) {
        double prob[kValues];
        double sum = 0.0;
        for (int v = 0; v < kValues; ++v) {
            double s = 0.0;
            for (int p = 0; p < kPositions; ++p) {
                const int n = after(p, t.moveOf[v]);
                s += alpha_[m - 1][p] * like_[m][n] * beta_[m][n];
            }
            prob[v] = s;
            sum += s;
        }
        double top = 0.0;
        for (int v = 0; v < kValues; ++v)
            top = std::max(top, prob[v]);
        for (int v = 0; v < kValues; ++v) {
            const double lp = top > 0.0 && prob[v] > 0.0 ? std::log(prob[v] / top) : kFloorLogP;
            logP_[m - 1][v] = std::max(static_cast<float>(lp), kFloorLogP);
        }
    }
}

int SoftBlockDecoding::decodeCodeword(int q, std::uint8_t decoded[kRsLength])
{
    const std::uint8_t* received = reading_->received[q];
    if (!soft_)
        return DecodeCodeword(received, decoded);
    const Tables& t = tables();

    // Per position: the log-probabilities, the best and second-best values.
    const float* lp[kRsLength];
    std::uint8_t best[kRsLength], second[kRsLength];
    float reliability[kRsLength];
    double ideal = 0.0;
    for (int i = 0; i < kRsLength; ++i) {
        lp[i] = logP_[4 * i + q];
        int b = 0, s = 1;
        if (lp[i][s] > lp[i][b])
            std::swap(b, s);
        for (int v = 2; v < kValues; ++v) {
            if (lp[i][v] > lp[i][b]) {
                s = b;
                b = v;
            } else if (lp[i][v] > lp[i][s]) {
                s = v;
            }
        }
        best[i] = static_cast<std::uint8_t>(b);
        second[i] = static_cast<std::uint8_t>(s);
        reliability[i] = lp[i][b] - lp[i][s];
        ideal += lp[i][b];
    }
    auto score = [&lp](const std::uint8_t* c) {
        double s = 0.0;
        for (int i = 0; i < kRsLength; ++i)
            s += lp[i][c[i]];
        return s;
    };

    double bestScore = -1e300;
    std::uint8_t bestWord[kRsLength] = {};
    auto consider = [&](const std::uint8_t* c) {
        const double s = score(c);
        if (s > bestScore) {
            bestScore = s;
            std::copy(c, c + kRsLength, bestWord);
        }
    };

    // The hard decision of the soft values, decoded as the standard decoding would.
    std::uint8_t hard[kRsLength];
    if (DecodeCodeword(best, hard) < kRsFailed)
        consider(hard);

    // Information set: the seven most reliable positions, rows reduced to a
    // unit at their own position.
    int order[kRsLength];
    for (int i = 0; i < kRsLength; ++i)
        order[i] = i;
    std::stable_sort(order, order + kRsLength, [&](int a, int b) { return reliability[a] > reliability[b]; });
    std::uint8_t rows[kInfo][kRsLength];
    for (int j = 0; j < kInfo; ++j)
        std::copy(t.generator[j], t.generator[j] + kRsLength, rows[j]);
    int info[kInfo];
    for (int j = 0; j < kInfo; ++j) {
        // Any seven positions of an MDS code are independent, so a pivot always exists.
        const int col = order[j];
        int pivot = j;
        while (pivot < kInfo && rows[pivot][col] == 0)
            ++pivot;
        if (pivot == kInfo)
            return DecodeCodeword(received, decoded);
        std::swap_ranges(rows[j], rows[j] + kRsLength, rows[pivot]);
        const std::uint8_t inv = gf16::div(1, rows[j][col]);
        for (int i = 0; i < kRsLength; ++i)
            rows[j][i] = t.mul[inv][rows[j][i]];
        for (int r = 0; r < kInfo; ++r) {
            if (r == j || rows[r][col] == 0)
                continue;
            const std::uint8_t f = rows[r][col];
            for (int i = 0; i < kRsLength; ++i)
                rows[r][i] ^= t.mul[f][rows[j][i]];
        }
        info[j] = col;
    }
    std::uint8_t base[kRsLength] = {};
    for (int j = 0; j < kInfo; ++j) {
        const std::uint8_t u = best[info[j]];
        for (int i = 0; i < kRsLength; ++i)
            base[i] ^= t.mul[u][rows[j][i]];
    }
    consider(base);
    // Order 1: every other value at one information position.
    std::uint8_t c[kRsLength];
    for (int j = 0; j < kInfo; ++j)
        for (int d = 1; d < kValues; ++d) {
            for (int i = 0; i < kRsLength; ++i)
                c[i] = base[i] ^ t.mul[d][rows[j][i]];
            consider(c);
        }
    // Order 2: the second-best values at two information positions.
    for (int a = 0; a < kInfo; ++a)
        for (int b = a + 1; b < kInfo; ++b) {
            const std::uint8_t da = best[info[a]] ^ second[info[a]];
            const std::uint8_t db = best[info[b]] ^ second[info[b]];
            for (int i = 0; i < kRsLength; ++i)
                c[i] = base[i] ^ t.mul[da][rows[a][i]] ^ t.mul[db][rows[b][i]];
            consider(c);
        }

    if (ideal - bestScore > kMaxShortfall) {
        std::copy(received, received + kRsLength, decoded);
        return kRsFailed;
    }
    std::copy(bestWord, bestWord + kRsLength, decoded);
    int changed = 0;
    for (int i = 0; i < kRsLength; ++i)
        changed += bestWord[i] != received[i];
    return std::min(changed, kRsFailed - 1);
}

}  // namespace veltrin
