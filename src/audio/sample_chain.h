#pragma once
// The main thread's sample chain: captured 48 kHz buffers -> channel
// selection -> 4:1 decimation -> resampling to exactly 12000 Hz -> the four
// decoders. Also fed directly by the decoding of WAV files.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "config/app_state.h"
#include "config/settings.h"
#include "audio/buf_buf_fifo.h"
#include "audio/decimators.h"
#include "audio/uni_resample.h"

namespace veltrin {

class TIfsk16Decoder;
class MessageBoxes;

// The input level meter beside the tuning buttons.
class LevelMeterPort {
public:
    virtual ~LevelMeterPort() = default;
    // light/dark: the two bar values (scale 10); red: the alarm colour.
    virtual void showLevel(int light, int dark, const std::string& text, bool red) = 0;
};

// Writes the channel-selected capture samples; returns 0 on success.
using CaptureWriter = std::function<int(const std::int16_t* samples, int frames)>;

class SampleChain {
public:
    static constexpr int kFramesPerBuffer = 8192;
    static constexpr int kDecimatedPerBuffer = 2048;
    static constexpr int kMaxBuffersPerMessage = 8;

    // decoders: speeds 1, 4, 16, 32 in this order (null entries are skipped).
    SampleChain(const ReceiveChainOptions& options, AppState& state, TBufBufFifo& fifo, Decimator2Ex& first,
                Decimator2& second, TUniResample& resampler,
                std::array<TIfsk16Decoder*, 4> decoders);

    // Optional outlets; unset ones do nothing.
    void setLevelMeter(LevelMeterPort* meter) { meter_ = meter; }
    void setMessageBoxes(MessageBoxes* boxes) { boxes_ = boxes; }
    void setCaptureWriter(CaptureWriter writer) { captureWriter_ = std::move(writer); }
    // Called after a capture write failed and was reported (closes the file).
    void setCaptureCloser(std::function<void()> closer) { captureCloser_ = std::move(closer); }
    void setLampUpdater(std::function<void()> updater) { lampUpdater_ = std::move(updater); }

    // Handler of WM_AUDIO_BLOCK: one buffer, or up to 8 while a backlog lasts.
    void processAudioBlocks();
    // Exactly kDecimatedPerBuffer samples at decimatedRate.
    void feedDecimatedBlock(const std::int16_t* samples, bool fromFile);
    void setupReceiveChain(double centreHz);
    void fanOutSample(double x);
    void updateLevelMeter(std::int16_t sample);

    // Channel selection in place: 8192 samples at the start of the buffer.
    static void selectChannel(std::int16_t* buffer, int captureChannel);

    bool busy() const { return busy_; }
    // Seconds of audio fed to the decoders so far, counted a whole block at a
    // time (a clock that runs with the audio).
    double audioSeconds() const { return audioSeconds_; }

private:
    const ReceiveChainOptions& options_;
    AppState& state_;
    TBufBufFifo& fifo_;
    Decimator2Ex& first_;
    Decimator2& second_;
    TUniResample& resampler_;
    std::array<TIfsk16Decoder*, 4> decoders_;

    LevelMeterPort* meter_ = nullptr;
    MessageBoxes* boxes_ = nullptr;
    CaptureWriter captureWriter_;
    std::function<void()> captureCloser_;
    std::function<void()> lampUpdater_;

    std::int16_t work_[TBufBufFifo::kBufferBytes / 2] = {};
    std::int16_t decimated_[kDecimatedPerBuffer] = {};
    int peak_ = 0;
    int peakCount_ = 0;
    bool busy_ = false;
    double audioSeconds_ = 0.0;
};

// The meter reading of a peak value: level 0..10 and the number of bits.
struct LevelReading {
    int bits;
    int light;
    int dark;
    bool red;
    std::string text;
};
LevelReading levelReading(int peak);

}  // namespace veltrin
