#include "gateway/aprs_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gateway_test_util.h"

namespace veltrin {
namespace {

using namespace test;

const std::string kPacket = "N0CALL-PG>APVLTR,TCPIP*:>test packet";

// Three servers on one port at 127.0.0.1, .2 and .3, the gate pointed at
// them (the port is the one setting tests change), one packet queued.
struct AprsRig {
    explicit AprsRig(const std::vector<std::vector<Reply>>& scripts) : servers(serversOnOnePort(scripts))
    {
        sock.setLimits(fastLimits());
        settings.AprsCall = "N0CALL-PG";
        settings.AprsPassword = -1;
        settings.AprsServer = "127.0.0.1";
        settings.AprsServer2 = "127.0.0.2";
        settings.AprsServer3 = "127.0.0.3";
        if (!servers.empty())
            settings.aprsPort = servers[0]->portText();
    }
    bool submit(const std::string& packet = kPacket, int station = 12345)
    {
        EXPECT_TRUE(enqueueAprsPacket(queue, packet, station));
        return submitNextAprsPacket(queue, sock, settings, log.sink(), fastTiming());
    }
    std::vector<std::unique_ptr<LoopbackServer>> servers;
    SockWork sock;
    AprsQueue queue;
    GatewaySettings settings;
    LineLog log;
};

std::string line(const std::string& what) { return "\r\n>>> CRVG12345 - " + what + "\r\n"; }

TEST(AprsClient, FirstServerTakesItAndTheOthersAreNotContacted)
{
    AprsRig rig({{answer("HTTP/1.0 204 No Content\r\n\r\n")}, {answer("")}, {answer("")}});
    ASSERT_EQ(rig.servers.size(), 3u);
    EXPECT_TRUE(rig.submit());
    EXPECT_EQ(rig.log.lines, (std::vector<std::string>{line("OK! Answer Code 204 "), ">>> " + kPacket + "\r\n"}));
    EXPECT_EQ(rig.servers[0]->connections(), 1);
    EXPECT_EQ(rig.servers[1]->connections(), 0);
    EXPECT_EQ(rig.servers[2]->connections(), 0);
    EXPECT_TRUE(rig.queue.empty());
}

TEST(AprsClient, UnresolvableThenForbiddenThenOk)
{
    AprsRig rig({{answer("")}, {answer("HTTP/1.1 403 Forbidden\r\n\r\n")}, {answer("HTTP/1.0 200 OK\r\n\r\n")}});
    ASSERT_EQ(rig.servers.size(), 3u);
    rig.settings.AprsServer = "nonexistent.invalid";
    EXPECT_TRUE(rig.submit());
    EXPECT_EQ(rig.log.lines, (std::vector<std::string>{line("Sending error! (-1)"), line("Error! Answer Code 403 "),
                                                      line("OK! Answer Code 200 "), ">>> " + kPacket + "\r\n"}));
    EXPECT_EQ(rig.servers[0]->connections(), 0);
}

TEST(AprsClient, EveryServerFailingTheSameWay)
{
    const std::string longOk = "HTTP/1.0 200 OK\r\n" + std::string(2000, 'x');
    struct Row {
        const char* name;
        Reply reply;
        std::string line;  // each of the three attempts
        bool submitted;
    } rows[] = {
        {"version then CR LF", answer("HTTP/1.0\r\n"), line("Error! Answer Code -2 "), false},
        {"no HTTP/", answer("Hello there\r\n\r\n"), line("Error! Answer Code -1 "), false},
        {"five bytes", answer("HTTP/"), line("Too short answer! (5)"), false},
        {"server error", answer("HTTP/1.0 500 Oops\r\n\r\n"), line("Error! Answer Code 500 "), false},
        {"silent", {Behaviour::Silent, ""}, line("Too short answer! (0)"), false},
        {"closes without answer", {Behaviour::CloseNoAnswer, ""}, line("Too short answer! (0)"), false},
        {"resets", {Behaviour::Reset, ""}, line("Too short answer! (0)"), false},
        {"streams forever", {Behaviour::StreamForever, "HTTP/1.0 202 Accepted\r\n"}, line("OK! Answer Code 202 "),
         true},
        {"longer than 1020", answer(longOk), line("OK! Answer Code 200 "), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AprsRig rig({{row.reply}, {row.reply}, {row.reply}});
        ASSERT_EQ(rig.servers.size(), 3u);
        Stopwatch watch;
        EXPECT_EQ(rig.submit(), row.submitted);
        EXPECT_LT(watch.elapsed(), kNoHangBound);
        const std::vector<std::string> expected =
            row.submitted ? std::vector<std::string>{row.line, ">>> " + kPacket + "\r\n"}
                          : std::vector<std::string>{row.line, row.line, row.line};
        EXPECT_EQ(rig.log.lines, expected);
        EXPECT_TRUE(rig.queue.empty());  // gone, whatever happened
    }
}

TEST(AprsClient, AllRefusingDropsThePacketWithThreeLines)
{
    AprsRig rig({{answer("")}});
    rig.settings.AprsServer2 = rig.settings.AprsServer3 = "127.0.0.1";
    rig.settings.aprsPort = std::to_string(refusedPort());
    EXPECT_FALSE(rig.submit());
    const std::string refused = line("Sending error! (-1)");
    EXPECT_EQ(rig.log.lines, (std::vector<std::string>{refused, refused, refused}));
    EXPECT_TRUE(rig.queue.empty());
}

TEST(AprsClient, ExactPostBytes)
{
    AprsRig rig({{answer("HTTP/1.0 200 OK\r\n\r\n")}});
    ASSERT_FALSE(rig.servers.empty());
    rig.settings.AprsPassword = 12345;
    EXPECT_TRUE(rig.submit());
    const std::string body = "user N0CALL-PG pass 12345 vers CorvaneToVeltrin 1.01 \r\n" + kPacket + "\r\n";
    const std::string expected = "POST / HTTP/1.0\r\n"
                                 "Accept-Type: text/plain\r\n"
                                 "Accept-Encoding: identity\r\n"
                                 "Content-Type: application/octet-stream\r\n"
                                 "Content-Length: " +
                                 std::to_string(body.size()) + "\r\n\r\n" + body;
    EXPECT_EQ(rig.servers[0]->request(0), expected);
    EXPECT_EQ(body.size(), 55 + kPacket.size() + 2);
}

TEST(AprsClient, BodyIsCutAt510Characters)
{
    const std::string call(300, 'C');
    const std::string packet(254, 'P');
    const std::string full = "user " + call + " pass -1 vers CorvaneToVeltrin 1.01 \r\n" + packet + "\r\n";
    ASSERT_GT(full.size(), 510u);
    EXPECT_EQ(aprsSubmissionBody(call, -1, packet), full.substr(0, 510));
    EXPECT_EQ(aprsSubmissionBody("N0CALL", -1, "A>B:x"), "user N0CALL pass -1 vers CorvaneToVeltrin 1.01 \r\nA>B:x\r\n");

    AprsRig rig({{answer("HTTP/1.0 200 OK\r\n\r\n")}});
    ASSERT_FALSE(rig.servers.empty());
    rig.settings.AprsCall = call;
    rig.settings.AprsPassword = -1;
    EXPECT_TRUE(rig.submit(packet));
    const std::string request = rig.servers[0]->request(0);
    EXPECT_NE(request.find("Content-Length: 510\r\n\r\n"), std::string::npos);
    EXPECT_EQ(request.substr(request.size() - 510), full.substr(0, 510));
}

TEST(AprsClient, ALineBreakInAPacketEndsIt)
{
    AprsRig rig({{answer("HTTP/1.0 200 OK\r\n\r\n")}});
    ASSERT_FALSE(rig.servers.empty());
    EXPECT_TRUE(rig.submit("A>B:hello\r\nuser X pass 1\nB>C:more"));
    const std::string request = rig.servers[0]->request(0);
    EXPECT_EQ(request.substr(request.size() - 13), "\r\nA>B:hello\r\n");
    EXPECT_EQ(rig.log.lines.back(), ">>> A>B:hello\r\n");
}

TEST(AprsClient, OwnBeaconsShowStationZeroAndAnEmptyQueueSendsNothing)
{
    AprsRig rig({{answer("HTTP/1.0 200 OK\r\n\r\n")}});
    ASSERT_FALSE(rig.servers.empty());
    EXPECT_FALSE(submitNextAprsPacket(rig.queue, rig.sock, rig.settings, rig.log.sink(), fastTiming()));
    EXPECT_TRUE(rig.log.lines.empty());
    EXPECT_EQ(rig.servers[0]->connections(), 0);

    EXPECT_TRUE(rig.submit(kPacket, 0));
    EXPECT_EQ(rig.log.lines.front(), "\r\n>>> CRVG00000 - OK! Answer Code 200 \r\n");
}

TEST(AprsClient, FifteenthPacketIsRefusedAndNothingIsOverwritten)
{
    AprsQueue queue;
    for (int i = 0; i < 14; ++i)
        EXPECT_TRUE(enqueueAprsPacket(queue, "packet " + std::to_string(i), i));
    EXPECT_FALSE(enqueueAprsPacket(queue, "packet 14", 14));
    EXPECT_EQ(queue.waiting(), 14);
    std::string text;
    int station = -1;
    for (int i = 0; i < 14; ++i) {
        ASSERT_TRUE(queue.pop(text, station));
        EXPECT_EQ(text, "packet " + std::to_string(i));
        EXPECT_EQ(station, i);
    }
    EXPECT_FALSE(queue.pop(text, station));
}

}  // namespace
}  // namespace veltrin
