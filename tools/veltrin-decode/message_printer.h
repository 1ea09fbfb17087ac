#pragma once
// Prints one line per finished message (text or JSON) and hands the message
// on to the next sink, if there is one.
#include <cstdio>
#include <functional>
#include <string>

#include "modem/msg_header.h"

namespace veltrin::decode {

// True when the decoder counted no fault and the body CRC matches.
bool bodyCrcOk(const ReceivedMessage& message);

// The JSON object of a message (one line, no line end).
std::string messageJson(const std::string& file, const ReceivedMessage& message);
// The text line of a message (no line end).
std::string messageText(const std::string& file, const ReceivedMessage& message);

class MessagePrinter : public MessageSink {
public:
    MessagePrinter(std::FILE* out, bool json) : out_(out), json_(json) {}

    void setFile(const std::string& file) { file_ = file; }
    void setNext(MessageSink* next) { next_ = next; }
    // Runs before each line is printed (clears a progress line).
    void setBeforePrint(std::function<void()> hook) { beforePrint_ = std::move(hook); }
    int printed() const { return printed_; }

    void dispatchReceivedMessage(ReceivedMessage message) override;

private:
    std::FILE* out_;
    bool json_;
    std::string file_;
    MessageSink* next_ = nullptr;
    std::function<void()> beforePrint_;
    int printed_ = 0;
};

}  // namespace veltrin::decode
