#pragma once
// One IFSK16 receiver for one of the four speeds, composed of blocks with
// narrow interfaces: the sample ring and hop clock here, then tone analysis
// (11 hops per symbol), symbol timing, block search and lock, block decoding
// and message assembly. The blocks report their state in a DecoderStatus that
// the presenter turns into panel texts and lamps. The object holds all its
// buffers as fixed arrays; nothing is allocated after construction. Main
// thread only.
#include <cstdint>

#include "modem/block_codec.h"
#include "modem/block_decoding.h"
#include "modem/block_search.h"
#include "modem/decoder_geometry.h"
#include "modem/decoder_status.h"
#include "modem/fine_tone_analysis.h"
#include "modem/message_assembly.h"
#include "modem/msg_header.h"
#include "modem/soft_block_decoding.h"
#include "modem/symbol_timing.h"
#include "modem/tone_analysis.h"

namespace veltrin {

class StatusPanels;
class RxTextSink;
class MessageSink;
class WindowMessagePoster;
struct DecoderOptions;
struct DecoderShared;

struct DecoderLinks {
    StatusPanels* status = nullptr;         // panels 4, 5, 6, 8, 10
    RxTextSink* rx = nullptr;               // receive window and raw log
    MessageSink* sink = nullptr;            // finished messages
    WindowMessagePoster* poster = nullptr;  // WM_SPECTRUM_READY from the speed-1 decoder
    const DecoderOptions* options = nullptr;  // EnableX1Rx and inverseManipulation, read live
    DecoderShared* shared = nullptr;          // status masks and spectrum of the station
};

// The four decoders' speeds, in the order the station keeps them.
inline constexpr int kDecoderSpeeds[4] = {1, 4, 16, 32};

class TIfsk16Decoder {
public:
    static constexpr int kRingSize = 8192;
    static constexpr int kHistorySize = SymbolTiming::kHistorySize;
    static constexpr int kHopsPerSymbol = SymbolTiming::kHopsPerSymbol;

    TIfsk16Decoder();
    TIfsk16Decoder(const TIfsk16Decoder&) = delete;
    TIfsk16Decoder& operator=(const TIfsk16Decoder&) = delete;

    void setLinks(const DecoderLinks& links);
    // speed 1, 4, 16 or 32; anything else leaves the decoder uninitialised.
    void Setup(int speed, int spacingFactor, double centreHz);
    void SetCenterFreq(double centreHz);
    void Reset();
    // Inline: the sample chain calls it four times per sample.
    void PutSample(float x)
    {
        if (!initialised_)
            return;
        ring_[ringPos_] = x;
        ring_[ringPos_ + kRingSize] = x;
        ringPos_ = (ringPos_ + 1) & (kRingSize - 1);
        hopAcc_ += 1000;
        if (hopAcc_ >= hopThreshold_) {
            hopAcc_ -= hopThreshold_;
            RunHop();
        }
    }

    const DecoderGeometry& geometry() const { return g_; }
    int speed() const { return g_.speed; }
    bool initialised() const { return initialised_ != 0; }
    int spacingFactor() const { return g_.spacingFactor; }
    int padFactor() const { return g_.padFactor; }
    int windowLen() const { return g_.windowLen; }
    int fftSize() const { return g_.fftSize; }
    int hopThreshold() const { return hopThreshold_; }
    double spacingHz() const { return g_.spacingHz; }
    double bandLo() const { return g_.bandLo; }
    double bandHi() const { return g_.bandHi; }
    double searchLo() const { return g_.searchLo; }
    double searchHi() const { return g_.searchHi; }
    int binLo() const { return g_.binLo; }
    int binHi() const { return g_.binHi; }
    int symbolClock() const { return timing_.symbolClock(); }
    int signalPresent() const { return timing_.signalPresent(); }
    int hopInSymbol() const { return timing_.hopInSymbol(); }
    int histPos() const { return timing_.histPos(); }
    int msgState() const { return assembly_.msgState(); }
    int messageTimeout() const { return assembly_.messageTimeout(); }
    int activityHold() const { return search_.activityHold(); }
    int sygnHold() const { return search_.sygnHold(); }
    int lockCountdown() const { return search_.lockCountdown(); }
    int lives() const { return search_.lives(); }
    int bodyCount() const { return assembly_.bodyCount(); }
    int faultCount() const { return assembly_.faultCount(); }
    int lastBlockSymbol() const { return assembly_.lastBlockSymbol(); }
    const std::uint8_t* symbols() const { return search_.reading().symbols; }
    const DecoderStatus& status() const { return status_; }
    bool enhanced() const { return tones_ == &fineTones_; }
    // Tone spacing in FFT bins.
    int binsPerPosition() const { return g_.binsPerPosition(); }

    // Tone step measures with this decoder's spacing and the live inversion option.
    int StepToNibble(double binDifference) const { return timing_.StepToNibble(binDifference); }
    int StepQuality(double binDifference) const { return timing_.StepQuality(binDifference); }
    double QualitySum(int start, int n) const { return timing_.QualitySum(start, n); }

private:
    friend struct Ifsk16DecoderTestAccess;

    void RunHop();
    void StoreHop(double quality, double tonePos);
    bool x1Enabled() const;
    void SelectComposition();
    void RxText(const char* text);

    DecoderLinks links_{};
    DecoderGeometry g_{};
    int initialised_ = 0;
    int hopThreshold_ = 1;
    int hopAcc_ = 0;

    // Every sample is stored twice, at ringPos and ringPos + kRingSize, so
    // the newest N samples are always one contiguous run, read in place.
    float ring_[2 * kRingSize] = {};
    int ringPos_ = 0;

    DecoderStatus status_{};
    DecoderStatusPresenter presenter_;
    SymbolTiming timing_;

    // The standard composition, and the enhanced one (the option
    // enhancedDecoder, read per hop): a tone analysis that also keeps fine
    // tone powers, and soft-decision block decoding.
    StandardToneAnalysis standardTones_;
    HardBlockDecoding hardBlocks_;
    FineToneAnalysis fineTones_;
    SoftBlockDecoding softBlocks_{fineTones_, timing_};
    ToneAnalysis* tones_ = &standardTones_;
    MessageAssembly assembly_;
    BlockSearch search_{timing_, assembly_, status_};
};

}  // namespace veltrin
