#pragma once
// APRS packets in TNC2 text form from received pager messages and from the
// station's own beacons, queued for the network thread.
#include <string>

#include "gateway/packet_ring.h"
#include "messages/gateway_port.h"
#include "modem/msg_header.h"

namespace veltrin {

struct Settings;
struct GpsFix;

// Results of every builder.
inline constexpr int kAprsQueued = 0;
inline constexpr int kAprsGateOff = -100;
inline constexpr int kAprsDemoSender = -101;
inline constexpr int kAprsQueueFull = -102;  // also: custom packets switched off
inline constexpr int kAprsNotUsable = -1;
inline constexpr int kAprsWrongForm = -2;

// The text after the status of a demonstration sender's position.
inline constexpr const char* kDemoComment = " Corvane Demo - https://veltrin.example.org/demo";

// Main thread only. Settings, queue and own fix stay owned by the caller and
// are read at every call.
class AprsPacketBuilder {
public:
    AprsPacketBuilder(const Settings& settings, AprsQueue& queue, const GpsFix& ownFix);

    // The position of a received GPS message as an object named after the
    // sender, or as the position of the call sign its text starts with.
    int gatePositionReport(const Msg_header& header, const MessageBody& body, const std::string& speedLabel,
                           double errorRate, int faultCount);
    // A status from a text starting "#;CALL-SS;".
    int gateStatusReport(const Msg_header& header, const MessageBody& body);
    // The information field written after "#:CALL-SS:".
    int gateCustomPacket(const Msg_header& header, const MessageBody& body);

    // The own beacons, station number 0.
    int sendPositionBeacon();
    int sendStatusBeacon();

private:
    bool queueFull() const;
    int enqueue(const std::string& packet, int station);
    // A packet from "#" delimiter CALL-SS delimiter TEXT: the call sign as
    // source, typeMark and TEXT (within limit) as the information field.
    int gateCallsignText(const Msg_header& header, const MessageBody& body, char delimiter,
                         const char* typeMark, std::size_t limit);
    std::string ownCall() const;

    const Settings& settings_;
    AprsQueue& queue_;
    const GpsFix& ownFix_;
};

}  // namespace veltrin
