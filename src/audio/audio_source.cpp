#include "audio/audio_source.h"

#include <arpa/inet.h>

#include "audio/stream_audio_source.h"
#include "audio/udp_audio_source.h"
#include "audio/wav_audio_source.h"

namespace veltrin {

namespace {

constexpr const char* kDefaultUdpAddress = "127.0.0.1";

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// 1..65535 in decimal digits only: no sign, no spaces, no hex.
bool parsePort(const std::string& text, int& port)
{
    if (text.empty() || text.size() > 5)
        return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535)
        return false;
    port = value;
    return true;
}

bool isIpv4(const std::string& address)
{
    in_addr a{};
    return inet_pton(AF_INET, address.c_str(), &a) == 1;
}

bool isIpv6(const std::string& address)
{
    in6_addr a{};
    return inet_pton(AF_INET6, address.c_str(), &a) == 1;
}

std::string quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// What follows "udp:": PORT, IPV4:PORT or [IPV6]:PORT.
std::string parseUdp(const std::string& text, const std::string& rest, AudioSourceSpec& where)
{
    std::string address = kDefaultUdpAddress;
    std::string portText = rest;
    if (!rest.empty() && rest[0] == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return "bad address in " + quoted(text) + " (an IPv6 address goes in brackets: udp:[::1]:PORT)";
        address = rest.substr(1, close - 1);
        portText = rest.substr(close + 2);
        if (!isIpv6(address))
            return "bad IPv6 address in " + quoted(text);
    } else if (const std::size_t colon = rest.find(':'); colon != std::string::npos) {
        address = rest.substr(0, colon);
        portText = rest.substr(colon + 1);
        if (!isIpv4(address))
            return "bad address in " + quoted(text) + " (a numeric IPv4 address such as 127.0.0.1, or [IPv6])";
    }
    int port = 0;
    if (!parsePort(portText, port))
        return "bad UDP port in " + quoted(text) + " (a number from 1 to 65535)";
    where.kind = AudioSourceSpec::Kind::Udp;
    where.address = address;
    where.port = port;
    return {};
}

}  // namespace

std::string parseAudioSourceSpec(const std::string& text, AudioSourceSpec& where)
{
    AudioSourceSpec parsed;
    if (text.empty()) {
        parsed.kind = AudioSourceSpec::Kind::SoundCard;
    } else if (text == "stdin") {
        parsed.kind = AudioSourceSpec::Kind::Stdin;
    } else if (startsWith(text, "udp:")) {
        const std::string error = parseUdp(text, text.substr(4), parsed);
        if (!error.empty())
            return error;
    } else if (startsWith(text, "wav:")) {
        parsed.kind = AudioSourceSpec::Kind::Wav;
        parsed.path = text.substr(4);
        if (parsed.path.empty())
            return "no file name in " + quoted(text) + " (use wav:FILE)";
    } else {
        return "unknown audio source " + quoted(text) + " (use udp:PORT, udp:ADDRESS:PORT, stdin or wav:FILE)";
    }
    where = parsed;
    return {};
}

std::string audioSourceText(const AudioSourceSpec& where)
{
    switch (where.kind) {
    case AudioSourceSpec::Kind::SoundCard:
        return {};
    case AudioSourceSpec::Kind::Stdin:
        return "stdin";
    case AudioSourceSpec::Kind::Wav:
        return "wav:" + where.path;
    case AudioSourceSpec::Kind::Udp:
        break;
    }
    const std::string port = std::to_string(where.port);
    if (where.address == kDefaultUdpAddress)
        return "udp:" + port;
    if (where.address.find(':') != std::string::npos)
        return "udp:[" + where.address + "]:" + port;
    return "udp:" + where.address + ":" + port;
}

std::unique_ptr<LiveAudioSource> makeAudioSource(const AudioSourceSpec& where, const AudioSourceOptions& options)
{
    switch (where.kind) {
    case AudioSourceSpec::Kind::SoundCard:
        return nullptr;
    case AudioSourceSpec::Kind::Udp:
        return std::make_unique<UdpAudioSource>(where, options);
    case AudioSourceSpec::Kind::Stdin:
        return std::make_unique<StreamAudioSource>(options);
    case AudioSourceSpec::Kind::Wav:
        return std::make_unique<WavAudioSource>(where.path, options);
    }
    return nullptr;
}

std::string LiveAudioSource::failure() const
{
    return failed_.load(std::memory_order_acquire) ? failure_ : std::string();
}

void LiveAudioSource::setFailure(const std::string& text)
{
    // The first failure is the cause; later ones follow from it. Only the
    // source's thread calls this (or start(), when there is no thread).
    if (failed_.load(std::memory_order_relaxed))
        return;
    failure_ = text;
    failed_.store(true, std::memory_order_release);
}

AudioSourceStats LiveAudioSource::stats() const
{
    AudioSourceStats s;
    s.framesQueued = framesQueued_.load(std::memory_order_relaxed);
    s.buffersQueued = buffersQueued_.load(std::memory_order_relaxed);
    s.datagramsReceived = datagramsReceived_.load(std::memory_order_relaxed);
    s.datagramsDropped = datagramsDropped_.load(std::memory_order_relaxed);
    return s;
}

}  // namespace veltrin
