#pragma once
// The gateway operations a received message is handed to: the beacon marks
// strip, the Traccar client and the APRS packet builders. They only record
// or queue work; the dispatcher ignores their result codes. The defaults do
// nothing, so storage works before (or without) the gateways.
#include <array>
#include <cstdint>
#include <string>

#include "modem/msg_header.h"

namespace veltrin {

using MessageBody = std::array<std::uint8_t, kBodyBytes>;

class GatewayPort {
public:
    virtual ~GatewayPort() = default;

    // Marks the current ten-minute period; faults 0 = clean message.
    virtual int markBeacon(const Msg_header&, const MessageBody&, int /*faults*/) { return 0; }
    virtual int reportToTraccar(const Msg_header&, const MessageBody&, const std::string& /*speedLabel*/,
                                double /*errorRate*/, int /*faultCount*/)
    {
        return 0;
    }
    virtual int gatePositionReport(const Msg_header&, const MessageBody&, const std::string& /*speedLabel*/,
                                   double /*errorRate*/, int /*faultCount*/)
    {
        return 0;
    }
    virtual int gateStatusReport(const Msg_header&, const MessageBody&) { return 0; }
    virtual int gateCustomPacket(const Msg_header&, const MessageBody&) { return 0; }
};

}  // namespace veltrin
