// Set-up, sample entry, per-hop tone analysis and symbol timing.
#include "modem/ifsk16_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "config/settings.h"
#include "messages/rx_text_sink.h"
#include "modem/decoder_shared.h"
#include "modem/fft.h"
#include "modem/tone_steps.h"
#include "platform/window_messages.h"

namespace veltrin {

namespace {
constexpr double kSampleRate = 12000.0;
}  // namespace

TIfsk16Decoder::TIfsk16Decoder()
{
    std::memset(body_, kBodyFiller, sizeof body_);
}

void TIfsk16Decoder::setLinks(const DecoderLinks& links) { links_ = links; }

bool TIfsk16Decoder::inverse() const { return links_.options && links_.options->inverseManipulation != 0; }

bool TIfsk16Decoder::x1Enabled() const { return !links_.options || links_.options->EnableX1Rx != 0; }

void TIfsk16Decoder::Setup(int speed, int spacingFactor, double centreHz)
{
    if (sizeof(Msg_header) != kMsgHeaderBytes) {
        RxText(" Msg_header structure pack error! ");
        return;
    }
    if (speed != 1 && speed != 4 && speed != 16 && speed != 32)
        return;
    // A spacing that pushes the tone band past the spectrum is refused too.
    if (spacingFactor < 1 || spacingFactor > 8)
        return;
    initialised_ = 0;
    speed_ = speed;
    spacingFactor_ = spacingFactor;
    windowLen_ = 8192 / speed;
    padFactor_ = speed <= 4 ? 1 : 4;
    fftSize_ = padFactor_ * windowLen_;
    spacingHz_ = kSampleRate / windowLen_ * spacingFactor_;
    if (speed <= 4)
        hopThreshold_ = ((2 * windowLen_ + 11) / 22) * 1000;
    else
        hopThreshold_ = (2000 * windowLen_ + 11) / 22;
    hopAcc_ = 0;
    ringPos_ = 0;
    SetCenterFreq(centreHz);
    Reset();
    initialised_ = 1;
}

void TIfsk16Decoder::SetCenterFreq(double centreHz)
{
    if (fftSize_ == 0 || !std::isfinite(centreHz))
        return;
    bandLo_ = centreHz - 8.5 * spacingHz_;
    bandHi_ = centreHz + 8.5 * spacingHz_;
    searchLo_ = centreHz - 11.0 * spacingHz_ - 120.0;
    searchHi_ = centreHz + 11.0 * spacingHz_ + 120.0;
    // The peak search reads one bin beyond each end, so the band stays inside
    // 1 .. fftSize/2 - 3 whatever the centre frequency.
    const double top = fftSize_ / 2 - 4;
    const double lo = std::floor(fftSize_ * searchLo_ / kSampleRate + 0.5);
    const double hi = std::floor(fftSize_ * searchHi_ / kSampleRate + 0.5);
    binLo_ = static_cast<int>(std::clamp(lo, 2.0, top));
    binHi_ = static_cast<int>(std::clamp(hi, static_cast<double>(binLo_), top));
}

void TIfsk16Decoder::Reset()
{
    hopAcc_ = 0;
    ringPos_ = 0;
    histPos_ = 0;
    std::fill(std::begin(quality_), std::end(quality_), 0.0f);
    hopInSymbol_ = 0;
    symbolClock_ = 0;
    signalPresent_ = 0;

    lockCountdown_ = 0;
    lives_ = 0;
    activityHold_ = 0;
    messageTimeout_ = 0;
    sygnHold_ = 0;
    std::memset(symbols_, 0, sizeof symbols_);

    msgState_ = 0;
    faultCount_ = 0;
    bodyCount_ = 0;
    lastBlockSymbol_ = 0;
    header_ = Msg_header{};
    std::memset(body_, kBodyFiller, sizeof body_);
}

void TIfsk16Decoder::RunHop()
{
    // The newest N samples, oldest first, read in place from the mirrored
    // ring; the zero padding up to fftSize is implied by the transform.
    const int n = windowLen_;
    const float* window = ring_ + ringPos_ + kRingSize - n;

    const bool analyse = !(speed_ == 1 && !x1Enabled());
    DecoderShared* shared = links_.shared;
    const bool spectrum = speed_ == 1 && shared && shared->spectrumPending == 0;
    if (!analyse && !spectrum)
        return;
    int kLo = binLo_ - 1;
    int kHi = binHi_ + 1;
    if (spectrum) {
        kLo = 0;
        kHi = std::max(kHi, std::min(n / 2, kSpectrumBins) - 1);
    }
    RealFftBins(window, n, fftSize_, kLo, kHi, fftRe_, fftIm_, workRe_, workIm_);

    if (spectrum) {
        const int count = std::min(n / 2, kSpectrumBins);
        std::memcpy(shared->SpectrumRe, fftRe_, sizeof(float) * count);
        std::memcpy(shared->SpectrumIm, fftIm_, sizeof(float) * count);
        shared->spectrumPending = 1;
        if (links_.poster)
            links_.poster->postWindowMessage(WM_SPECTRUM_READY, 0);
    }
    if (analyse)
        AnalyseHop();
}

void TIfsk16Decoder::AnalyseHop()
{
    // Single precision is ample here: the magnitudes are stored as floats and
    // the power threshold 1e-12 is far inside the float range.
    const float scale = static_cast<float>(1.0 / (2.0 * windowLen_ * static_cast<double>(windowLen_)));
    BandMagnitudes(fftRe_, fftIm_, binLo_ - 1, binHi_ + 1, scale, mag_);
    const ToneEstimate est = EstimateTone(mag_, binLo_, binHi_, binsPerPosition());
    StoreHop(est.quality, est.position);
}

void TIfsk16Decoder::StoreHop(double quality, double tonePos)
{
    histPos_ = wrap(histPos_ + 1);
    quality_[histPos_] = static_cast<float>(quality);
    tonePos_[histPos_] = static_cast<float>(tonePos);
    if (++hopInSymbol_ < kHopsPerSymbol)
        return;
    SymbolBoundary();
}

void TIfsk16Decoder::SymbolBoundary()
{
    hopInSymbol_ = 0;
    int ref = histPos_ - 22;
    const int base = histPos_ - 198;
    // Timing: the phase (in hops) at which the last 16 symbols were strongest.
    const int best = BestQualityOffset<7>(base, -3, 16);
    // One hop of correction per symbol, whatever the distance.
    if (best > 0) {
        hopInSymbol_ = -1;
        ref += 1;
    } else if (best < 0) {
        hopInSymbol_ = 1;
        ref -= 1;
    }
    ++symbolClock_;
    ref = wrap(ref);
    TrackBlock(ref);
    DetectSygn();
    DetectCarrier(ref);
    PublishStatus();
}

void TIfsk16Decoder::DetectCarrier(int ref)
{
    int best = 0;
    float bestQ = 0.0f;
    for (int j = -4; j <= 4; ++j) {
        const float q = quality_[wrap(ref + j)];
        if (q > bestQ) {
            bestQ = q;
            best = j;
        }
    }
    int ok = best >= -1 && best <= 1;
    if (ok)
        ok = StepQuality(tonePos_[wrap(ref)] - tonePos_[wrap(ref - 11)]) >= 30;
    signalPresent_ = UpdateCarrier(carrierFlags_, ok, signalPresent_);
}

double TIfsk16Decoder::QualitySum(int start, int n) const
{
    const int step = n > 0 ? kHopsPerSymbol : -kHopsPerSymbol;
    const int count = n > 0 ? n : -n;
    double sum = 0.0;
    int at = start;
    for (int i = 0; i < count; ++i, at += step)
        sum += quality_[wrap(at)];
    return sum;
}

template <int V>
int TIfsk16Decoder::BestQualityOffset(int start, int lo, int n) const
{
    const int step = n > 0 ? kHopsPerSymbol : -kHopsPerSymbol;
    const int count = n > 0 ? n : -n;
    double sums[V] = {};
    int at = start + lo;
    for (int i = 0; i < count; ++i, at += step) {
        const int a = wrap(at);
        // Unrolled so that the sums stay in registers.
        if (a + V <= kHistorySize) {
#pragma GCC unroll 16
            for (int c = 0; c < V; ++c)
                sums[c] += quality_[a + c];
        } else {
#pragma GCC unroll 16
            for (int c = 0; c < V; ++c)
                sums[c] += quality_[wrap(a + c)];
        }
    }
    int best = 0;
    double bestSum = 0.0;
    for (int c = 0; c < V; ++c)
        if (sums[c] > bestSum) {
            bestSum = sums[c];
            best = lo + c;
        }
    return best;
}

// Symbol timing (7 phases), symbol steps (5) and block timing (9).
template int TIfsk16Decoder::BestQualityOffset<5>(int, int, int) const;
template int TIfsk16Decoder::BestQualityOffset<7>(int, int, int) const;
template int TIfsk16Decoder::BestQualityOffset<9>(int, int, int) const;

int TIfsk16Decoder::StepToNibble(double binDifference) const
{
    return NibbleOfStep(NormaliseStep(binDifference, binsPerPosition(), inverse()));
}

int TIfsk16Decoder::StepQuality(double binDifference) const
{
    return QualityOfStep(NormaliseStep(binDifference, binsPerPosition(), inverse()));
}

void TIfsk16Decoder::RxText(const char* text)
{
    if (links_.rx)
        links_.rx->appendRxText(text);
}

void TIfsk16Decoder::RawLogNewLine()
{
    if (links_.rx)
        links_.rx->rawLogNewLine();
}

}  // namespace veltrin
