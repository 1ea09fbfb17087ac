#pragma once
// The settings the network thread reads, and the guarded copy through which
// the main thread hands them over: the setup dialog may change a value while
// an exchange runs, and the exchange must not see half of a changed text.
#include <array>
#include <cstdint>
#include <mutex>
#include <string>

namespace veltrin {

struct Settings;

inline constexpr const char* kAprsSubmitPort = "8080";  // the HTTP submission port of APRS-IS

struct TraccarServer {
    bool enabled = false;
    std::string host;
    std::uint32_t port = 5055;
    std::string path;
};

struct GatewaySettings {
    std::string AprsCall;
    int AprsPassword = -1;
    std::string AprsServer;   // tried first
    std::string AprsServer2;  // then these, while the earlier ones fail
    std::string AprsServer3;
    std::string aprsPort = kAprsSubmitPort;  // not a stored setting; tests point it elsewhere
    std::array<TraccarServer, 2> traccar;    // TccGateEnabled/TccServer/TccPort/TccPath 0 and 1
};

// Copies the gateway fields, each text cut to its stored limit.
GatewaySettings gatewaySettingsOf(const Settings& settings);

class GatewaySettingsSnapshot {
public:
    void set(const GatewaySettings& settings);  // main thread
    GatewaySettings get() const;                // network thread, once per cycle

private:
    mutable std::mutex mutex_;
    GatewaySettings settings_;
};

}  // namespace veltrin
