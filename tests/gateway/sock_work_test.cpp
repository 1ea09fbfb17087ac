#include <dirent.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gateway_test_util.h"

namespace veltrin {
namespace {

using namespace test;

int openDescriptors()
{
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir) != nullptr)
            ++count;
        ::closedir(dir);
    }
    return count;
}

bool waitForConnections(const LoopbackServer& server, int n)
{
    Stopwatch watch;
    while (server.connections() < n && watch.elapsed() < kNoHangBound)
        std::this_thread::sleep_for(1ms);
    return server.connections() >= n;
}

TEST(SockWork, PortTextsAreNumbersInAnyBaseOrServiceNames)
{
    const servent* http = ::getservbyname("http", "tcp");
    struct Row {
        const char* text;
        int port;  // where the connection must arrive
    } rows[] = {{"8080", 8080}, {"0x1F90", 8080}, {"010", 8}, {"http", http ? ntohs(http->s_port) : -1}};
    int checked = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        if (row.port < 0) {
            SockWork sock;
            EXPECT_EQ(sock.Connect("127.0.0.1", row.text), SockWork::kUnknownPort);  // no services database
            continue;
        }
        LoopbackServer server({answer("")}, "127.0.0.1", static_cast<std::uint16_t>(row.port));
        if (!server.ok()) {
            std::printf("port %d is taken or not ours to bind; row %s not checked\n", row.port, row.text);
            continue;
        }
        SockWork sock;
        sock.setLimits(fastLimits());
        EXPECT_EQ(sock.Connect("127.0.0.1", row.text), 0);
        EXPECT_TRUE(waitForConnections(server, 1));
        sock.Close();
        ++checked;
    }
    if (checked == 0)
        GTEST_SKIP() << "no port of the table could be bound";
}

TEST(SockWork, PortTextsThatAreNoPort)
{
    // Trailing junk, an empty text, negative or too large numbers and unknown
    // services all give 4 and leave no socket.
    for (const char* text : {"8080x", "", "-1", "65536", "70000", "0x", "no-such-service-here", " 80 "}) {
        SCOPED_TRACE(text);
        SockWork sock;
        EXPECT_EQ(sock.Connect("127.0.0.1", text), SockWork::kUnknownPort);
        EXPECT_EQ(sock.errorBits(), 4u);
        EXPECT_FALSE(sock.hasSocket());
    }
    SockWork sock;
    EXPECT_EQ(sock.Connect("127.0.0.1", nullptr), SockWork::kUnknownPort);
}

TEST(SockWork, UnknownHostGivesTwoAndNoSocket)
{
    for (const char* host : {"nonexistent.invalid", "", "999.1.1.1.invalid"}) {
        SCOPED_TRACE(host);
        SockWork sock;
        EXPECT_EQ(sock.Connect(host, "80"), SockWork::kUnknownHost);
        EXPECT_EQ(sock.errorBits(), 2u);
        EXPECT_FALSE(sock.hasSocket());
    }
    SockWork sock;
    EXPECT_EQ(sock.Connect(nullptr, "80"), SockWork::kUnknownHost);
}

TEST(SockWork, NameLookupTakesTheFirstIpv4Address)
{
    LoopbackServer server({answer("")});
    ASSERT_TRUE(server.ok());
    SockWork sock;
    sock.setLimits(fastLimits());
    ASSERT_EQ(sock.Connect("localhost", server.portText()), 0);
    EXPECT_TRUE(waitForConnections(server, 1));
    sock.Close();
}

TEST(SockWork, RefusedConnectionGivesSixteenAndNoSocket)
{
    SockWork sock;
    EXPECT_EQ(sock.Connect("127.0.0.1", std::to_string(refusedPort())), SockWork::kConnectFailed);
    EXPECT_EQ(sock.errorBits(), 16u);
    EXPECT_FALSE(sock.hasSocket());
}

TEST(SockWork, FreshInstanceHasNoSocket)
{
    struct Row {
        bool send;
        int result;
        std::uint32_t bits;
    } rows[] = {{true, 32, 1 | 32}, {false, 128, 1 | 128}};
    for (const Row& row : rows) {
        SockWork sock;
        EXPECT_EQ(sock.errorBits(), 1u);
        char buffer[8];
        std::int32_t received = 77;
        const int result = row.send ? sock.SendAll("x", 1) : sock.ReceiveSome(buffer, sizeof buffer, 10, received);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(sock.errorBits(), row.bits);
        EXPECT_EQ(received, 77);  // not touched
        sock.Close();             // nothing to do, bits stay
        EXPECT_EQ(sock.errorBits(), row.bits);
    }
}

TEST(SockWork, FailedReceiveThenSendGives544UntilTheNextConnect)
{
    Exchange x({{Behaviour::Reset, ""}, answer("")});
    ASSERT_TRUE(x.ready);
    SockWork& sock = x.sock;
    char buffer[64];
    std::int32_t received = -5;
    EXPECT_EQ(sock.ReceiveSome(buffer, sizeof buffer, 10000, received), SockWork::kReceiveFailed);
    EXPECT_FALSE(sock.hasSocket());
    EXPECT_EQ(sock.SendAll("x", 1), SockWork::kSendWithoutSocket);
    EXPECT_EQ(sock.errorBits(), 544u);

    ASSERT_EQ(sock.Connect("127.0.0.1", x.server.portText()), 0);
    EXPECT_EQ(sock.errorBits(), 0u);
    sock.Close();
}

TEST(SockWork, PeerCloseGives1024AndTheStateSticks)
{
    Exchange x({answer("hello")});
    ASSERT_TRUE(x.ready);
    SockWork& sock = x.sock;

    std::string got;
    char buffer[3];  // small, so the answer takes several receives
    std::int32_t received = 0;
    int result = 0;
    for (int i = 0; i < 100 && result == 0; ++i) {
        result = sock.ReceiveSome(buffer, sizeof buffer, 10000, received);
        if (result == 0 && received == 0)
            break;  // timed out: the server did not close
        if (result == 0)
            got.append(buffer, static_cast<std::size_t>(received));
    }
    EXPECT_EQ(got, "hello");
    EXPECT_EQ(result, SockWork::kPeerClosed);
    EXPECT_FALSE(sock.hasSocket());
    EXPECT_EQ(sock.ReceiveSome(buffer, sizeof buffer, 10, received), SockWork::kReceiveWithoutSocket);
    EXPECT_EQ(sock.errorBits(), 1024u | 128u);
}

TEST(SockWork, SilentServerTimesOutAndKeepsTheConnection)
{
    Exchange x({{Behaviour::Silent, ""}});
    ASSERT_TRUE(x.ready);
    SockWork& sock = x.sock;

    for (int timeoutMs : {0, 250, 1250}) {  // whole seconds and the rest both count
        SCOPED_TRACE(timeoutMs);
        char buffer[16];
        std::int32_t received = 99;
        Stopwatch watch;
        EXPECT_EQ(sock.ReceiveSome(buffer, sizeof buffer, timeoutMs, received), 0);
        EXPECT_GE(watch.elapsed(), std::chrono::milliseconds(timeoutMs) - 20ms);
        EXPECT_EQ(received, 0);
        EXPECT_TRUE(sock.hasSocket());
        EXPECT_EQ(sock.errorBits(), 0u);
    }
    EXPECT_EQ(sock.SendAll("more", 4), 0);
    Stopwatch watch;
    sock.Close();  // the server never closes: the drain limit ends it
    EXPECT_LT(watch.elapsed(), kNoHangBound);
    EXPECT_FALSE(sock.hasSocket());
    EXPECT_EQ(sock.errorBits(), 0u);
}

TEST(SockWork, SendOfLengthZeroAndReceiveIntoNoRoom)
{
    Exchange x({answer("x")}, fastLimits(), false);
    ASSERT_TRUE(x.ready);
    SockWork& sock = x.sock;
    EXPECT_EQ(sock.SendAll(nullptr, 0), 0);
    std::int32_t received = 5;
    char buffer[4];
    EXPECT_EQ(sock.ReceiveSome(buffer, 0, 100, received), 0);  // not taken for "peer closed"
    EXPECT_EQ(received, 0);
    EXPECT_TRUE(sock.hasSocket());
    sock.Close();
}

TEST(SockWork, SendToAGonePeerIsAnErrorNotASignal)
{
    // The server closes at once, unread data makes that a reset; without
    // MSG_NOSIGNAL the second send would end this test program.
    Exchange x({{Behaviour::CloseOnAccept, ""}}, fastLimits(), false);
    ASSERT_TRUE(x.ready);
    SockWork& sock = x.sock;
    ASSERT_TRUE(waitForConnections(x.server, 1));
    const std::vector<char> big(8 * 1024 * 1024, 'x');
    int result = 0;
    for (int i = 0; i < 10 && result == 0; ++i)
        result = sock.SendAll(big.data(), big.size());
    EXPECT_EQ(result, SockWork::kSendFailed);
    EXPECT_FALSE(sock.hasSocket());
    EXPECT_EQ(sock.SendAll("x", 1), SockWork::kSendWithoutSocket);
}

// A listener that never accepts nor reads: the kernel completes connections
// into its backlog (with 0, just one) and drops the SYNs of any further ones.
struct DeafListener {
    explicit DeafListener(int backlog = 0)
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd, backlog);
        socklen_t length = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
        port = std::to_string(ntohs(a.sin_port));
    }
    ~DeafListener() { ::close(fd); }
    int fd;
    std::string port;
};

TEST(SockWork, SendToAPeerThatNeverReadsEndsAtTheSendLimit)
{
    DeafListener deaf;
    SockWork sock;
    SockWork::Limits limits = fastLimits();
    limits.send = 300ms;
    sock.setLimits(limits);
    ASSERT_EQ(sock.Connect("127.0.0.1", deaf.port), 0);
    const std::vector<char> big(64 * 1024 * 1024, 'x');
    Stopwatch watch;
    EXPECT_EQ(sock.SendAll(big.data(), big.size()), SockWork::kSendFailed);
    EXPECT_LT(watch.elapsed(), kNoHangBound);
    EXPECT_FALSE(sock.hasSocket());
}

TEST(SockWork, ConnectEndsAtItsOwnLimitWhenNoAnswerComes)
{
    DeafListener deaf;
    SockWork first;  // takes the one backlog place
    first.setLimits(fastLimits());
    ASSERT_EQ(first.Connect("127.0.0.1", deaf.port), 0);

    SockWork sock;
    SockWork::Limits limits = fastLimits();
    limits.connect = 300ms;
    sock.setLimits(limits);
    Stopwatch watch;
    const int result = sock.Connect("127.0.0.1", deaf.port);
    EXPECT_LT(watch.elapsed(), kNoHangBound);
    if (result == 0)
        GTEST_SKIP() << "this kernel let a second connection into a backlog of 0";
    EXPECT_EQ(result, SockWork::kConnectFailed);
    EXPECT_FALSE(sock.hasSocket());
}

TEST(SockWork, CloseDrainIsBoundedForServersThatNeverStop)
{
    struct Row {
        Behaviour behaviour;
        std::chrono::milliseconds drain;
        std::size_t drainBytes;
    } rows[] = {
        {Behaviour::AnswerKeepOpen, 200ms, 64 * 1024},    // never closes: time limit
        {Behaviour::StreamForever, 10000ms, 16 * 1024},   // never stops: byte limit
        {Behaviour::StreamForever, 200ms, 1024 * 1024 * 1024},  // time limit again
    };
    for (const Row& row : rows) {
        SockWork::Limits limits = fastLimits();
        limits.drain = row.drain;
        limits.drainBytes = row.drainBytes;
        Exchange x({{row.behaviour, "HTTP/1.0 200 OK\r\n"}}, limits);
        ASSERT_TRUE(x.ready);
        SockWork& sock = x.sock;
        Stopwatch watch;
        sock.Close();
        EXPECT_LT(watch.elapsed(), kNoHangBound);
        EXPECT_FALSE(sock.hasSocket());
        EXPECT_EQ(sock.errorBits(), 0u);
    }
}

TEST(SockWork, CloseSendsTheEndOfRequestAndWaitsForTheServer)
{
    // The server records up to the client's end of request and closes after
    // it: once Close returns, the record is complete and holds nothing more.
    Exchange x({answer("bye")});
    ASSERT_TRUE(x.ready);
    x.sock.Close();
    EXPECT_EQ(x.server.request(0), kPlainRequest);
}

TEST(SockWork, ConnectWithoutCloseLeaksNoDescriptor)
{
    DeafListener backlog(64);  // accepts nothing, so this process opens no descriptor for the server side
    SockWork sock;
    sock.setLimits(fastLimits());
    ASSERT_EQ(sock.Connect("127.0.0.1", backlog.port), 0);
    const int before = openDescriptors();
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(sock.Connect("127.0.0.1", backlog.port), 0);
    EXPECT_EQ(openDescriptors(), before);
    sock.Close();
}

}  // namespace
}  // namespace veltrin
