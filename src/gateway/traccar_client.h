#pragma once
// Reports of received GPS positions to up to two Traccar servers: an HTTP
// GET whose query carries device id, fix time and position. The main thread
// builds and queues the query; the network thread sends each queued query to
// every enabled server, with one retry each.
#include <optional>
#include <string>

#include "gateway/gateway_settings.h"
#include "gateway/http_answer.h"
#include "gateway/packet_ring.h"
#include "messages/gateway_port.h"

namespace veltrin {

class SockWork;
struct Settings;

inline constexpr int kTraccarNoServer = -100;
inline constexpr int kTraccarDemoLimit = -101;
inline constexpr int kTraccarQueueFull = -102;
inline constexpr int kTraccarNoPosition = -1;
inline constexpr unsigned kFirstDemoSender = 65000;
inline constexpr int kDemoReportsMax = 501;  // per run

// The query for a 24-byte GPS payload from `sender`, or nothing when the
// payload holds no usable position (fix time 0 or position check wrong).
// A damaged motion block only leaves out speed, bearing, altitude, accuracy.
std::optional<std::string> traccarQuery(unsigned sender, const std::uint8_t* payload24);

// Main thread: queues the reports; it counts the demo senders' reports.
class TraccarReporter {
public:
    explicit TraccarReporter(TraccarQueue& queue) : queue_(queue) {}

    // 0 queued, -100 no server enabled, -101 demo limit reached, -102 queue
    // full, -1 no usable position. Only the header's sender and the body are
    // used: a position is reported whatever the body check says.
    int reportToTraccar(const Settings& settings, const Msg_header& header, const MessageBody& body,
                        const std::string& speedLabel, double errorRate, int faultCount);

    int demoReports() const { return demoReports_; }

private:
    TraccarQueue& queue_;
    int demoReports_ = 0;
};

// Network thread: takes the oldest query off the queue and sends it to each
// enabled server (of the settings now). Returns how many servers took it;
// 0 also when the queue was empty.
int sendNextTraccarReport(TraccarQueue& queue, SockWork& sock, const GatewaySettings& settings,
                          const NetLineSink& sink, const ExchangeTiming& timing = {});

}  // namespace veltrin
