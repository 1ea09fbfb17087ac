#include "gateway/traccar_client.h"

#include <cstdio>
#include <thread>

#include "config/settings.h"
#include "gateway/sock_work.h"
#include "modem/gps_payload.h"

namespace veltrin {

namespace {

constexpr double kKnotsPerKmh = 0.5399568034557235;
constexpr int kAltitudeUnknownAtOrBelow = -9000;

std::string getRequest(const TraccarServer& server, const std::string& port, const std::string& query)
{
    return "GET " + server.path + query + " HTTP/1.0\r\n"
           "Host: " + server.host + ":" + port + "\r\n"
           "Accept-Type: text/plain\r\n"
           "Accept-Encoding: identity\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\n"
           "Connection: close\r\n"
           "Content-Length: 0\r\n\r\n";
}

}  // namespace

std::optional<std::string> traccarQuery(unsigned sender, const std::uint8_t* payload24)
{
    const GpsPayload gps = GpsPayload::fromBytes(payload24);
    if (gps.fixTime == 0 || !gpsPositionCheckOk(payload24))
        return std::nullopt;
    const double latitude = gps.latitude * kGpsDegreesPerUnit;
    const double longitude = gps.longitude * kGpsDegreesPerUnit;
    const char* prefix = sender >= kFirstDemoSender ? "crvdemo" : "crvg";
    const unsigned long time = gps.fixTime;

    char query[255];
    if (!gpsMotionCheckOk(payload24)) {
        std::snprintf(query, sizeof query, "?id=%s%05u&timestamp=%lu&lat=%.6lf&lon=%.6lf", prefix, sender, time,
                      latitude, longitude);
        return std::string(query);
    }
    const double speed = gps.speed * 0.1 * kKnotsPerKmh;
    const double bearing = gps.course * 0.01;
    const double accuracy = gps.accuracy * 0.1;
    if (gps.altitude > kAltitudeUnknownAtOrBelow)
        std::snprintf(query, sizeof query,
                      "?id=%s%05u&timestamp=%lu&lat=%.6lf&lon=%.6lf&speed=%.1lf&bearing=%.1lf&altitude=%.1lf"
                      "&accuracy=%.1lf",
                      prefix, sender, time, latitude, longitude, speed, bearing, static_cast<double>(gps.altitude),
                      accuracy);
    else
        std::snprintf(query, sizeof query,
                      "?id=%s%05u&timestamp=%lu&lat=%.6lf&lon=%.6lf&speed=%.1lf&bearing=%.1lf&accuracy=%.1lf", prefix,
                      sender, time, latitude, longitude, speed, bearing, accuracy);
    return std::string(query);
}

int TraccarReporter::reportToTraccar(const Settings& settings, const Msg_header& header, const MessageBody& body,
                                     const std::string& /*speedLabel*/, double /*errorRate*/, int /*faultCount*/)
{
    if (settings.TccGateEnabled0 == 0 && settings.TccGateEnabled1 == 0)
        return kTraccarNoServer;
    const unsigned sender = header.sender;
    // Counted before any further test, so refused demo reports count too.
    if (sender >= kFirstDemoSender) {
        if (demoReports_ >= kDemoReportsMax)
            return kTraccarDemoLimit;
        ++demoReports_;
    }
    if (queue_.full())
        return kTraccarQueueFull;
    const std::optional<std::string> query = traccarQuery(sender, body.data());
    if (!query)
        return kTraccarNoPosition;
    queue_.push(*query, static_cast<int>(sender));
    return 0;
}

int sendNextTraccarReport(TraccarQueue& queue, SockWork& sock, const GatewaySettings& settings,
                          const NetLineSink& sink, const ExchangeTiming& timing)
{
    std::string query;
    int sender = 0;
    if (!queue.pop(query, sender))
        return 0;
    char tag[32];
    std::snprintf(tag, sizeof tag, "Traccar crvg%05u", static_cast<unsigned>(sender));

    int accepted = 0;
    for (const TraccarServer& server : settings.traccar) {
        if (!server.enabled)
            continue;
        const std::string port = std::to_string(server.port);
        const std::string request = getRequest(server, port, query);
        bool ok = httpAttempt(sock, server.host, port, request, tag, sink, timing);
        std::this_thread::sleep_for(timing.pause);
        if (!ok) {
            ok = httpAttempt(sock, server.host, port, request, tag, sink, timing);
            std::this_thread::sleep_for(timing.pause);
        }
        if (!ok)
            continue;
        ++accepted;
        std::this_thread::sleep_for(timing.pause);
        if (sink)
            sink(">>> http://" + server.host + ":" + port + server.path + query + "\r\n");
    }
    return accepted;
}

}  // namespace veltrin
