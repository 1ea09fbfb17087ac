// Set-up, sample entry and the hop clock; the wiring of the blocks.
#include "modem/ifsk16_decoder.h"

#include <algorithm>
#include <cmath>

#include "config/settings.h"
#include "messages/rx_text_sink.h"
#include "modem/decoder_shared.h"
#include "platform/window_messages.h"

namespace veltrin {

namespace {
constexpr double kSampleRate = 12000.0;
}  // namespace

TIfsk16Decoder::TIfsk16Decoder() { search_.setDecoding(&hardBlocks_); }

void TIfsk16Decoder::setLinks(const DecoderLinks& links)
{
    links_ = links;
    timing_.configure(g_.binsPerPosition(), links_.options);
    presenter_.setTargets(links_.status, links_.shared, g_.speed);
    assembly_.setTargets(links_.rx, links_.sink, &presenter_, g_.speed);
}

bool TIfsk16Decoder::x1Enabled() const { return !links_.options || links_.options->EnableX1Rx != 0; }

void TIfsk16Decoder::SelectComposition()
{
    const bool enhanced = links_.options && links_.options->enhancedDecoder != 0;
    tones_ = enhanced ? static_cast<ToneAnalysis*>(&fineTones_) : &standardTones_;
    search_.setDecoding(enhanced ? static_cast<BlockDecoding*>(&softBlocks_) : &hardBlocks_);
}

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
    g_.speed = speed;
    g_.spacingFactor = spacingFactor;
    g_.windowLen = 8192 / speed;
    g_.padFactor = speed <= 4 ? 1 : 4;
    g_.fftSize = g_.padFactor * g_.windowLen;
    g_.spacingHz = kSampleRate / g_.windowLen * g_.spacingFactor;
    if (speed <= 4)
        hopThreshold_ = ((2 * g_.windowLen + 11) / 22) * 1000;
    else
        hopThreshold_ = (2000 * g_.windowLen + 11) / 22;
    hopAcc_ = 0;
    ringPos_ = 0;
    setLinks(links_);
    SetCenterFreq(centreHz);
    Reset();
    initialised_ = 1;
}

void TIfsk16Decoder::SetCenterFreq(double centreHz)
{
    if (g_.fftSize == 0 || !std::isfinite(centreHz))
        return;
    g_.centreHz = centreHz;
    g_.bandLo = centreHz - 8.5 * g_.spacingHz;
    g_.bandHi = centreHz + 8.5 * g_.spacingHz;
    g_.searchLo = centreHz - 11.0 * g_.spacingHz - 120.0;
    g_.searchHi = centreHz + 11.0 * g_.spacingHz + 120.0;
    // The peak search reads one bin beyond each end, so the band stays inside
    // 1 .. fftSize/2 - 3 whatever the centre frequency.
    const double top = g_.fftSize / 2 - 4;
    const double lo = std::floor(g_.fftSize * g_.searchLo / kSampleRate + 0.5);
    const double hi = std::floor(g_.fftSize * g_.searchHi / kSampleRate + 0.5);
    g_.binLo = static_cast<int>(std::clamp(lo, 2.0, top));
    g_.binHi = static_cast<int>(std::clamp(hi, static_cast<double>(g_.binLo), top));
    standardTones_.configure(g_);
    fineTones_.configure(g_);
}

void TIfsk16Decoder::Reset()
{
    hopAcc_ = 0;
    ringPos_ = 0;
    timing_.reset();
    search_.reset();
    assembly_.reset();
}

void TIfsk16Decoder::RunHop()
{
    const int n = g_.windowLen;
    const float* window = ring_ + ringPos_ + kRingSize - n;

    SelectComposition();
    const bool analyse = !(g_.speed == 1 && !x1Enabled());
    DecoderShared* shared = links_.shared;
    const bool spectrum = g_.speed == 1 && shared && shared->spectrumPending == 0;
    if (!analyse && !spectrum)
        return;
    SpectrumOut out;
    if (spectrum) {
        out.re = shared->SpectrumRe;
        out.im = shared->SpectrumIm;
        out.count = std::min(n / 2, kSpectrumBins);
    }
    const HopTone tone =
        tones_->analyse(window, analyse, spectrum ? &out : nullptr, SymbolTiming::wrap(timing_.histPos() + 1));
    if (spectrum) {
        shared->spectrumPending = 1;
        if (links_.poster)
            links_.poster->postWindowMessage(WM_SPECTRUM_READY, 0);
    }
    if (analyse)
        StoreHop(tone.quality, tone.position);
}

void TIfsk16Decoder::StoreHop(double quality, double tonePos)
{
    if (!timing_.StoreHop(quality, tonePos))
        return;
    const int ref = timing_.Boundary();
    search_.TrackBlock(ref);
    search_.DetectSygn();
    timing_.DetectCarrier(ref);
    status_.signal = timing_.signalPresent() != 0;
    search_.reportLamps();
    presenter_.flushPanels(status_);
    presenter_.publishLamps(status_);
}

void TIfsk16Decoder::RxText(const char* text)
{
    if (links_.rx)
        links_.rx->appendRxText(text);
}

}  // namespace veltrin
