#include "gateway/traccar_client.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "gateway_test_util.h"
#include "modem/gps_payload.h"

namespace veltrin {
namespace {

using namespace test;

const std::string kQuery = "?id=crvg12345&timestamp=1700000000&lat=56.250000&lon=37.500000";
const std::string kFullQuery = kQuery + "&speed=27.0&bearing=90.0&altitude=150.0&accuracy=2.5";

struct Position {
    std::uint32_t fixTime = 1700000000;
    std::int32_t latitude = 603979776;   // 56.25 degrees
    std::int32_t longitude = 402653184;  // 37.5 degrees
    std::int16_t altitude = 150;
    bool motionOk = true;
    bool positionOk = true;
};

MessageBody bodyOf(const Position& p)
{
    GpsPayload g;
    g.fixTime = p.fixTime;
    g.latitude = p.latitude;
    g.longitude = p.longitude;
    g.speed = 500;
    g.course = 9000;
    g.altitude = p.altitude;
    g.accuracy = 25;
    g.sealChecks();
    if (!p.motionOk)
        g.motionCheck ^= 1;
    if (!p.positionOk)
        g.positionCheck ^= 1;
    MessageBody body{};
    body.fill(0x95);
    g.toBytes(body.data());
    return body;
}

Msg_header headerFrom(unsigned sender)
{
    Msg_header h;
    h.type = 6;
    h.flags = 0x04;
    h.sender = static_cast<std::uint16_t>(sender);
    return h;
}

TEST(TraccarQuery, Forms)
{
    const std::string base = "?id=crvg12345&timestamp=1700000000&lat=56.250000&lon=37.500000";
    struct Row {
        const char* name;
        unsigned sender;
        Position position;
        std::optional<std::string> query;
    } rows[] = {
        {"motion block damaged", 12345, {.motionOk = false}, kQuery},
        {"motion block valid", 12345, {}, kFullQuery},
        {"altitude unknown", 12345, {.altitude = -9999}, kQuery + "&speed=27.0&bearing=90.0&accuracy=2.5"},
        {"altitude -9000 is unknown", 12345, {.altitude = -9000}, kQuery + "&speed=27.0&bearing=90.0&accuracy=2.5"},
        {"altitude -8999 is known", 12345, {.altitude = -8999},
         kQuery + "&speed=27.0&bearing=90.0&altitude=-8999.0&accuracy=2.5"},
        {"south and west", 7, {.latitude = -603979776, .longitude = -402653184, .motionOk = false},
         "?id=crvg00007&timestamp=1700000000&lat=-56.250000&lon=-37.500000"},
        {"demo sender", 65001, {.motionOk = false},
         "?id=crvdemo65001&timestamp=1700000000&lat=56.250000&lon=37.500000"},
        {"largest time", 1, {.fixTime = 4294967295u, .motionOk = false},
         "?id=crvg00001&timestamp=4294967295&lat=56.250000&lon=37.500000"},
        {"no fix time", 12345, {.fixTime = 0}, std::nullopt},
        {"position block damaged", 12345, {.positionOk = false}, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const MessageBody body = bodyOf(row.position);
        EXPECT_EQ(traccarQuery(row.sender, body.data()), row.query);
    }
}

struct ReporterRig {
    ReporterRig() { settings.TccGateEnabled0 = 1; }
    int report(unsigned sender, const Position& position = {})
    {
        return reporter.reportToTraccar(settings, headerFrom(sender), bodyOf(position), "x4", 0.5, 3);
    }
    Settings settings;
    TraccarQueue queue;
    TraccarReporter reporter{queue};
};

TEST(TraccarReporter, ResultCodes)
{
    ReporterRig rig;
    EXPECT_EQ(rig.report(12345), 0);
    std::string text;
    int station = 0;
    ASSERT_TRUE(rig.queue.pop(text, station));
    EXPECT_EQ(text, kFullQuery);
    EXPECT_EQ(station, 12345);

    EXPECT_EQ(rig.report(12345, {.fixTime = 0}), kTraccarNoPosition);
    EXPECT_EQ(rig.report(12345, {.positionOk = false}), kTraccarNoPosition);
    EXPECT_TRUE(rig.queue.empty());

    rig.settings.TccGateEnabled0 = 0;
    rig.settings.TccGateEnabled1 = 1;
    EXPECT_EQ(rig.report(12345), 0);
    rig.settings.TccGateEnabled1 = 0;
    EXPECT_EQ(rig.report(12345), kTraccarNoServer);
    EXPECT_EQ(rig.queue.waiting(), 1);  // nothing more queued
}

TEST(TraccarReporter, QueueHoldsSixtyTwo)
{
    ReporterRig rig;
    for (int i = 0; i < 62; ++i)
        ASSERT_EQ(rig.report(static_cast<unsigned>(i)), 0);
    EXPECT_EQ(rig.report(62), kTraccarQueueFull);
    std::string text;
    int station = -1;
    for (int i = 0; i < 62; ++i) {
        ASSERT_TRUE(rig.queue.pop(text, station));
        EXPECT_EQ(station, i);  // no slot overwritten
    }
    EXPECT_TRUE(rig.queue.empty());
}

TEST(TraccarReporter, DemoSendersGetFiveHundredAndOneReports)
{
    ReporterRig rig;
    int queued = 0, full = 0;
    for (int i = 0; i < 501; ++i) {
        const int r = rig.report(65000 + static_cast<unsigned>(i % 500), {.positionOk = i % 2 == 0});
        queued += r == 0;
        full += r == kTraccarQueueFull;
        ASSERT_NE(r, kTraccarDemoLimit) << "report " << i + 1;
    }
    EXPECT_EQ(queued, 62);
    EXPECT_EQ(rig.reporter.demoReports(), 501);
    EXPECT_EQ(rig.report(65001), kTraccarDemoLimit);  // the 502nd
    std::string text;
    int station = 0;
    ASSERT_TRUE(rig.queue.pop(text, station));
    EXPECT_EQ(text.rfind("?id=crvdemo65000&", 0), 0u);
    EXPECT_EQ(rig.report(65001), kTraccarDemoLimit);
    EXPECT_EQ(rig.report(12345), 0);  // ordinary senders go on
    EXPECT_GT(full, 0);
}

struct SenderRig {
    SenderRig() { sock.setLimits(fastLimits()); }
    int send(unsigned sender = 12345, const std::string& query = kQuery)
    {
        EXPECT_TRUE(queue.push(query, static_cast<int>(sender)));
        return sendNextTraccarReport(queue, sock, settings, log.sink(), fastTiming());
    }
    void point(int n, const LoopbackServer& server, const std::string& path)
    {
        settings.traccar[n] = {true, "127.0.0.1", server.port(), path};
    }
    SockWork sock;
    TraccarQueue queue;
    GatewaySettings settings;
    LineLog log;
};

std::string line(const std::string& what) { return "\r\n>>> Traccar crvg12345 - " + what + "\r\n"; }

TEST(TraccarSender, ExactGetRequestAndHostLine)
{
    LoopbackServer fixed({answer("HTTP/1.0 200 OK\r\n\r\n")}, "127.0.0.1", 5055);
    LoopbackServer any({answer("HTTP/1.0 200 OK\r\n\r\n")});
    const LoopbackServer& server = fixed.ok() ? fixed : any;  // the usual port when it is free
    ASSERT_TRUE(server.ok());
    SenderRig rig;
    rig.point(0, server, "/");
    EXPECT_EQ(rig.send(), 1);
    const std::string port = server.portText();
    EXPECT_EQ(server.request(0), "GET /" + kQuery + " HTTP/1.0\r\n"
                                 "Host: 127.0.0.1:" + port + "\r\n"
                                 "Accept-Type: text/plain\r\n"
                                 "Accept-Encoding: identity\r\n"
                                 "Content-Type: application/x-www-form-urlencoded\r\n"
                                 "Connection: close\r\n"
                                 "Content-Length: 0\r\n\r\n");
    EXPECT_EQ(rig.log.lines, (std::vector<std::string>{line("OK! Answer Code 200 "),
                                                      ">>> http://127.0.0.1:" + port + "/" + kQuery + "\r\n"}));
}

TEST(TraccarSender, RefusingServerZeroAndWorkingServerOne)
{
    LoopbackServer server({answer("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n")});
    ASSERT_TRUE(server.ok());
    SenderRig rig;
    rig.settings.traccar[0] = {true, "127.0.0.1", refusedPort(), "/"};
    rig.point(1, server, "/gps.cgi");
    EXPECT_EQ(rig.send(), 1);
    EXPECT_EQ(rig.log.lines,
              (std::vector<std::string>{line("Sending error! (-1)"), line("Sending error! (-1)"),
                                        line("OK! Answer Code 200 "),
                                        ">>> http://127.0.0.1:" + server.portText() + "/gps.cgi" + kQuery + "\r\n"}));
    EXPECT_EQ(server.request(0).rfind("GET /gps.cgi" + kQuery + " HTTP/1.0\r\n", 0), 0u);
}

TEST(TraccarSender, OneRetryPerServer)
{
    struct Row {
        const char* name;
        std::vector<Reply> script;
        std::vector<std::string> lines;
        int accepted, connections;
    } rows[] = {
        {"fails, then works", {answer("HTTP/1.0 500 X\r\n\r\n"), answer("HTTP/1.0 200 OK\r\n\r\n")},
         {line("Error! Answer Code 500 "), line("OK! Answer Code 200 "), "REQUEST"}, 1, 2},
        {"fails twice", {answer("HTTP/1.0 404 X\r\n\r\n")},
         {line("Error! Answer Code 404 "), line("Error! Answer Code 404 ")}, 0, 2},
        {"silent", {{Behaviour::Silent, ""}}, {line("Too short answer! (0)"), line("Too short answer! (0)")}, 0, 2},
        {"resets", {{Behaviour::Reset, ""}}, {line("Too short answer! (0)"), line("Too short answer! (0)")}, 0, 2},
        {"garbage", {answer("\x01\x02garbage\r\n\r\n")},
         {line("Error! Answer Code -1 "), line("Error! Answer Code -1 ")}, 0, 2},
    };
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer server(row.script);
        ASSERT_TRUE(server.ok());
        SenderRig rig;
        rig.point(0, server, "/");
        for (std::string& l : row.lines)
            if (l == "REQUEST")
                l = ">>> http://127.0.0.1:" + server.portText() + "/" + kQuery + "\r\n";
        Stopwatch watch;
        EXPECT_EQ(rig.send(), row.accepted);
        EXPECT_LT(watch.elapsed(), kNoHangBound);
        EXPECT_EQ(rig.log.lines, row.lines);
        EXPECT_EQ(server.connections(), row.connections);
    }
}

TEST(TraccarSender, BothServersTakeItAndDemoSendersShowCrvg)
{
    LoopbackServer zero({answer("HTTP/1.0 200 OK\r\n\r\n")});
    LoopbackServer one({answer("HTTP/1.0 201 Created\r\n\r\n")});
    ASSERT_TRUE(zero.ok() && one.ok());
    SenderRig rig;
    rig.point(0, zero, "/");
    rig.point(1, one, "/gps.cgi");
    const std::string demoQuery = "?id=crvdemo65001&timestamp=1700000000&lat=56.250000&lon=37.500000";
    EXPECT_EQ(rig.send(65001, demoQuery), 2);
    EXPECT_EQ(rig.log.lines,
              (std::vector<std::string>{"\r\n>>> Traccar crvg65001 - OK! Answer Code 200 \r\n",
                                        ">>> http://127.0.0.1:" + zero.portText() + "/" + demoQuery + "\r\n",
                                        "\r\n>>> Traccar crvg65001 - OK! Answer Code 201 \r\n",
                                        ">>> http://127.0.0.1:" + one.portText() + "/gps.cgi" + demoQuery + "\r\n"}));
}

TEST(TraccarSender, ServerDisabledAfterQueueingReceivesNothing)
{
    LoopbackServer server({answer("HTTP/1.0 200 OK\r\n\r\n")});
    ASSERT_TRUE(server.ok());
    SenderRig rig;
    rig.point(0, server, "/");
    rig.settings.traccar[0].enabled = false;
    EXPECT_EQ(rig.send(), 0);
    EXPECT_TRUE(rig.queue.empty());  // taken off all the same
    EXPECT_TRUE(rig.log.lines.empty());
    EXPECT_EQ(server.connections(), 0);
    EXPECT_EQ(sendNextTraccarReport(rig.queue, rig.sock, rig.settings, rig.log.sink(), fastTiming()), 0);
}

}  // namespace
}  // namespace veltrin
