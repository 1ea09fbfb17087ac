#include "message_printer.h"

#include <cstdint>

#include "modem/crc16.h"

namespace veltrin::decode {

namespace {

const char* speedLabelOf(int speed)
{
    switch (speed) {
    case 4: return "5.9Bd";
    case 16: return "23Bd";
    case 32: return "47Bd";
    default: return "1.5Bd";
    }
}

std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string hexBody(const ReceivedMessage& m)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (int i = 0; i < m.header.length; ++i) {
        const std::uint8_t b = m.body[static_cast<std::size_t>(i)];
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

// Printable ASCII as it is, everything else (Windows-1251 letters, binary
// positions) as \xNN, so that a terminal shows the line unharmed.
std::string visibleBody(const ReceivedMessage& m)
{
    std::string out;
    for (int i = 0; i < m.header.length; ++i) {
        const std::uint8_t b = m.body[static_cast<std::size_t>(i)];
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out += static_cast<char>(b);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", b);
            out += buf;
        }
    }
    return out;
}

}  // namespace

bool bodyCrcOk(const ReceivedMessage& m)
{
    return m.faultCount == 0 && crc16(m.body.data(), m.header.length) == m.header.bodyCrc;
}

std::string messageJson(const std::string& file, const ReceivedMessage& m)
{
    const Msg_header& h = m.header;
    std::string out = "{\"file\":" + jsonString(file);
    auto field = [&](const char* key, long value) { out += ",\"" + std::string(key) + "\":" + std::to_string(value); };
    field("speed", m.speed);
    field("type", h.type);
    field("flags", h.flags);
    field("recipient", h.recipient);
    field("sender", h.sender);
    field("msgNumber", h.msgNumber);
    field("length", h.length);
    field("bodyCrc", h.bodyCrc);
    out += ",\"body\":\"" + hexBody(m) + "\"";
    field("correctedErrors", m.correctedErrors);
    field("symbolCount", m.symbolCount);
    field("faultCount", m.faultCount);
    out += std::string(",\"crcOk\":") + (bodyCrcOk(m) ? "true" : "false") + "}";
    return out;
}

std::string messageText(const std::string& file, const ReceivedMessage& m)
{
    const Msg_header& h = m.header;
    char head[200];
    std::snprintf(head, sizeof head,
                  "%s type %u flags %02X from %u to %u #%u len %u %s (%d/%d corrected, %d faults): ",
                  speedLabelOf(m.speed), h.type, h.flags, h.sender, h.recipient, h.msgNumber,
                  h.length, bodyCrcOk(m) ? "CRC OK" : "CRC ERROR", m.correctedErrors, m.symbolCount,
                  m.faultCount);
    return file + ": " + head + visibleBody(m);
}

void MessagePrinter::dispatchReceivedMessage(ReceivedMessage message)
{
    if (beforePrint_)
        beforePrint_();
    const std::string line = json_ ? messageJson(file_, message) : messageText(file_, message);
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
    ++printed_;
    if (next_)
        next_->dispatchReceivedMessage(message);
}

}  // namespace veltrin::decode
