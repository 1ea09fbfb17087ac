#include "gateway/gateway_settings.h"

#include "config/settings.h"

namespace veltrin {

namespace {
std::string cut(const std::string& text, std::size_t limit)
{
    return text.substr(0, limit);
}
}  // namespace

GatewaySettings gatewaySettingsOf(const Settings& s)
{
    GatewaySettings g;
    g.AprsCall = cut(s.AprsCall, kAprsCallMax);
    g.AprsPassword = s.AprsPassword;
    g.AprsServer = cut(s.AprsServer, kAprsServerMax);
    g.AprsServer2 = cut(s.AprsServer2, kAprsServerMax);
    g.AprsServer3 = cut(s.AprsServer3, kAprsServerMax);
    g.traccar[0] = {s.TccGateEnabled0 != 0, cut(s.TccServer0, kTraccarTextMax),
                    static_cast<std::uint32_t>(s.TccPort0), cut(s.TccPath0, kTraccarTextMax)};
    g.traccar[1] = {s.TccGateEnabled1 != 0, cut(s.TccServer1, kTraccarTextMax),
                    static_cast<std::uint32_t>(s.TccPort1), cut(s.TccPath1, kTraccarTextMax)};
    return g;
}

void GatewaySettingsSnapshot::set(const GatewaySettings& settings)
{
    std::lock_guard lock(mutex_);
    settings_ = settings;
}

GatewaySettings GatewaySettingsSnapshot::get() const
{
    std::lock_guard lock(mutex_);
    return settings_;
}

}  // namespace veltrin
