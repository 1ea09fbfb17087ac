#include "gateway/network_cycle.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gateway_test_util.h"

namespace veltrin {
namespace {

using namespace test;

const std::string kOk = "HTTP/1.0 200 OK\r\n\r\n";

struct CycleRig {
    CycleRig()
    {
        sock.setLimits(fastLimits());
        settings.AprsServer = settings.AprsServer2 = settings.AprsServer3 = "127.0.0.1";
        settings.aprsPort = aprsServer.portText();
        settings.traccar[0] = {true, "127.0.0.1", traccarServer.port(), "/"};
        snapshot.set(settings);
    }
    LoopbackServer aprsServer{{answer(kOk)}};
    LoopbackServer traccarServer{{answer(kOk)}};
    SockWork sock;
    AprsQueue aprs;
    TraccarQueue traccar;
    GatewaySettings settings;
    GatewaySettingsSnapshot snapshot;
    LineLog log;
};

TEST(NetworkCycle, TraccarFirstThenAprsOneOfEachPerCycle)
{
    CycleRig rig;
    ASSERT_TRUE(rig.aprsServer.ok() && rig.traccarServer.ok());
    NetworkCycle cycle(rig.sock, rig.aprs, rig.traccar, rig.snapshot, rig.log.sink(), fastTiming());
    // APRS queued first: the order of the lines must still be Traccar first.
    ASSERT_TRUE(rig.aprs.push("A>B:one", 1));
    ASSERT_TRUE(rig.aprs.push("A>B:two", 2));
    ASSERT_TRUE(rig.traccar.push("?id=crvg00003", 3));
    ASSERT_TRUE(rig.traccar.push("?id=crvg00004", 4));

    cycle.run();
    const std::string tPort = rig.traccarServer.portText();
    EXPECT_EQ(rig.log.lines, (std::vector<std::string>{
                                 "\r\n>>> Traccar crvg00003 - OK! Answer Code 200 \r\n",
                                 ">>> http://127.0.0.1:" + tPort + "/?id=crvg00003\r\n",
                                 "\r\n>>> CRVG00001 - OK! Answer Code 200 \r\n",
                                 ">>> A>B:one\r\n",
                             }));
    EXPECT_EQ(rig.aprs.waiting(), 1);
    EXPECT_EQ(rig.traccar.waiting(), 1);
    EXPECT_FALSE(cycle.idle());

    cycle.run();
    EXPECT_EQ(rig.log.lines.size(), 8u);
    EXPECT_EQ(rig.log.lines.back(), ">>> A>B:two\r\n");
    EXPECT_TRUE(cycle.idle());

    cycle.run();  // nothing queued: nothing sent
    EXPECT_EQ(rig.log.lines.size(), 8u);
    EXPECT_EQ(rig.aprsServer.connections(), 2);
    EXPECT_EQ(rig.traccarServer.connections(), 2);
}

TEST(NetworkCycle, SettingsAreReadEachCycle)
{
    CycleRig rig;
    LoopbackServer other({answer("HTTP/1.0 202 Accepted\r\n\r\n")});
    ASSERT_TRUE(rig.traccarServer.ok() && other.ok());
    NetworkCycle cycle(rig.sock, rig.aprs, rig.traccar, rig.snapshot, rig.log.sink(), fastTiming());
    ASSERT_TRUE(rig.traccar.push("?id=crvg00001", 1));
    cycle.run();
    GatewaySettings changed = rig.settings;
    changed.traccar[0].port = other.port();
    rig.snapshot.set(changed);
    ASSERT_TRUE(rig.traccar.push("?id=crvg00002", 2));
    cycle.run();
    EXPECT_EQ(rig.traccarServer.connections(), 1);
    EXPECT_EQ(other.connections(), 1);
    EXPECT_EQ(rig.log.lines[2], "\r\n>>> Traccar crvg00002 - OK! Answer Code 202 \r\n");
}

TEST(NetworkCycle, BusyWhileAnExchangeRuns)
{
    CycleRig rig;
    ASSERT_TRUE(rig.aprsServer.ok());
    // A sink that holds the cycle inside its exchange until released.
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false, released = false;
    NetLineSink sink = [&](const std::string&) {
        std::unique_lock lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
    };
    NetworkCycle cycle(rig.sock, rig.aprs, rig.traccar, rig.snapshot, sink, fastTiming());
    EXPECT_FALSE(cycle.busy());
    EXPECT_TRUE(cycle.idle());
    ASSERT_TRUE(rig.aprs.push("A>B:held", 5));
    EXPECT_FALSE(cycle.idle());

    std::thread network([&] { cycle.run(); });
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return entered; });
    }
    EXPECT_TRUE(rig.aprs.empty());
    EXPECT_TRUE(cycle.busy());
    EXPECT_FALSE(cycle.idle());  // queues empty, but the packet is still on its way
    {
        std::lock_guard lock(mutex);
        released = true;
    }
    changed.notify_all();
    network.join();
    EXPECT_FALSE(cycle.busy());
    EXPECT_TRUE(cycle.idle());
}

}  // namespace
}  // namespace veltrin
