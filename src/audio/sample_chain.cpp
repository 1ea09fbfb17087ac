#include "audio/sample_chain.h"

#include <cstdlib>

#include "modem/ifsk16_decoder.h"
#include "platform/ui_ports.h"

namespace veltrin {

SampleChain::SampleChain(const ReceiveChainOptions& options, AppState& state, TBufBufFifo& fifo,
                         Decimator2Ex& first, Decimator2& second, TUniResample& resampler,
                         std::array<TIfsk16Decoder*, 4> decoders)
    : options_(options),
      state_(state),
      fifo_(fifo),
      first_(first),
      second_(second),
      resampler_(resampler),
      decoders_(decoders)
{
}

void SampleChain::selectChannel(std::int16_t* buffer, int captureChannel)
{
    if (captureChannel != 1 && captureChannel != 2)
        return;  // mono capture: the buffer already holds 8192 samples
    const int offset = captureChannel == 1 ? 0 : 1;
    for (int k = 0; k < kFramesPerBuffer; ++k)
        buffer[k] = buffer[2 * k + offset];
}

void SampleChain::processAudioBlocks()
{
    if (busy_ || state_.captureReopening || !state_.captureDeviceOpen || state_.shuttingDown)
        return;
    busy_ = true;
    int handled = 0;
    while (fifo_.bufferCount() > 0) {
        if (fifo_.Get(work_) != 0)
            break;
        ++handled;
        selectChannel(work_, options_.captureChannel);
        if (!state_.decodingFromFile) {
            decimateBlock(first_, second_, work_, kDecimatedPerBuffer, decimated_);
            feedDecimatedBlock(decimated_, false);
        }
        if (state_.captureFileOpen && captureWriter_) {
            if (captureWriter_(work_, kFramesPerBuffer) != 0) {
                if (boxes_)
                    boxes_->showMessage("Wave capture file write error!", "File Error");
                if (captureCloser_)
                    captureCloser_();
            }
        }
        if (fifo_.bufferCount() < kMaxBuffersPerMessage)
            break;
        if (handled >= kMaxBuffersPerMessage)
            break;
    }
    busy_ = false;
}

void SampleChain::feedDecimatedBlock(const std::int16_t* samples, bool fromFile)
{
    state_.blockFromFile = fromFile;
    // Recordings arrive at 12000 Hz, live blocks at the decimated rate.
    audioSeconds_ += kDecimatedPerBuffer / (fromFile ? 12000.0 : options_.decimatedRate);
    for (int i = 0; i < kDecimatedPerBuffer; ++i) {
        updateLevelMeter(samples[i]);
        resampler_.PutSample(static_cast<double>(samples[i]));
    }
    if (lampUpdater_)
        lampUpdater_();
}

void SampleChain::setupReceiveChain(double centreHz)
{
    state_.displayHoldTicks = 0;
    resampler_.Setup(options_.decimatedRate, 12000.0, [this](double x) { fanOutSample(x); });
    for (int i = 0; i < 4; ++i) {
        if (!decoders_[i])
            continue;
        if (kDecoderSpeeds[i] <= 4)
            decoders_[i]->Setup(kDecoderSpeeds[i], 2, centreHz);
        else
            decoders_[i]->Setup(kDecoderSpeeds[i], 1, 1710.9375);
    }
    state_.fullRedraw = true;
}

void SampleChain::fanOutSample(double x)
{
    const float f = static_cast<float>(x);
    // The speed-1 decoder always runs: its spectrum feeds the display.
    if (decoders_[0])
        decoders_[0]->PutSample(f);
    if (decoders_[1] && options_.EnableX4Rx)
        decoders_[1]->PutSample(f);
    if (decoders_[2] && options_.EnableX16Rx)
        decoders_[2]->PutSample(f);
    if (decoders_[3] && options_.EnableX32Rx)
        decoders_[3]->PutSample(f);
}

LevelReading levelReading(int peak)
{
    int bits = 0;
    for (int v = peak; v > 0 && bits < 15; v >>= 1)
        ++bits;
    static constexpr int kLevelOfBits[16] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    LevelReading r;
    r.bits = bits;
    const int level = kLevelOfBits[bits];
    r.red = level == 10;
    if (level >= 9) {
        r.light = 8;
        r.dark = 9;
    } else {
        r.light = level;
        r.dark = 0;
    }
    r.text = std::to_string(bits) + "      ";
    return r;
}

void SampleChain::updateLevelMeter(std::int16_t sample)
{
    int a = std::abs(static_cast<int>(sample));
    if (a > 32767)
        a = 32767;
    if (a > peak_)
        peak_ = a;
    if (++peakCount_ < 16000)
        return;
    LevelReading r = levelReading(peak_);
    if (meter_)
        meter_->showLevel(r.light, r.dark, r.text, r.red);
    peak_ = 0;
    peakCount_ = 0;
}

}  // namespace veltrin
