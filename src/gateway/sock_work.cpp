#include "gateway/sock_work.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace veltrin {

namespace {

using Clock = std::chrono::steady_clock;

// Dotted address first, so that "127.0.0.1" never goes to the resolver.
// getaddrinfo rather than gethostbyname: the latter's static result is not
// safe beside other threads that resolve names.
bool resolveHost(const char* host, in_addr& address)
{
    if (host == nullptr)
        return false;
    if (inet_pton(AF_INET, host, &address) == 1)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    bool ok = false;
    if (found->ai_addr != nullptr && found->ai_addrlen >= sizeof(sockaddr_in)) {
        address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
        ok = true;
    }
    freeaddrinfo(found);
    return ok;
}

// A number in any C base when it is the whole text (and a real port: an
// empty text or 70000 is not silently turned into some other port), else a
// TCP service name.
bool resolvePort(const char* port, std::uint16_t& networkPort)
{
    if (port == nullptr)
        return false;
    errno = 0;
    char* end = nullptr;
    const long number = std::strtol(port, &end, 0);
    if (end != port && *end == '\0') {
        if (errno != 0 || number < 0 || number > 65535)
            return false;
        networkPort = htons(static_cast<std::uint16_t>(number));
        return true;
    }
    servent entry{};
    servent* result = nullptr;
    char scratch[1024];
    if (getservbyname_r(port, "tcp", &entry, scratch, sizeof scratch, &result) != 0 || result == nullptr)
        return false;
    networkPort = static_cast<std::uint16_t>(result->s_port);
    return true;
}

int toPollMs(Clock::duration left)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, INT_MAX));
}

// poll() rather than select(): select cannot watch a descriptor at or above
// FD_SETSIZE without writing past its fd_set. Interrupted waits go on with
// the time that is left. >0 ready, 0 time-out, <0 failure.
int waitFor(int fd, short events, Clock::duration limit)
{
    const auto deadline = Clock::now() + limit;
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, toPollMs(deadline - Clock::now()));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return r;
        // Error and hang-up count as readable/writable: the following call
        // reports what happened.
        return 1;
    }
}

timeval toTimeval(std::chrono::milliseconds ms)
{
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(ms.count() / 1000);
    tv.tv_usec = static_cast<suseconds_t>((ms.count() % 1000) * 1000);
    return tv;
}

}  // namespace

SockWork::~SockWork()
{
    if (sock_ != -1)
        ::close(sock_);
}

int SockWork::fail(int bit)
{
    if (sock_ != -1) {
        ::close(sock_);
        sock_ = -1;
    }
    errorBits_ |= static_cast<std::uint32_t>(bit);
    return bit;
}

int SockWork::Connect(const char* host, const char* port)
{
    errorBits_ = 0;
    // A socket left over by a caller that skipped Close would otherwise leak.
    if (sock_ != -1) {
        ::close(sock_);
        sock_ = -1;
    }

    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (!resolveHost(host, address.sin_addr))
        return fail(kUnknownHost);
    if (!resolvePort(port, address.sin_port))
        return fail(kUnknownPort);

    sock_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (sock_ == -1)
        return fail(kNoSocketCreated);
    if (connectBounded(&address, sizeof address) != 0)
        return fail(kConnectFailed);
    return 0;
}

// Non-blocking connect with our own limit (the platform's can be minutes for
// an address that never answers), then back to blocking mode with a send
// limit, so that a peer that stops reading cannot hold SendAll forever.
int SockWork::connectBounded(const void* address, std::size_t addressLength)
{
    const int flags = ::fcntl(sock_, F_GETFL, 0);
    if (flags == -1 || ::fcntl(sock_, F_SETFL, flags | O_NONBLOCK) == -1)
        return -1;
    if (::connect(sock_, static_cast<const sockaddr*>(address), static_cast<socklen_t>(addressLength)) != 0) {
        if (errno != EINPROGRESS && errno != EINTR)
            return -1;
        if (waitFor(sock_, POLLOUT, limits_.connect) <= 0)
            return -1;
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(sock_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return -1;
    }
    if (::fcntl(sock_, F_SETFL, flags & ~O_NONBLOCK) == -1)
        return -1;
    // At least 1 ms: a zero time-out would mean "no limit" to the platform.
    const timeval sendLimit = toTimeval(std::max(limits_.send, std::chrono::milliseconds(1)));
    ::setsockopt(sock_, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
    return 0;
}

int SockWork::SendAll(const void* data, std::size_t length)
{
    if (sock_ == -1) {
        errorBits_ |= kSendWithoutSocket;
        return kSendWithoutSocket;
    }
    if (errorBits_ != 0)
        return static_cast<int>(errorBits_);
    const char* next = static_cast<const char*>(data);
    while (length > 0) {
        // MSG_NOSIGNAL: a peer that has gone must give an error, not SIGPIPE.
        const ssize_t sent = ::send(sock_, next, length, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return fail(kSendFailed);
        next += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return 0;
}

int SockWork::ReceiveSome(void* buffer, int capacity, int timeoutMs, std::int32_t& received)
{
    if (sock_ == -1) {
        errorBits_ |= kReceiveWithoutSocket;
        return kReceiveWithoutSocket;
    }
    if (errorBits_ != 0)
        return static_cast<int>(errorBits_);
    received = 0;
    // recv into no room would read as "peer closed"; there is nothing to do.
    if (buffer == nullptr || capacity <= 0)
        return 0;

    const int ready = waitFor(sock_, POLLIN, std::chrono::milliseconds(std::max(timeoutMs, 0)));
    if (ready < 0)
        return fail(kWaitFailed);
    if (ready == 0)
        return 0;

    ssize_t got;
    do
        got = ::recv(sock_, buffer, static_cast<std::size_t>(capacity), 0);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return fail(kReceiveFailed);
    if (got == 0) {
        ::shutdown(sock_, SHUT_WR);
        return fail(kPeerClosed);
    }
    received = static_cast<std::int32_t>(got);
    return 0;
}

void SockWork::Close()
{
    if (sock_ == -1)
        return;
    ::shutdown(sock_, SHUT_WR);
    // An HTTP/1.0 server closes after its answer; one that does not, or that
    // keeps sending, is given up on at the drain limits.
    const auto deadline = Clock::now() + limits_.drain;
    std::size_t drained = 0;
    char scrap[16];
    while (drained < limits_.drainBytes) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero() || waitFor(sock_, POLLIN, left) <= 0)
            break;
        const ssize_t got = ::recv(sock_, scrap, sizeof scrap, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        drained += static_cast<std::size_t>(got);
    }
    ::close(sock_);
    sock_ = -1;
}

}  // namespace veltrin
