#pragma once
// Shared pieces of the gateway tests: short time limits (a silent server
// costs milliseconds, not 42 s), a stopwatch for "does not hang" bounds, and
// a server set on one port at 127.0.0.1, 127.0.0.2 and 127.0.0.3.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "gateway/http_answer.h"
#include "gateway/sock_work.h"
#include "loopback_server.h"

namespace veltrin::test {

using namespace std::chrono_literals;

// Generous: only a hang (or a wait at a platform limit) goes past this.
inline constexpr auto kNoHangBound = 15s;

inline SockWork::Limits fastLimits()
{
    SockWork::Limits limits;
    limits.connect = 3000ms;
    limits.send = 3000ms;
    limits.drain = 200ms;
    limits.drainBytes = 16 * 1024;
    return limits;
}

// Answers normally arrive at once; only silent servers use the time-outs.
inline ExchangeTiming fastTiming()
{
    ExchangeTiming timing;
    timing.receiveTimeoutMs = 100;
    timing.pause = 1ms;
    timing.reads = 3;
    return timing;
}

inline const std::string kPlainRequest = "GET / HTTP/1.0\r\n\r\n";

// A server following `script` and a SockWork connected to it that has sent
// kPlainRequest (when asked to); ready tells whether all of that worked.
struct Exchange {
    explicit Exchange(std::vector<Reply> script, const SockWork::Limits& limits = fastLimits(), bool send = true)
        : server(std::move(script))
    {
        sock.setLimits(limits);
        ready = server.ok() && sock.Connect("127.0.0.1", server.portText()) == 0 &&
                (!send || sock.SendAll(kPlainRequest.data(), kPlainRequest.size()) == 0);
    }
    LoopbackServer server;
    SockWork sock;
    bool ready = false;
};

class Stopwatch {
public:
    std::chrono::steady_clock::duration elapsed() const { return std::chrono::steady_clock::now() - start_; }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Servers at 127.0.0.1, .2, .3 that share one port (the APRS port is one
// for all three servers). Tries a few ports in case one is taken on .2/.3.
inline std::vector<std::unique_ptr<LoopbackServer>> serversOnOnePort(const std::vector<std::vector<Reply>>& scripts)
{
    for (int tries = 0; tries < 20; ++tries) {
        std::vector<std::unique_ptr<LoopbackServer>> servers;
        servers.push_back(std::make_unique<LoopbackServer>(scripts[0], "127.0.0.1"));
        bool ok = servers[0]->ok();
        for (std::size_t i = 1; ok && i < scripts.size(); ++i) {
            servers.push_back(
                std::make_unique<LoopbackServer>(scripts[i], "127.0.0." + std::to_string(i + 1), servers[0]->port()));
            ok = servers.back()->ok();
        }
        if (ok)
            return servers;
    }
    return {};
}

}  // namespace veltrin::test
