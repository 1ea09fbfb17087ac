#include "gateway/network_cycle.h"

#include <utility>

#include "gateway/aprs_client.h"
#include "gateway/traccar_client.h"

namespace veltrin {

NetworkCycle::NetworkCycle(SockWork& sock, AprsQueue& aprs, TraccarQueue& traccar,
                           const GatewaySettingsSnapshot& settings, NetLineSink sink, ExchangeTiming timing)
    : sock_(sock), aprs_(aprs), traccar_(traccar), settings_(settings), sink_(std::move(sink)), timing_(timing)
{
}

void NetworkCycle::run()
{
    if (traccar_.empty() && aprs_.empty())
        return;
    // Raised before anything leaves a queue, so that an observer who finds
    // the queues empty and then reads busy() cannot miss this cycle.
    busy_.store(true);
    struct Lower {
        std::atomic<bool>& flag;
        ~Lower() { flag.store(false); }
    } lower{busy_};

    const GatewaySettings settings = settings_.get();
    if (!traccar_.empty())
        sendNextTraccarReport(traccar_, sock_, settings, sink_, timing_);
    if (!aprs_.empty())
        submitNextAprsPacket(aprs_, sock_, settings, sink_, timing_);
}

bool NetworkCycle::idle() const
{
    // Queues first, then the flag (see run()).
    if (!traccar_.empty() || !aprs_.empty())
        return false;
    return !busy_.load();
}

}  // namespace veltrin
