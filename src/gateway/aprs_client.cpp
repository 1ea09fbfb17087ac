#include "gateway/aprs_client.h"

#include <cstdio>
#include <thread>

#include "gateway/sock_work.h"

namespace veltrin {

namespace {

std::string stationTag(int station)
{
    char tag[16];
    std::snprintf(tag, sizeof tag, "CRVG%05u", static_cast<unsigned>(station));
    return tag;
}

std::string postRequest(const std::string& body)
{
    return "POST / HTTP/1.0\r\n"
           "Accept-Type: text/plain\r\n"
           "Accept-Encoding: identity\r\n"
           "Content-Type: application/octet-stream\r\n"
           "Content-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

// A packet is one line: whatever follows a line break would reach APRS-IS as
// a further packet under this gate's login, so it is not sent.
std::string oneLine(const std::string& packet)
{
    return packet.substr(0, packet.find_first_of("\r\n"));
}

}  // namespace

bool enqueueAprsPacket(AprsQueue& queue, const std::string& text, int station)
{
    return queue.push(text, station);
}

std::string aprsSubmissionBody(const std::string& call, int passcode, const std::string& packet)
{
    char body[kAprsBodyMax + 1];
    std::snprintf(body, sizeof body, "user %s pass %d vers CorvaneToVeltrin 1.01 \r\n%s\r\n", call.c_str(), passcode,
                  packet.c_str());
    return body;
}

bool submitNextAprsPacket(AprsQueue& queue, SockWork& sock, const GatewaySettings& settings, const NetLineSink& sink,
                          const ExchangeTiming& timing)
{
    std::string packet;
    int station = 0;
    if (!queue.pop(packet, station))
        return false;
    packet = oneLine(packet);

    const std::string request = postRequest(aprsSubmissionBody(settings.AprsCall, settings.AprsPassword, packet));
    const std::string tag = stationTag(station);
    bool submitted = false;
    for (const std::string* server : {&settings.AprsServer, &settings.AprsServer2, &settings.AprsServer3}) {
        submitted = httpAttempt(sock, *server, settings.aprsPort, request, tag, sink, timing);
        std::this_thread::sleep_for(timing.pause);
        if (submitted)
            break;
    }
    if (!submitted)
        return false;
    std::this_thread::sleep_for(timing.pause);
    if (sink)
        sink(">>> " + packet + "\r\n");
    return true;
}

}  // namespace veltrin
