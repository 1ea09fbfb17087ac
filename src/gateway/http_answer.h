#pragma once
// The HTTP/1.0 exchange both gateway clients make with a server: one
// connection per request, the answer read into a 1025-byte buffer (at most
// 1020 bytes, always NUL-terminated), its status code judged, and one result
// line posted to the receive window.
#include <array>
#include <chrono>
#include <functional>
#include <string>

namespace veltrin {

class SockWork;

inline constexpr int kAnswerMax = 1020;
inline constexpr int kExchangeBufferBytes = 1025;
using ExchangeBuffer = std::array<char, kExchangeBufferBytes>;

// The answer wait: `reads` receives of receiveTimeoutMs each, with `pause`
// after each (also the pause between attempts and before a success line).
struct ExchangeTiming {
    int receiveTimeoutMs = 2000;
    std::chrono::milliseconds pause{100};
    int reads = 20;
};

// Receives one receive-window line (the station posts it to the net ring).
using NetLineSink = std::function<void(const std::string&)>;

// Reads until the end of the header block, more than 1015 bytes, an error or
// the reads run out; then closes the connection (orderly). Returns the byte
// count; buffer holds the bytes and a NUL after them.
int readHttpAnswer(SockWork& sock, ExchangeBuffer& buffer, const ExchangeTiming& timing = {});

// Status code after the first "HTTP/<version>" and a blank or tab; -1 when
// there is no "HTTP/", -2 when the version is not followed by a blank or tab,
// 0 when no number follows.
int parseHttpStatus(const char* answer);

// One attempt at one server: close what is left over, connect, send the
// request, read and judge the answer. Posts exactly one line
// "\r\n>>> <tag> - ...\r\n" to sink; true for an answer code 200..299.
bool httpAttempt(SockWork& sock, const std::string& host, const std::string& port, const std::string& request,
                 const std::string& tag, const NetLineSink& sink, const ExchangeTiming& timing);

}  // namespace veltrin
