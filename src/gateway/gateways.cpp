#include "gateway/gateways.h"

#include "config/settings.h"

namespace veltrin {

Gateways::Gateways(const Settings& settings, SockWork& sock, NetLineSink lines, ExchangeTiming timing)
    : settings_(settings),
      builder_(settings, aprs_, ownFix_),
      reporter_(traccar_),
      cycle_(sock, aprs_, traccar_, snapshot_, std::move(lines), timing)
{
}

void Gateways::clearQueues()
{
    aprs_.clear();
    traccar_.clear();
}

void Gateways::publishSettings()
{
    snapshot_.set(gatewaySettingsOf(settings_));
}

void Gateways::initOwnFix()
{
    veltrin::initOwnFix(ownFix_, settings_.DefLat, settings_.DefLon);
}

int Gateways::markBeacon(const Msg_header& header, const MessageBody& body, int faults)
{
    return marks_.markBeacon(header, body, faults);
}

int Gateways::reportToTraccar(const Msg_header& header, const MessageBody& body, const std::string& speedLabel,
                              double errorRate, int faultCount)
{
    return reporter_.reportToTraccar(settings_, header, body, speedLabel, errorRate, faultCount);
}

int Gateways::gatePositionReport(const Msg_header& header, const MessageBody& body, const std::string& speedLabel,
                                 double errorRate, int faultCount)
{
    return builder_.gatePositionReport(header, body, speedLabel, errorRate, faultCount);
}

int Gateways::gateStatusReport(const Msg_header& header, const MessageBody& body)
{
    return builder_.gateStatusReport(header, body);
}

int Gateways::gateCustomPacket(const Msg_header& header, const MessageBody& body)
{
    return builder_.gateCustomPacket(header, body);
}

}  // namespace veltrin
