#pragma once
// One IFSK16 receiver for one of the four speeds: from 12000 Hz samples to
// tone estimates (sliding FFT, 11 hops per symbol), symbol timing, 60-symbol
// blocks with their sync patterns, Reed-Solomon decoding and assembled
// messages. The object holds all its buffers as fixed arrays; nothing is
// allocated after construction. Main thread only.
#include <cstdint>

#include "modem/block_codec.h"
#include "modem/msg_header.h"

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

// Status-bar panels written by the decoder.
constexpr int kPanelTiming = 4;
constexpr int kPanelErrorRate = 5;
constexpr int kPanelChannel = 6;
constexpr int kPanelReception = 8;
constexpr int kPanelResult = 10;

class TIfsk16Decoder {
public:
    static constexpr int kRingSize = 8192;
    static constexpr int kHistorySize = 1024;
    static constexpr int kHopsPerSymbol = 11;
    static constexpr int kMaxFftSize = 8192;

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

    int speed() const { return speed_; }
    bool initialised() const { return initialised_ != 0; }
    int spacingFactor() const { return spacingFactor_; }
    int padFactor() const { return padFactor_; }
    int windowLen() const { return windowLen_; }
    int fftSize() const { return fftSize_; }
    int hopThreshold() const { return hopThreshold_; }
    double spacingHz() const { return spacingHz_; }
    double bandLo() const { return bandLo_; }
    double bandHi() const { return bandHi_; }
    double searchLo() const { return searchLo_; }
    double searchHi() const { return searchHi_; }
    int binLo() const { return binLo_; }
    int binHi() const { return binHi_; }
    int symbolClock() const { return symbolClock_; }
    int signalPresent() const { return signalPresent_; }
    int hopInSymbol() const { return hopInSymbol_; }
    int histPos() const { return histPos_; }
    int msgState() const { return msgState_; }
    int messageTimeout() const { return messageTimeout_; }
    int activityHold() const { return activityHold_; }
    int sygnHold() const { return sygnHold_; }
    int lockCountdown() const { return lockCountdown_; }
    int lives() const { return lives_; }
    int bodyCount() const { return bodyCount_; }
    int faultCount() const { return faultCount_; }
    int lastBlockSymbol() const { return lastBlockSymbol_; }
    const std::uint8_t* symbols() const { return symbols_; }
    // Tone spacing in FFT bins.
    int binsPerPosition() const { return spacingFactor_ * padFactor_; }

    // Tone step measures with this decoder's spacing and the live inversion option.
    int StepToNibble(double binDifference) const;
    int StepQuality(double binDifference) const;
    // |n| quality entries from `start`, stepping 11 forwards (n > 0) or backwards.
    double QualitySum(int start, int n) const;
    // The offset c in lo..lo+V-1 whose QualitySum(start + c, n) is largest
    // (strictly larger than every earlier one and than 0); 0 if none. The V
    // sums run side by side, each added up in the order QualitySum uses.
    template <int V>
    int BestQualityOffset(int start, int lo, int n) const;

private:
    friend struct Ifsk16DecoderTestAccess;

    struct SymbolStep {
        int offset;
        double difference;
    };

    // Tone detector
    void RunHop();
    void AnalyseHop();
    void StoreHop(double quality, double tonePos);
    void SymbolBoundary();
    void DetectCarrier(int ref);
    bool inverse() const;
    bool x1Enabled() const;

    // Frame synchroniser
    void TrackBlock(int ref);
    void DetectSygn();
    void PublishStatus();
    int BestOffset(int start, int n) const;
    SymbolStep SymbolStepAt(int at, int n) const;
    bool PassesHeaderTest();
    void AcceptHeader(int timingBase, int drift, int avg, int errorSum);
    void AcceptData(int timingBase, int drift, int avg, int hold, bool last, int errorSum);
    void ShowErrorRate(int count);
    void ShowTiming(int drift, int avg);
    void SetPanel(int index, const char* text);

    // Message assembly
    void StartMessage(const std::uint8_t bytes[kBlockBytes], int errors);
    void AppendBlock(bool last, bool weak, int errors);
    void FinishMessage();
    void HandleAck();
    void HandOn();
    void RxText(const char* text);
    void RawLogNewLine();

    static int wrap(int index) { return index & (kHistorySize - 1); }

    DecoderLinks links_{};

    // Set-up
    int initialised_ = 0;
    int speed_ = 0;
    int spacingFactor_ = 1;
    int padFactor_ = 1;
    int windowLen_ = 0;
    int fftSize_ = 0;
    int hopThreshold_ = 1;
    int hopAcc_ = 0;
    double spacingHz_ = 0.0;
    double bandLo_ = 0.0, bandHi_ = 0.0;
    double searchLo_ = 0.0, searchHi_ = 0.0;
    int binLo_ = 2, binHi_ = 2;

    // Samples and spectrum. Every sample is stored twice, at ringPos and
    // ringPos + kRingSize, so the newest N samples are always one contiguous
    // run and the FFT reads them in place.
    float ring_[2 * kRingSize] = {};
    int ringPos_ = 0;
    float fftRe_[kMaxFftSize] = {};
    float fftIm_[kMaxFftSize] = {};
    float workRe_[kMaxFftSize / 2] = {};
    float workIm_[kMaxFftSize / 2] = {};
    float mag_[kMaxFftSize / 2] = {};

    // Per-hop histories and timing
    float quality_[kHistorySize] = {};
    float tonePos_[kHistorySize] = {};
    int histPos_ = 0;
    int hopInSymbol_ = 0;
    int symbolClock_ = 0;
    int carrierFlags_[4] = {};
    int signalPresent_ = 0;

    // Block search
    int lockCountdown_ = 0;
    int lives_ = 0;
    int activityHold_ = 0;
    int messageTimeout_ = 0;
    int sygnHold_ = 0;
    std::uint8_t symbols_[kBlockSymbols] = {};
    std::uint8_t received_[kBlockCodewords][kRsLength] = {};
    std::uint8_t decoded_[kBlockCodewords][kRsLength] = {};
    std::uint8_t block_[kBlockBytes] = {};

    // Message in progress
    int msgState_ = 0;
    Msg_header header_{};
    std::uint8_t body_[kBodyBytes] = {};
    int bodyCount_ = 0;
    int faultCount_ = 0;
    int correctedErrors_ = 0;
    int symbolCount_ = 0;
    int lastBlockSymbol_ = 0;
};

}  // namespace veltrin
