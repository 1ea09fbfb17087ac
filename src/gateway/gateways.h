#pragma once
// The station's gateways in one place: the two queues, the APRS packet
// builders, the Traccar reporter, the beacon marks, the own fix and the
// network thread's cycle. Received messages reach them through the
// dispatcher's GatewayPort; the own beacons through the two beacon messages.
// Everything but networkCycle() runs on the main thread.
#include <string>

#include "gateway/aprs_packets.h"
#include "gateway/beacon_marks.h"
#include "gateway/gateway_settings.h"
#include "gateway/network_cycle.h"
#include "gateway/packet_ring.h"
#include "gateway/traccar_client.h"
#include "gps/gps_fix.h"
#include "messages/gateway_port.h"

namespace veltrin {

struct Settings;
class SockWork;

class Gateways : public GatewayPort {
public:
    // settings: the station's, read live by the builders; the network thread
    // sees them only through publishSettings().
    Gateways(const Settings& settings, SockWork& sock, NetLineSink lines, ExchangeTiming timing = {});

    // Start-up, before the network thread runs: empty queues.
    void clearQueues();
    // The settings the network thread uses from its next cycle on (after
    // loading them and after every Apply of the setup dialog).
    void publishSettings();
    // The own position from the default coordinates and the current time.
    void initOwnFix();
    void loadBeaconMarks(const std::string& path = kBeaconMarksFile) { marks_.load(path); }

    // GatewayPort: the dispatcher's calls.
    int markBeacon(const Msg_header& header, const MessageBody& body, int faults) override;
    int reportToTraccar(const Msg_header& header, const MessageBody& body, const std::string& speedLabel,
                        double errorRate, int faultCount) override;
    int gatePositionReport(const Msg_header& header, const MessageBody& body, const std::string& speedLabel,
                           double errorRate, int faultCount) override;
    int gateStatusReport(const Msg_header& header, const MessageBody& body) override;
    int gateCustomPacket(const Msg_header& header, const MessageBody& body) override;

    // WM_SEND_POSITION_BEACON, WM_SEND_STATUS_BEACON.
    int sendPositionBeacon() { return builder_.sendPositionBeacon(); }
    int sendStatusBeacon() { return builder_.sendStatusBeacon(); }

    // The network thread's work, one cycle (Traccar first, then APRS-IS).
    void networkCycle() { cycle_.run(); }
    // Nothing queued and no exchange running.
    bool idle() const { return cycle_.idle(); }

    AprsQueue& aprsQueue() { return aprs_; }
    TraccarQueue& traccarQueue() { return traccar_; }
    BeaconMarks& beaconMarks() { return marks_; }
    GpsFix& ownFix() { return ownFix_; }

private:
    const Settings& settings_;
    AprsQueue aprs_;
    TraccarQueue traccar_;
    GatewaySettingsSnapshot snapshot_;
    GpsFix ownFix_{};
    BeaconMarks marks_;
    AprsPacketBuilder builder_;
    TraccarReporter reporter_;
    NetworkCycle cycle_;
};

}  // namespace veltrin
