#pragma once
// A receiving station without a window: capture FIFO -> sample chain
// (channel selection, decimators, resampler) -> the four decoders -> a
// recording message sink. Audio is played into it buffer by buffer, the way
// the capture thread hands it over.
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/app_state.h"
#include "config/settings.h"
#include "audio/receive_chain.h"
#include "messages/rx_text_sink.h"
#include "modem/ifsk16_decoder.h"
#include "modem/msg_header.h"
#include "platform/ui_ports.h"
#include "platform/window_messages.h"

namespace veltrin::test {

struct ReceiverOptions {
    double samplingFreq = 48000.0;
    double centreHz = 1700.0;
    bool inverse = false;
    int captureChannel = 0;  // 0 mono, 1 left, 2 right
};

class ReceivingStation : public MessageSink, public StatusPanels, public RxTextSink, public WindowMessagePoster {
public:
    explicit ReceivingStation(const ReceiverOptions& options = {})
    {
        settings_.SamplingFreq = options.samplingFreq;
        settings_.decimatedRate = options.samplingFreq * 0.25;
        settings_.inverseManipulation = options.inverse ? 1 : 0;
        settings_.captureChannel = options.captureChannel;
        receive_ = std::make_unique<ReceiveChain>(settings_, state_);
        receive_->setupFirstDecimator();
        DecoderLinks links;
        links.status = this;
        links.rx = this;
        links.sink = this;
        links.poster = this;
        receive_->setDecoderLinks(links);
        state_.captureDeviceOpen = true;
        receive_->sampleChain().setupReceiveChain(options.centreHz);
    }

    // Interleaved 16-bit frames at the device rate; the last buffer is
    // filled up with silence.
    void play(const std::vector<std::int16_t>& samples, int channels = 1)
    {
        const std::size_t perBuffer = static_cast<std::size_t>(SampleChain::kFramesPerBuffer * channels);
        std::vector<std::int16_t> buffer(TBufBufFifo::kBufferBytes / 2);
        for (std::size_t at = 0; at < samples.size(); at += perBuffer) {
            std::fill(buffer.begin(), buffer.end(), 0);
            const std::size_t n = std::min(perBuffer, samples.size() - at);
            std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(at), n, buffer.begin());
            receive_->fifo().Put(buffer.data());
            receive_->sampleChain().processAudioBlocks();
        }
    }

    const std::vector<ReceivedMessage>& messages() const { return messages_; }
    const std::string& rxText() const { return rxText_; }
    const std::string& panel(int index) { return panels_[static_cast<std::size_t>(index)]; }
    TIfsk16Decoder& decoder(int index) { return receive_->decoder(index); }
    SampleChain& chain() { return receive_->sampleChain(); }
    AppState& state() { return state_; }

    void dispatchReceivedMessage(ReceivedMessage message) override { messages_.push_back(message); }
    void setPanelText(int index, const std::string& text) override
    {
        if (index >= 0 && index < static_cast<int>(panels_.size()))
            panels_[static_cast<std::size_t>(index)] = text;
    }
    void putRxChar(unsigned char c) override
    {
        if (c)
            rxText_.push_back(static_cast<char>(c));
    }
    void rawLogNewLine() override { rxText_.push_back('\n'); }
    void postWindowMessage(unsigned, WParam) override {}

private:
    Settings settings_;
    AppState state_;
    std::unique_ptr<ReceiveChain> receive_;
    std::vector<ReceivedMessage> messages_;
    std::array<std::string, 12> panels_;
    std::string rxText_;
};

}  // namespace veltrin::test
