#include "message_printer.h"

#include <cstdint>
#include <cstdio>

#include "messages/dispatcher.h"
#include "messages/message_content.h"
#include "platform/cp1251.h"

namespace veltrin::decode {

namespace {

// Length of the well-formed UTF-8 sequence starting at s[i], or 0.
std::size_t utf8SequenceAt(const std::string& s, std::size_t i)
{
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (n == 0 || i + n > s.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return 0;
    return n;
}

// File names are bytes: well-formed UTF-8 is copied, any other byte is
// written as the code point of the same value, so every line stays JSON.
// Control characters are escaped, so a message text cannot break the line.
std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (const std::size_t n = c >= 0x80 ? utf8SequenceAt(s, i) : 0; n > 0) {
            out.append(s, i, n);
            i += n - 1;
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
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

const char* jsonBool(bool b)
{
    return b ? "true" : "false";
}

// The values the message file shows, with the fix time always in UTC.
// Coordinates only when the position block is usable, motion only when its
// check holds too.
std::string positionJson(const MessageBody& body)
{
    const GpsReport r = decodeGpsReport(body, true);
    std::string out = "{";
    if (r.quality >= 1) {
        const CalendarTime& f = r.fixTime;
        out += formatText("\"time\":\"%04d-%02d-%02dT%02d:%02d:%02dZ\",\"latitude\":%.10f,\"longitude\":%.10f,",
                          f.year, f.month, f.day, f.hour, f.minute, f.second, r.latitude, r.longitude);
    }
    if (r.quality >= 2) {
        out += formatText("\"speed\":%.1f,\"course\":%.2f,", r.speed, r.course);
        out += r.altitudeKnown() ? formatText("\"altitude\":%d,", r.altitude) : std::string("\"altitude\":null,");
        out += formatText("\"accuracy\":%.1f,", r.accuracy);
    }
    out += std::string("\"positionCrcOk\":") + jsonBool(r.positionCheckOk);
    out += std::string(",\"motionCrcOk\":") + jsonBool(r.motionCheckOk) + "}";
    return out;
}

}  // namespace

// The verdict the dispatcher reaches: a message with faults is never checked.
bool bodyCrcOk(const ReceivedMessage& m)
{
    return m.faultCount == 0 && verifyBodyCrc(m.header, m.body, 0) == 0;
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
    out += std::string(",\"crcOk\":") + jsonBool(bodyCrcOk(m));
    const MessageKind kind = messageKind(h);
    if (kind == MessageKind::Text || kind == MessageKind::Headless || kind == MessageKind::Beacon)
        out += ",\"text\":" + jsonString(cp1251ToUtf8(messageFileText(h, m.body, 0)));
    else if (kind == MessageKind::Gps)
        out += ",\"position\":" + positionJson(m.body);
    return out + "}";
}

std::string messageText(const std::string& file, const ReceivedMessage& m)
{
    const Msg_header& h = m.header;
    char head[200];
    std::snprintf(head, sizeof head,
                  "%s type %u flags %02X from %u to %u #%u len %u %s (%d/%d corrected, %d faults): ",
                  speedLabel(m.speed), h.type, h.flags, h.sender, h.recipient, h.msgNumber,
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
