#include "gateway/http_answer.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>

#include "gateway/sock_work.h"

namespace veltrin {

namespace {
constexpr int kEnoughAnswer = 1015;  // more than this ends the reading
constexpr int kShortestAnswer = 6;
}  // namespace

int readHttpAnswer(SockWork& sock, ExchangeBuffer& buffer, const ExchangeTiming& timing)
{
    int total = 0;
    buffer[0] = '\0';
    for (int i = 0; i < timing.reads; ++i) {
        std::int32_t received = 0;
        if (sock.ReceiveSome(buffer.data() + total, kAnswerMax - total, timing.receiveTimeoutMs, received) != 0 ||
            received < 0)
            break;
        total += received;
        buffer[total] = '\0';
        // Searched over the bytes received, so a NUL in a garbled answer
        // does not hide the end of the header block.
        if (total > kEnoughAnswer ||
            std::string_view(buffer.data(), total).find("\r\n\r\n") != std::string_view::npos)
            break;
        std::this_thread::sleep_for(timing.pause);
    }
    sock.Close();
    return total;
}

int parseHttpStatus(const char* answer)
{
    if (answer == nullptr)
        return -1;
    const char* p = std::strstr(answer, "HTTP/");
    if (p == nullptr)
        return -1;
    p += 5;
    while (static_cast<unsigned char>(*p) > 32)
        ++p;
    if (*p != ' ' && *p != '\t')
        return -2;
    // strtol, clamped: a runaway number must not overflow into some code.
    const long code = std::strtol(p, nullptr, 10);
    if (code > INT_MAX)
        return INT_MAX;
    if (code < INT_MIN)
        return INT_MIN;
    return static_cast<int>(code);
}

bool httpAttempt(SockWork& sock, const std::string& host, const std::string& port, const std::string& request,
                 const std::string& tag, const NetLineSink& sink, const ExchangeTiming& timing)
{
    const auto post = [&](const std::string& what) {
        if (sink)
            sink("\r\n>>> " + tag + " - " + what + "\r\n");
    };

    sock.Close();
    int value = 0;
    if (sock.Connect(host, port) != 0) {
        value = -1;
    } else {
        value = sock.SendAll(request.data(), request.size());
        if (value != 0)
            sock.Close();
    }
    if (value != 0) {
        post("Sending error! (" + std::to_string(value) + ")");
        return false;
    }

    ExchangeBuffer answer;
    const int n = readHttpAnswer(sock, answer, timing);
    if (n < kShortestAnswer) {
        post("Too short answer! (" + std::to_string(n) + ")");
        return false;
    }
    const int code = parseHttpStatus(answer.data());
    const bool ok = code >= 200 && code <= 299;
    post((ok ? "OK! Answer Code " : "Error! Answer Code ") + std::to_string(code) + " ");
    return ok;
}

}  // namespace veltrin
