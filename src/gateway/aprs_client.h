#pragma once
// The APRS-IS gate: submit-only, one HTTP POST per packet to port 8080 of
// the first of three servers that takes it; no connection is kept between
// packets. Every attempt leaves one receive-window line, a submitted packet
// one more.
#include <string>

#include "gateway/gateway_settings.h"
#include "gateway/http_answer.h"
#include "gateway/packet_ring.h"

namespace veltrin {

class SockWork;

inline constexpr int kAprsBodyMax = 510;

// Main thread (the packet builders). False, nothing queued, when 14 wait.
bool enqueueAprsPacket(AprsQueue& queue, const std::string& text, int station);

// The submission body: login line (ending in a blank) and packet line, cut
// to 510 characters.
std::string aprsSubmissionBody(const std::string& call, int passcode, const std::string& packet);

// Network thread: takes the oldest packet off the queue and submits it to
// AprsServer, AprsServer2, AprsServer3 in turn until one answers 2xx. The
// packet is gone from the queue whatever happens. True when a server took it;
// false also when the queue was empty.
bool submitNextAprsPacket(AprsQueue& queue, SockWork& sock, const GatewaySettings& settings, const NetLineSink& sink,
                          const ExchangeTiming& timing = {});

}  // namespace veltrin
