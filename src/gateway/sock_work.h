#pragma once
// SockWork: the one small blocking TCP client all internet traffic of the
// station goes through. One connection per request: Connect, SendAll,
// ReceiveSome until the answer is in, Close. It knows nothing of HTTP.
//
// The first failure on a connection makes the instance unusable (sticky
// errorBits) until the next Connect; every failure on an open socket also
// closes it, so no socket is ever left open after an error.
//
// No lock: one thread at a time (the network thread while it runs, the main
// thread for the last Close at shutdown).
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace veltrin {

class SockWork {
public:
    // The error values; errorBits() is a combination of them.
    enum : int {
        kNeverConnected = 1,
        kUnknownHost = 2,
        kUnknownPort = 4,
        kNoSocketCreated = 8,
        kConnectFailed = 16,
        kSendWithoutSocket = 32,
        kSendFailed = 64,
        kReceiveWithoutSocket = 128,
        kWaitFailed = 256,
        kReceiveFailed = 512,
        kPeerClosed = 1024,
    };

    // Bounds on what the platform would otherwise let run for minutes: a
    // connect to a black-holed address, a send to a peer that never reads,
    // and the drain of Close for a server that keeps its side open.
    struct Limits {
        std::chrono::milliseconds connect{10000};
        std::chrono::milliseconds send{10000};
        std::chrono::milliseconds drain{2000};
        std::size_t drainBytes = 64 * 1024;
    };

    SockWork() = default;
    ~SockWork();
    SockWork(const SockWork&) = delete;
    SockWork& operator=(const SockWork&) = delete;

    // host: dotted IPv4 address or name (first IPv4 address of the lookup);
    // port: a C integer literal ("8080", "0x1F90", "010") or a TCP service
    // name. Returns 0 or 2, 4, 8, 16.
    int Connect(const char* host, const char* port);
    int Connect(const std::string& host, const std::string& port)
    {
        return Connect(host.c_str(), port.c_str());
    }

    // 0 when all bytes went out, else 32, 64 or the sticky errorBits.
    int SendAll(const void* data, std::size_t length);

    // Waits at most timeoutMs for data and receives up to capacity bytes
    // (not terminated). 0 with received = 0 on a time-out, the connection
    // stays open. Else 128, 256, 512, 1024 or the sticky errorBits.
    int ReceiveSome(void* buffer, int capacity, int timeoutMs, std::int32_t& received);

    // Orderly close: end of request to the peer, discard what still comes
    // (within the drain limits), close. errorBits stays as it is.
    void Close();

    std::uint32_t errorBits() const { return errorBits_; }
    bool hasSocket() const { return sock_ != -1; }

    const Limits& limits() const { return limits_; }
    void setLimits(const Limits& limits) { limits_ = limits; }

private:
    int fail(int bit);  // closes the socket, sets the bit, returns it
    int connectBounded(const void* address, std::size_t addressLength);

    int sock_ = -1;
    std::uint32_t errorBits_ = kNeverConnected;
    Limits limits_;
};

}  // namespace veltrin
