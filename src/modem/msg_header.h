#pragma once
// The 12-byte header of every message and the finished message handed from a
// decoder to the dispatcher.
#include <array>
#include <cstdint>

namespace veltrin {

// Fields in host order; fromBytes/toBytes give the little-endian air layout
// whatever the host.
struct Msg_header {
    std::uint8_t type = 0;
    std::uint8_t flags = 0;
    std::uint16_t recipient = 0;
    std::uint16_t sender = 0;
    std::uint8_t msgNumber = 0;
    std::uint8_t length = 0;
    std::uint16_t bodyCrc = 0;
    std::uint16_t headerCrc = 0;

    static Msg_header fromBytes(const std::uint8_t* bytes);
    void toBytes(std::uint8_t* bytes) const;
};

// What the station makes of a message by its header: type 5 is a text,
// type 0 a text whose header was lost, type 6 a GPS position when flag 0x04
// is set and a beacon otherwise.
enum class MessageKind { Text, Headless, Gps, Beacon, Other };
MessageKind messageKind(const Msg_header& header);

constexpr int kMsgHeaderBytes = 12;
constexpr int kBodyBytes = 256;
constexpr std::uint8_t kBodyFiller = 0x95;  // never-received body bytes

struct ReceivedMessage {
    Msg_header header;
    std::array<std::uint8_t, kBodyBytes> body{};
    int correctedErrors = 0;
    int symbolCount = 0;
    int faultCount = 0;
    int speed = 1;
};

// Receives every finished message; the dispatcher implements it.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // The sink may change its copy of the header (headless case).
    virtual void dispatchReceivedMessage(ReceivedMessage message) = 0;
};

}  // namespace veltrin
