#include "audio/udp_audio_source.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace veltrin {

namespace {

constexpr int kPollMilliseconds = 100;
// Datagrams taken per wake-up before the stop flag is looked at again.
constexpr int kDatagramsPerWakeUp = 64;
// A second or so of audio in the kernel, for when the thread is held up.
constexpr int kReceiveBufferBytes = 1 << 20;

}  // namespace

UdpAudioSource::UdpAudioSource(const AudioSourceSpec& where, const AudioSourceOptions& options)
    : AudioSourceThread(options, Flow::Live), where_(where), name_(audioSourceText(where))
{
}

UdpAudioSource::UdpAudioSource(int boundSocket, const AudioSourceOptions& options)
    : AudioSourceThread(options, Flow::Live), name_("udp socket"), fd_(boundSocket), adopted_(true)
{
}

UdpAudioSource::~UdpAudioSource()
{
    stop();
}

std::string UdpAudioSource::open()
{
    if (opened_)
        return {};
    if (adopted_) {
        if (fd_ < 0 || ::fcntl(fd_, F_GETFD) < 0)
            return name_ + ": the socket is closed";
        opened_ = true;
        return {};
    }
    sockaddr_storage address{};
    socklen_t length = 0;
    if (where_.port < 0 || where_.port > 65535)
        return name_ + ": bad UDP port " + std::to_string(where_.port);
    const auto port = htons(static_cast<std::uint16_t>(where_.port));
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (inet_pton(AF_INET, where_.address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = port;
        length = sizeof *v4;
    } else if (inet_pton(AF_INET6, where_.address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = port;
        length = sizeof *v6;
    } else {
        return name_ + ": bad address " + where_.address;
    }
    const int fd = ::socket(address.ss_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return name_ + ": cannot make a UDP socket: " + errorText(errno);
    // No SO_REUSEADDR: a port that another program uses must be reported,
    // not shared with it.
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof kReceiveBufferBytes);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) < 0) {
        const int error = errno;
        ::close(fd);
        return name_ + ": cannot listen on " + where_.address + " port " + std::to_string(where_.port) + ": " +
               errorText(error);
    }
    fd_ = fd;
    opened_ = true;
    return {};
}

int UdpAudioSource::boundPort() const
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) < 0)
        return 0;
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    return 0;
}

void UdpAudioSource::closeInput()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void UdpAudioSource::run()
{
    datagram_.assign(kMaxDatagramBytes + 1, 0);
    while (!stopRequested()) {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, kPollMilliseconds);
        if (ready < 0 && errno != EINTR) {
            setFailure(name_ + ": " + errorText(errno));
            sleepFor(std::chrono::milliseconds(kPollMilliseconds));
        }
        if (ready <= 0)
            continue;
        for (int i = 0; i < kDatagramsPerWakeUp && !stopRequested(); ++i)
            if (!receiveOne())
                break;
    }
}

bool UdpAudioSource::receiveOne()
{
    // MSG_TRUNC: the datagram's real length, even when it did not fit.
    const ssize_t n = ::recv(fd_, datagram_.data(), datagram_.size(), MSG_TRUNC | MSG_DONTWAIT);
    if (n < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            setFailure(name_ + ": " + errorText(errno));
            sleepFor(std::chrono::milliseconds(kPollMilliseconds));
        }
        return false;
    }
    datagramsReceived_.fetch_add(1, std::memory_order_relaxed);
    const auto bytes = static_cast<std::size_t>(n);
    if (bytes == 0 || bytes % 2 != 0 || bytes > kMaxDatagramBytes) {
        // Half a datagram is worse than none: the samples after the gap
        // would be shifted or cut.
        datagramsDropped_.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    queueLittleEndian(datagram_.data(), bytes / 2);
    return true;
}

}  // namespace veltrin
