#pragma once
// A tiny TCP server on a loopback address for the gateway tests. Each
// connection gets its own thread and follows one entry of a script (the last
// entry repeats): it reads the request (header block plus Content-Length
// body), then answers, falls silent, closes, resets or streams. Every byte a
// client sends on a connection is recorded, up to the client's end of
// request, so a test can compare the exact request bytes.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace veltrin::test {

// A UDP port on 127.0.0.1 that was free a moment ago (for a station that
// should listen where nothing is sent).
inline int freeLoopbackUdpPort()
{
    const int sock = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(sock, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(sock, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(sock);
    return ntohs(a.sin_port);
}

enum class Behaviour {
    Answer,          // send the reply and end it, record to the client's end, close
    AnswerKeepOpen,  // send the reply, never close (until the server ends)
    Silent,          // never answer, never close
    CloseNoAnswer,   // close right after the request
    Reset,           // reset (SO_LINGER 0) right after the request
    StreamForever,   // send the reply, then endless header lines
    CloseOnAccept,   // close before reading anything
};

struct Reply {
    Behaviour behaviour = Behaviour::Answer;
    std::string bytes;
};

inline Reply answer(std::string bytes) { return {Behaviour::Answer, std::move(bytes)}; }

class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<Reply> script, const std::string& address = "127.0.0.1",
                            std::uint16_t port = 0)
        : script_(std::move(script))
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listener_, 16) != 0) {
            ::close(listener_);
            listener_ = -1;
            return;
        }
        socklen_t length = sizeof a;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length);
        port_ = ntohs(a.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
    }

    ~LoopbackServer()
    {
        stop_ = true;
        if (acceptor_.joinable())
            acceptor_.join();
        for (std::thread& t : handlers_)
            t.join();
        if (listener_ != -1)
            ::close(listener_);
    }

    bool ok() const { return listener_ != -1; }
    std::uint16_t port() const { return port_; }
    std::string portText() const { return std::to_string(port_); }

    int connections() const { return accepted_.load(); }
    std::vector<std::string> requests() const
    {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    std::string request(std::size_t i) const
    {
        std::lock_guard lock(mutex_);
        return i < requests_.size() ? requests_[i] : std::string();
    }

private:
    void acceptLoop()
    {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0)
                continue;
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd == -1)
                continue;
            const int index = accepted_.load();
            {
                std::lock_guard lock(mutex_);
                requests_.emplace_back();
            }
            const Reply reply = script_.empty() ? Reply{} : script_[std::min<std::size_t>(index, script_.size() - 1)];
            handlers_.emplace_back([this, fd, index, reply] { serve(fd, index, reply); });
            accepted_.store(index + 1);
        }
    }

    // Reads once (waiting at most 10 ms) and records; -1 peer done, 0 nothing yet.
    int readSome(int fd, int index)
    {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0)
            return 0;
        char chunk[4096];
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got <= 0)
            return -1;
        std::lock_guard lock(mutex_);
        requests_[index].append(chunk, static_cast<std::size_t>(got));
        return static_cast<int>(got);
    }

    bool requestComplete(int index) const
    {
        std::lock_guard lock(mutex_);
        const std::string& r = requests_[index];
        const std::size_t end = r.find("\r\n\r\n");
        if (end == std::string::npos)
            return false;
        std::size_t body = 0;
        const std::size_t field = r.find("Content-Length: ");
        if (field != std::string::npos && field < end)
            body = std::strtoul(r.c_str() + field + 16, nullptr, 10);
        return r.size() >= end + 4 + body;
    }

    bool sendAll(int fd, const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size() && !stop_) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 10) <= 0)
                continue;
            const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (sent <= 0)
                return false;
            done += static_cast<std::size_t>(sent);
        }
        return done == bytes.size();
    }

    void serve(int fd, int index, const Reply& reply)
    {
        if (reply.behaviour == Behaviour::CloseOnAccept) {
            ::close(fd);
            return;
        }
        bool peerDone = false;
        while (!stop_ && !peerDone && !requestComplete(index))
            peerDone = readSome(fd, index) < 0;

        switch (reply.behaviour) {
        case Behaviour::Answer:
            // As an HTTP/1.0 server: the answer, then its end; the rest of
            // what the client sends is still recorded.
            sendAll(fd, reply.bytes);
            ::shutdown(fd, SHUT_WR);
            while (!stop_ && !peerDone)
                peerDone = readSome(fd, index) < 0;
            break;
        case Behaviour::AnswerKeepOpen:
        case Behaviour::Silent:
            if (reply.behaviour == Behaviour::AnswerKeepOpen)
                sendAll(fd, reply.bytes);
            while (!stop_) {
                if (!peerDone)
                    peerDone = readSome(fd, index) < 0;
                else
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            break;
        case Behaviour::CloseNoAnswer:
            break;
        case Behaviour::Reset: {
            const linger hard{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            break;
        }
        case Behaviour::StreamForever: {
            sendAll(fd, reply.bytes);
            const std::string line = "X-Filler: " + std::string(500, 'a') + "\r\n";
            while (!stop_ && sendAll(fd, line)) {
            }
            break;
        }
        case Behaviour::CloseOnAccept:
            break;
        }
        ::close(fd);
    }

    std::vector<Reply> script_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> accepted_{0};
    std::thread acceptor_;
    std::vector<std::thread> handlers_;  // acceptor thread only, until it is joined
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
};

// A loopback port on which nothing listens: bound, then let go.
inline std::uint16_t refusedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t length = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    ::close(fd);
    return ntohs(a.sin_port);
}

// Collects the receive-window lines.
struct LineLog {
    std::vector<std::string> lines;
    std::mutex mutex;
    auto sink()
    {
        return [this](const std::string& line) {
            std::lock_guard lock(mutex);
            lines.push_back(line);
        };
    }
};

}  // namespace veltrin::test
