// The "--audio" text: every accepted form, the near misses refused with a
// reason, and the source each kind makes.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "audio/audio_source.h"

namespace veltrin {
namespace {

using Kind = AudioSourceSpec::Kind;

TEST(AudioSourceText, AcceptedFormsAndTheirCanonicalText)
{
    struct Case {
        const char* text;
        Kind kind;
        const char* address;
        int port;
        const char* path;
        const char* canonical;  // nullptr: the same as text
    };
    const Case cases[] = {
        {"", Kind::SoundCard, "127.0.0.1", 0, "", nullptr},
        {"stdin", Kind::Stdin, "127.0.0.1", 0, "", nullptr},
        {"udp:7355", Kind::Udp, "127.0.0.1", 7355, "", nullptr},
        {"udp:1", Kind::Udp, "127.0.0.1", 1, "", nullptr},
        {"udp:65535", Kind::Udp, "127.0.0.1", 65535, "", nullptr},
        {"udp:00080", Kind::Udp, "127.0.0.1", 80, "", "udp:80"},
        {"udp:127.0.0.1:7355", Kind::Udp, "127.0.0.1", 7355, "", "udp:7355"},
        {"udp:0.0.0.0:7355", Kind::Udp, "0.0.0.0", 7355, "", nullptr},
        {"udp:192.168.1.20:9", Kind::Udp, "192.168.1.20", 9, "", nullptr},
        {"udp:[::1]:7355", Kind::Udp, "::1", 7355, "", nullptr},
        {"udp:[fe80::1:2]:7355", Kind::Udp, "fe80::1:2", 7355, "", nullptr},
        {"wav:rec.wav", Kind::Wav, "127.0.0.1", 0, "rec.wav", nullptr},
        {"wav:C:/dir:x/a b.wav", Kind::Wav, "127.0.0.1", 0, "C:/dir:x/a b.wav", nullptr},
        {"wav:wav:", Kind::Wav, "127.0.0.1", 0, "wav:", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        AudioSourceSpec where;
        where.port = 99;  // a parse starts afresh
        ASSERT_EQ(parseAudioSourceSpec(c.text, where), "");
        EXPECT_EQ(where.kind, c.kind);
        EXPECT_EQ(where.address, c.address);
        EXPECT_EQ(where.port, c.port);
        EXPECT_EQ(where.path, c.path);
        EXPECT_EQ(audioSourceText(where), c.canonical ? c.canonical : c.text);
    }
}

TEST(AudioSourceText, RefusedFormsChangeNothingAndSayWhy)
{
    struct Case {
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"xyz", "unknown audio source \"xyz\" (use udp:PORT, udp:ADDRESS:PORT, stdin or wav:FILE)"},
        {"STDIN", "unknown audio source \"STDIN\""},
        {"stdin ", "unknown audio source"},
        {"udp", "unknown audio source"},
        {"tcp:7355", "unknown audio source"},
        {"udp:", "bad UDP port in \"udp:\""},
        {"udp:0", "bad UDP port in \"udp:0\" (a number from 1 to 65535)"},
        {"udp:65536", "bad UDP port"},
        {"udp:+7355", "bad UDP port"},
        {"udp:-1", "bad UDP port"},
        {"udp: 7355", "bad UDP port"},
        {"udp:7355 ", "bad UDP port"},
        {"udp:0x10", "bad UDP port"},
        {"udp:99999999999999999999", "bad UDP port"},
        {"udp:1.2.3.4:", "bad UDP port"},
        {"udp:1.2.3.4:70000", "bad UDP port"},
        {"udp:localhost:7355", "bad address in \"udp:localhost:7355\""},
        {"udp:1.2.3:7355", "bad address"},
        {"udp:1.2.3.4:5:6", "bad UDP port"},
        {"udp::7355", "bad address"},
        {"udp:::1:7355", "bad address"},
        {"udp:[::1]7355", "bad address"},
        {"udp:[::1", "bad address"},
        {"udp:[::1]:", "bad UDP port"},
        {"udp:[1.2.3.4]:7355", "bad IPv6 address"},
        {"udp:[]:7355", "bad IPv6 address"},
        {"wav:", "no file name in \"wav:\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        AudioSourceSpec where;
        where.kind = Kind::Wav;
        where.path = "kept.wav";
        const std::string error = parseAudioSourceSpec(c.text, where);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(where.kind, Kind::Wav);
        EXPECT_EQ(where.path, "kept.wav");
    }
}

TEST(AudioSourceText, EachKindMakesItsSource)
{
    const AudioSourceOptions options;
    AudioSourceSpec where;
    EXPECT_EQ(makeAudioSource(where, options), nullptr);

    where.kind = Kind::Stdin;
    auto stdinSource = makeAudioSource(where, options);
    ASSERT_NE(stdinSource, nullptr);
    EXPECT_EQ(stdinSource->sampleRate(), 48000.0);

    where.kind = Kind::Wav;
    where.path = "/nonexistent/dir/x.wav";
    auto wav = makeAudioSource(where, options);
    ASSERT_NE(wav, nullptr);
    EXPECT_EQ(wav->open(), "/nonexistent/dir/x.wav: File Open Error!");

    // The UDP source listens where it is told: on a port taken already
    // it reports that very port.
    const int taken = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(taken, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(taken, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t length = sizeof a;
    ASSERT_EQ(::getsockname(taken, reinterpret_cast<sockaddr*>(&a), &length), 0);
    const std::string port = std::to_string(ntohs(a.sin_port));
    ASSERT_EQ(parseAudioSourceSpec("udp:" + port, where), "");
    auto udp = makeAudioSource(where, options);
    ASSERT_NE(udp, nullptr);
    EXPECT_EQ(udp->sampleRate(), 48000.0);
    EXPECT_EQ(udp->open(), "udp:" + port + ": cannot listen on 127.0.0.1 port " + port + ": Address already in use");
    ::close(taken);
}

}  // namespace
}  // namespace veltrin
