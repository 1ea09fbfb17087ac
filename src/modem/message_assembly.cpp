// Blocks into messages: a header opens a message (or reports an
// acknowledgement), data blocks fill the body, and every irregularity is
// counted in faultCount for the dispatcher.
#include <cstdio>
#include <cstring>

#include "messages/rx_text_sink.h"
#include "modem/ifsk16_decoder.h"
#include "platform/ui_ports.h"

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

void TIfsk16Decoder::StartMessage(const std::uint8_t bytes[kBlockBytes], int errors)
{
    if (msgState_ != 0 && bodyCount_ > 0) {
        ++faultCount_;
        HandOn();
    }
    symbolCount_ = kBlockSymbols;
    correctedErrors_ = errors;
    header_ = Msg_header::fromBytes(bytes);

    if (header_.type == kTypeAck) {
        RxText("{ack}");
        RawLogNewLine();
        SetPanel(kPanelReception, "Ack ...");
        SetPanel(kPanelResult, " ");
        HandleAck();
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
        SetPanel(kPanelReception, "Message ...");
        RxText("{start}");
    } else if (header_.type == kTypePosition) {
        if (header_.flags & kFlagGps) {
            SetPanel(kPanelReception, "GPS ...");
            RxText("{gps}");
        } else {
            SetPanel(kPanelReception, "Beacon ...");
            RxText("{beacon}");
        }
        RawLogNewLine();
    }
    SetPanel(kPanelResult, " ");
    faultCount_ = 0;
    msgState_ = 1;
    lastBlockSymbol_ = symbolClock_;
    std::memset(body_, kBodyFiller, sizeof body_);
    bodyCount_ = 0;
    messageTimeout_ = ((header_.length + 11) / 12) * kHopsPerBlock + kTimeoutSlack;
}

void TIfsk16Decoder::AppendBlock(bool last, bool weak, int errors)
{
    if (links_.rx) {
        for (std::uint8_t b : block_)
            links_.rx->putRxChar(b < 0x20 ? '_' : b);
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
        SetPanel(kPanelReception, "Headless message ...");
        SetPanel(kPanelResult, " ");
        header_ = Msg_header{};
        header_.length = kMaxBody;
        lastBlockSymbol_ = symbolClock_ - kBlockSymbols;
        std::memset(body_, kBodyFiller, sizeof body_);
        messageTimeout_ = kHeadlessTimeout;
    } else {
        symbolCount_ += kBlockSymbols;
        correctedErrors_ += errors;
        if (weak)
            ++faultCount_;
    }

    if (bodyCount_ > kMaxBody - kBlockBytes) {
        FinishMessage();
        return;
    }

    // Blocks missed since the previous one keep their filler bytes.
    const int gap = symbolClock_ - lastBlockSymbol_;
    lastBlockSymbol_ = symbolClock_;
    if (gap > 100) {
        int r = gap - kBlockSymbols;
        while (r > 40) {
            r -= kBlockSymbols;
            ++faultCount_;
            bodyCount_ += kBlockBytes;
            if (bodyCount_ >= kMaxBody) {
                FinishMessage();
                return;
            }
        }
        if (bodyCount_ > kMaxBody - kBlockBytes) {
            FinishMessage();
            return;
        }
    }

    std::memcpy(body_ + bodyCount_, block_, kBlockBytes);
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
        HandOn();
        msgState_ = 0;
        messageTimeout_ = 0;
    }
}

void TIfsk16Decoder::FinishMessage()
{
    ++faultCount_;
    HandOn();
    msgState_ = 0;
    messageTimeout_ = 0;
}

void TIfsk16Decoder::HandleAck()
{
    const char* text = "Got Invalid ACK";
    if (header_.flags == 0xA5)
        text = "Got Positive ACK";
    else if (header_.flags == 0xAA)
        text = "Got Negative ACK";
    SetPanel(kPanelResult, text);
}

void TIfsk16Decoder::HandOn()
{
    if (!links_.sink)
        return;
    ReceivedMessage message;
    message.header = header_;
    std::memcpy(message.body.data(), body_, kBodyBytes);
    message.correctedErrors = correctedErrors_;
    message.symbolCount = symbolCount_;
    message.faultCount = faultCount_;
    message.speed = speed_;
    links_.sink->dispatchReceivedMessage(message);
}

}  // namespace veltrin
