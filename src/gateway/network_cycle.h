#pragma once
// One cycle of the network thread: the oldest Traccar query (to each enabled
// server), then the oldest APRS packet. The worker thread calls run() about
// every 200 ms; an exchange that has started always runs to its end.
#include <atomic>

#include "gateway/gateway_settings.h"
#include "gateway/http_answer.h"
#include "gateway/packet_ring.h"

namespace veltrin {

class SockWork;

class NetworkCycle {
public:
    NetworkCycle(SockWork& sock, AprsQueue& aprs, TraccarQueue& traccar, const GatewaySettingsSnapshot& settings,
                 NetLineSink sink, ExchangeTiming timing = {});

    // Network thread. Reads the settings once per cycle.
    void run();

    // Any thread: a cycle is sending right now.
    bool busy() const { return busy_.load(); }
    // Any thread: nothing queued and nothing being sent. Reliable for the
    // main thread when it queues nothing more meanwhile (the shutdown wait).
    bool idle() const;

private:
    SockWork& sock_;
    AprsQueue& aprs_;
    TraccarQueue& traccar_;
    const GatewaySettingsSnapshot& settings_;
    NetLineSink sink_;
    ExchangeTiming timing_;
    std::atomic<bool> busy_{false};
};

}  // namespace veltrin
