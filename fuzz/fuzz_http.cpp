// HTTP answers from a server that sends arbitrary bytes: the answer read
// through a real socket on 127.0.0.1 into the 1025-byte buffer, then judged.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "gateway/http_answer.h"
#include "gateway/sock_work.h"

using namespace veltrin;

namespace {

// One listening socket for the whole run; its port as text.
int listener(std::string& port)
{
    static int fd = -1;
    static std::string text;
    if (fd < 0) {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, 4) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            __builtin_trap();
        text = std::to_string(ntohs(a.sin_port));
    }
    port = text;
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The status line parser on the raw bytes up to the first NUL.
    const std::string raw(reinterpret_cast<const char*>(data), size);
    parseHttpStatus(raw.c_str());

    std::string port;
    const int server = listener(port);
    SockWork sock;
    if (sock.Connect("127.0.0.1", port) != 0)
        return 0;
    const int peer = ::accept(server, nullptr, nullptr);
    if (peer < 0)
        __builtin_trap();
    // The answer is written whole before it is read (inputs are far below
    // the socket buffer), then the server closes: every read finds bytes or
    // the end, so no wait is spent.
    std::size_t sent = 0;
    while (sent < size) {
        const ssize_t n = ::send(peer, data + sent, size - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    ::close(peer);

    ExchangeBuffer buffer;
    buffer.fill('Z');
    ExchangeTiming timing;
    timing.receiveTimeoutMs = 200;
    timing.pause = std::chrono::milliseconds(0);
    const int n = readHttpAnswer(sock, buffer, timing);
    VELTRIN_FUZZ_CHECK(n >= 0 && n <= kAnswerMax);
    VELTRIN_FUZZ_CHECK(buffer[static_cast<std::size_t>(n)] == '\0');
    VELTRIN_FUZZ_CHECK(buffer[kExchangeBufferBytes - 1] == 'Z');
    VELTRIN_FUZZ_CHECK(!sock.hasSocket());
    VELTRIN_FUZZ_CHECK(std::memcmp(buffer.data(), data, static_cast<std::size_t>(n)) == 0);
    parseHttpStatus(buffer.data());
    return 0;
}
