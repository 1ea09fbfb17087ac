// Blocks into messages: a header opens a message (or reports an
// acknowledgement), data blocks fill the body, and every irregularity is
// counted in faultCount for the dispatcher.
#include <cstdio>
#include <cstring>

#include "messages/rx_text_sink.h"
#include "modem/message_assembly.h"

namespace veltrin {

namespace {
constexpr int kTypeText = 5;
constexpr int kTypePosition = 6;
constexpr int kTypeAck = 12;
constexpr std::uint8_t kFlagGps = 0x04;
constexpr int kMaxBody = 252;
constexpr int kHopsPerBlock = 660;     // 60 symbols of 11 hops
constexpr int kTimeoutSlack = 88;      // 8 symbols
constexpr int kHeadlessTimeout = 13288;  // 20 blocks and 8 symbols
}  // namespace

MessageAssembly::MessageAssembly() { std::memset(body_, kBodyFiller, sizeof body_); }

void MessageAssembly::reset()
{
    msgState_ = 0;
    faultCount_ = 0;
    bodyCount_ = 0;
    lastBlockSymbol_ = 0;
    messageTimeout_ = 0;
    header_ = Msg_header{};
    std::memset(body_, kBodyFiller, sizeof body_);
}

void MessageAssembly::StartMessage(const std::uint8_t bytes[kBlockBytes], int errors, int symbolClock,
                                   DecoderStatus& status)
{
    if (msgState_ != 0 && bodyCount_ > 0) {
        ++faultCount_;
        HandOn(status);
    }
    symbolCount_ = kBlockSymbols;
    correctedErrors_ = errors;
    header_ = Msg_header::fromBytes(bytes);

    if (header_.type == kTypeAck) {
        RxText("{ack}");
        RawLogNewLine();
        status.showReception(Reception::Ack);
        status.showResult(ResultNote::Blank);
        HandleAck(status);
        faultCount_ = 0;
        msgState_ = 0;
        bodyCount_ = 0;
        return;
    }
    if (header_.type == kTypeText) {
        RawLogNewLine();
        char text[32];
        std::snprintf(text, sizeof text, "[%d>%d]", header_.sender, header_.recipient);
        RxText(text);
        status.showReception(Reception::Message);
        RxText("{start}");
    } else if (header_.type == kTypePosition) {
        if (header_.flags & kFlagGps) {
            status.showReception(Reception::Gps);
            RxText("{gps}");
        } else {
            status.showReception(Reception::Beacon);
            RxText("{beacon}");
        }
        RawLogNewLine();
    }
    status.showResult(ResultNote::Blank);
    faultCount_ = 0;
    msgState_ = 1;
    lastBlockSymbol_ = symbolClock;
    std::memset(body_, kBodyFiller, sizeof body_);
    bodyCount_ = 0;
    messageTimeout_ = ((header_.length + 11) / 12) * kHopsPerBlock + kTimeoutSlack;
}

void MessageAssembly::AppendBlock(const std::uint8_t block[kBlockBytes], bool last, bool weak, int errors,
                                  int symbolClock, DecoderStatus& status)
{
    if (rx_) {
        for (int i = 0; i < kBlockBytes; ++i)
            rx_->putRxChar(block[i] < 0x20 ? '_' : block[i]);
    }
    if (last)
        RxText("{end}");

    if (msgState_ == 0) {
        if (weak)
            return;  // a weak block never opens a message
        // Headless: the missing header is the first fault.
        symbolCount_ = kBlockSymbols;
        correctedErrors_ = errors;
        faultCount_ = 1;
        msgState_ = 2;
        bodyCount_ = 0;
        status.showReception(Reception::Headless);
        status.showResult(ResultNote::Blank);
        header_ = Msg_header{};
        header_.length = kMaxBody;
        lastBlockSymbol_ = symbolClock - kBlockSymbols;
        std::memset(body_, kBodyFiller, sizeof body_);
        messageTimeout_ = kHeadlessTimeout;
    } else {
        symbolCount_ += kBlockSymbols;
        correctedErrors_ += errors;
        if (weak)
            ++faultCount_;
    }

    if (bodyCount_ > kMaxBody - kBlockBytes) {
        FinishMessage(status);
        return;
    }

    // Blocks missed since the previous one keep their filler bytes.
    const int gap = symbolClock - lastBlockSymbol_;
    lastBlockSymbol_ = symbolClock;
    if (gap > 100) {
        int r = gap - kBlockSymbols;
        while (r > 40) {
            r -= kBlockSymbols;
            ++faultCount_;
            bodyCount_ += kBlockBytes;
            if (bodyCount_ >= kMaxBody) {
                FinishMessage(status);
                return;
            }
        }
        if (bodyCount_ > kMaxBody - kBlockBytes) {
            FinishMessage(status);
            return;
        }
    }

    std::memcpy(body_ + bodyCount_, block, kBlockBytes);
    bodyCount_ += kBlockBytes;

    if ((bodyCount_ >= kMaxBody || bodyCount_ >= header_.length) && !last) {
        ++faultCount_;  // the sender did not mark the end where expected
        last = true;
    }
    if (last) {
        if (header_.length > bodyCount_)
            ++faultCount_;  // data missing
        else if (bodyCount_ - header_.length > 11)
            ++faultCount_;  // more than one block beyond the announced length
        HandOn(status);
        msgState_ = 0;
        messageTimeout_ = 0;
    }
}

void MessageAssembly::FinishMessage(DecoderStatus& status)
{
    ++faultCount_;
    HandOn(status);
    msgState_ = 0;
    messageTimeout_ = 0;
}

void MessageAssembly::HandleAck(DecoderStatus& status)
{
    ResultNote note = ResultNote::InvalidAck;
    if (header_.flags == 0xA5)
        note = ResultNote::PositiveAck;
    else if (header_.flags == 0xAA)
        note = ResultNote::NegativeAck;
    status.showResult(note);
}

void MessageAssembly::HandOn(DecoderStatus& status)
{
    // The dispatcher writes its own results into the panels: what this
    // symbol showed so far goes first.
    if (presenter_)
        presenter_->flushPanels(status);
    if (!sink_)
        return;
    ReceivedMessage message;
    message.header = header_;
    std::memcpy(message.body.data(), body_, kBodyBytes);
    message.correctedErrors = correctedErrors_;
    message.symbolCount = symbolCount_;
    message.faultCount = faultCount_;
    message.speed = speed_;
    sink_->dispatchReceivedMessage(message);
}

void MessageAssembly::RxText(const char* text)
{
    if (rx_)
        rx_->appendRxText(text);
}

void MessageAssembly::RawLogNewLine()
{
    if (rx_)
        rx_->rawLogNewLine();
}

}  // namespace veltrin
