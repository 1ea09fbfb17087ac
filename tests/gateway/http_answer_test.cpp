#include "gateway/http_answer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "gateway_test_util.h"

namespace veltrin {
namespace {

using namespace test;

TEST(ParseHttpStatus, Table)
{
    struct Row {
        const char* answer;
        int code;
    } rows[] = {
        {"HTTP/1.0 204 No Content\r\n\r\n", 204},
        {"HTTP/1.1 403 Forbidden\r\n\r\n", 403},
        {"HTTP/1.0 200 OK", 200},
        {"HTTP/1.0\t302 Found", 302},        // a tab after the version
        {"HTTP/1.0   \t 500", 500},          // white space before the number
        {"junk before HTTP/2 201 x", 201},   // the first "HTTP/" anywhere
        {"HTTP/1.0\xC3\xA9 200", 200},       // bytes above 127 belong to the version
        {"HTTP/1.0 abc", 0},                 // no number
        {"HTTP/1.0 ", 0},
        {"HTTP/1.0 -7", -7},
        {"HTTP/1.0 99999999999999999999", INT_MAX},  // clamped, no overflow
        {"HTTP/1.0\r\n", -2},
        {"HTTP/1.0", -2},
        {"HTTP/", -2},
        {"HTTP/1.0_200", -2},
        {"http/1.0 200", -1},
        {"no status line\r\n\r\n", -1},
        {"", -1},
        {nullptr, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer ? row.answer : "(null)");
        EXPECT_EQ(parseHttpStatus(row.answer), row.code);
    }
}

struct AnswerRow {
    const char* name;
    Reply reply;
    int minBytes, maxBytes;  // the count readHttpAnswer must return
    std::string prefix;      // what the buffer must start with
};

TEST(ReadHttpAnswer, BoundsAndEndings)
{
    const std::string longAnswer = "HTTP/1.0 200 OK\r\n" + std::string(3000, 'y') + "\r\n\r\n";
    const AnswerRow rows[] = {
        {"header end", answer("HTTP/1.0 204 No Content\r\n\r\n"), 27, 27, "HTTP/1.0 204 No Content\r\n\r\n"},
        {"closed without header end", answer("HTTP/1.0\r\n"), 10, 10, "HTTP/1.0\r\n"},
        {"five bytes", answer("HTTP/"), 5, 5, "HTTP/"},
        {"longer than 1020", answer(longAnswer), 1016, 1020, longAnswer.substr(0, 1016)},
        {"streams forever", {Behaviour::StreamForever, "HTTP/1.0 200 OK\r\n"}, 1016, 1020, "HTTP/1.0 200 OK\r\nX-"},
        {"no header end, never closes", {Behaviour::AnswerKeepOpen, "HTTP/1.0 200 OK\r\n"}, 17, 17,
         "HTTP/1.0 200 OK\r\n"},
        {"silent", {Behaviour::Silent, ""}, 0, 0, ""},
        {"closes without answer", {Behaviour::CloseNoAnswer, ""}, 0, 0, ""},
        {"resets", {Behaviour::Reset, ""}, 0, 0, ""},
    };
    for (const AnswerRow& row : rows) {
        SCOPED_TRACE(row.name);
        Exchange x({row.reply});
        ASSERT_TRUE(x.ready);
        SockWork& sock = x.sock;

        ExchangeBuffer buffer;
        buffer.fill('Z');
        Stopwatch watch;
        const int n = readHttpAnswer(sock, buffer, fastTiming());
        EXPECT_LT(watch.elapsed(), kNoHangBound);
        EXPECT_GE(n, row.minBytes);
        EXPECT_LE(n, row.maxBytes);
        ASSERT_GE(n, 0);
        ASSERT_LE(n, kAnswerMax);
        EXPECT_EQ(buffer[n], '\0');
        EXPECT_EQ(std::string(buffer.data(), row.prefix.size()), row.prefix);
        for (int i = kAnswerMax + 1; i < kExchangeBufferBytes; ++i)
            EXPECT_EQ(buffer[i], 'Z') << "written past the answer's 1020 bytes + NUL at " << i;
        EXPECT_FALSE(sock.hasSocket());  // always closed afterwards
    }
}

TEST(ReadHttpAnswer, SilentServerCostsTheReadsTimesTheirLimit)
{
    Exchange x({{Behaviour::Silent, ""}}, fastLimits(), false);
    ASSERT_TRUE(x.ready);
    SockWork& sock = x.sock;
    ExchangeTiming timing;
    timing.receiveTimeoutMs = 60;
    timing.pause = 10ms;
    timing.reads = 4;
    ExchangeBuffer buffer;
    Stopwatch watch;
    EXPECT_EQ(readHttpAnswer(sock, buffer, timing), 0);
    EXPECT_GE(watch.elapsed(), 4 * (60ms + 10ms) - 20ms);  // every read waited
    EXPECT_LT(watch.elapsed(), kNoHangBound);
    EXPECT_EQ(buffer[0], '\0');
}

TEST(ReadHttpAnswer, ANulInTheAnswerDoesNotHideTheHeaderEnd)
{
    const std::string reply("HTTP/1.0 200 OK\r\nX: a\0b\r\n\r\n", 27);
    Exchange x({{Behaviour::AnswerKeepOpen, reply}});
    ASSERT_TRUE(x.ready);
    SockWork& sock = x.sock;
    // A missed header end would make a second read, which this server lets
    // run to its full minute.
    ExchangeTiming timing = fastTiming();
    timing.receiveTimeoutMs = 60000;
    timing.reads = 2;
    ExchangeBuffer buffer;
    Stopwatch watch;
    const int n = readHttpAnswer(sock, buffer, timing);
    EXPECT_LT(watch.elapsed(), 30s);
    EXPECT_EQ(n, 27);
    EXPECT_EQ(parseHttpStatus(buffer.data()), 200);
}

TEST(ReadHttpAnswer, WithoutAConnectionReadsNothing)
{
    SockWork sock;
    ExchangeBuffer buffer;
    buffer.fill('Z');
    EXPECT_EQ(readHttpAnswer(sock, buffer, fastTiming()), 0);
    EXPECT_EQ(buffer[0], '\0');
}

}  // namespace
}  // namespace veltrin
