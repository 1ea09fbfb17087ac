#include "gateway/gateway_settings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "config/settings.h"

namespace veltrin {
namespace {

TEST(GatewaySettings, CopiesTheGatewayFieldsCutToTheirLimits)
{
    Settings s;
    s.AprsCall = std::string(20, 'C');
    s.AprsPassword = 12345;
    s.AprsServer = std::string(70, 'a');
    s.AprsServer2 = "two";
    s.AprsServer3 = "three";
    s.TccGateEnabled0 = 0;
    s.TccGateEnabled1 = 1;
    s.TccServer0 = "h0";
    s.TccServer1 = std::string(300, 'h');
    s.TccPort0 = 5055;
    s.TccPort1 = 8082;
    s.TccPath0 = "/";
    s.TccPath1 = "/gps.cgi";
    const GatewaySettings g = gatewaySettingsOf(s);
    EXPECT_EQ(g.AprsCall, std::string(15, 'C'));
    EXPECT_EQ(g.AprsPassword, 12345);
    EXPECT_EQ(g.AprsServer, std::string(63, 'a'));
    EXPECT_EQ(g.AprsServer2, "two");
    EXPECT_EQ(g.AprsServer3, "three");
    EXPECT_EQ(g.aprsPort, "8080");
    EXPECT_FALSE(g.traccar[0].enabled);
    EXPECT_TRUE(g.traccar[1].enabled);
    EXPECT_EQ(g.traccar[0].host, "h0");
    EXPECT_EQ(g.traccar[1].host, std::string(254, 'h'));
    EXPECT_EQ(g.traccar[0].port, 5055u);
    EXPECT_EQ(g.traccar[1].port, 8082u);
    EXPECT_EQ(g.traccar[0].path, "/");
    EXPECT_EQ(g.traccar[1].path, "/gps.cgi");
}

TEST(GatewaySettingsSnapshot, AReaderNeverSeesHalfAChange)
{
    GatewaySettings a, b;
    a.AprsCall = a.AprsServer = a.traccar[0].host = std::string(200, 'a');
    a.AprsPassword = 1;
    b.AprsCall = b.AprsServer = b.traccar[0].host = std::string(150, 'b');
    b.AprsPassword = 2;
    GatewaySettingsSnapshot snapshot;
    snapshot.set(a);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i)
            snapshot.set(i % 2 ? a : b);
    });
    for (int i = 0; i < 20000; ++i) {
        const GatewaySettings got = snapshot.get();
        const GatewaySettings& expected = got.AprsPassword == 1 ? a : b;
        ASSERT_EQ(got.AprsCall, expected.AprsCall);
        ASSERT_EQ(got.AprsServer, expected.AprsServer);
        ASSERT_EQ(got.traccar[0].host, expected.traccar[0].host);
    }
    stop = true;
    writer.join();
}

}  // namespace
}  // namespace veltrin
