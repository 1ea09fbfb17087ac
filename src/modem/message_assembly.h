#pragma once
// Message assembly: accepted blocks into messages. A header opens a message
// (or reports an acknowledgement), data blocks fill its body, and every
// irregularity is counted in faultCount for the dispatcher.
#include <cstdint>

#include "modem/block_codec.h"
#include "modem/decoder_status.h"
#include "modem/msg_header.h"

namespace veltrin {

class RxTextSink;
class MessageSink;
class DecoderStatusPresenter;

class MessageAssembly {
public:
    MessageAssembly();

    void setTargets(RxTextSink* rx, MessageSink* sink, const DecoderStatusPresenter* presenter, int speed)
    {
        rx_ = rx;
        sink_ = sink;
        presenter_ = presenter;
        speed_ = speed;
    }
    void reset();

    // symbolClock: the decoder's symbol clock when the block was taken.
    void StartMessage(const std::uint8_t bytes[kBlockBytes], int errors, int symbolClock, DecoderStatus& status);
    void AppendBlock(const std::uint8_t bytes[kBlockBytes], bool last, bool weak, int errors, int symbolClock,
                     DecoderStatus& status);
    void FinishMessage(DecoderStatus& status);

    int msgState() const { return msgState_; }
    const Msg_header& header() const { return header_; }
    int bodyCount() const { return bodyCount_; }
    int faultCount() const { return faultCount_; }
    int lastBlockSymbol() const { return lastBlockSymbol_; }
    // In hops; set here, counted down by the block search.
    int& messageTimeout() { return messageTimeout_; }
    int messageTimeout() const { return messageTimeout_; }

private:
    void HandleAck(DecoderStatus& status);
    void HandOn(DecoderStatus& status);
    void RxText(const char* text);
    void RawLogNewLine();

    RxTextSink* rx_ = nullptr;
    MessageSink* sink_ = nullptr;
    const DecoderStatusPresenter* presenter_ = nullptr;
    int speed_ = 0;

    int msgState_ = 0;
    Msg_header header_{};
    std::uint8_t body_[kBodyBytes] = {};
    int bodyCount_ = 0;
    int faultCount_ = 0;
    int correctedErrors_ = 0;
    int symbolCount_ = 0;
    int lastBlockSymbol_ = 0;
    int messageTimeout_ = 0;
};

}  // namespace veltrin
