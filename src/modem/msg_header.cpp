#include "modem/msg_header.h"

#include "platform/little_endian.h"

namespace veltrin {

namespace {
constexpr std::uint8_t kTypeHeadless = 0;
constexpr std::uint8_t kTypeText = 5;
constexpr std::uint8_t kTypePosition = 6;
constexpr std::uint8_t kFlagGps = 0x04;
}  // namespace

MessageKind messageKind(const Msg_header& h)
{
    switch (h.type) {
    case kTypeHeadless: return MessageKind::Headless;
    case kTypeText: return MessageKind::Text;
    case kTypePosition: return (h.flags & kFlagGps) ? MessageKind::Gps : MessageKind::Beacon;
    default: return MessageKind::Other;
    }
}

Msg_header Msg_header::fromBytes(const std::uint8_t* b)
{
    Msg_header h;
    h.type = b[0];
    h.flags = b[1];
    h.recipient = le16(b + 2);
    h.sender = le16(b + 4);
    h.msgNumber = b[6];
    h.length = b[7];
    h.bodyCrc = le16(b + 8);
    h.headerCrc = le16(b + 10);
    return h;
}

void Msg_header::toBytes(std::uint8_t* b) const
{
    b[0] = type;
    b[1] = flags;
    putLe16(b + 2, recipient);
    putLe16(b + 4, sender);
    b[6] = msgNumber;
    b[7] = length;
    putLe16(b + 8, bodyCrc);
    putLe16(b + 10, headerCrc);
}

}  // namespace veltrin
