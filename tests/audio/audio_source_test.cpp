// The UDP and standard-input sources over real sockets and pipes: samples
// arrive exactly and in order whatever the datagrams and reads are cut
// into, bad datagrams are dropped whole, the end of a stream is followed
// by silence, and stop() is answered whatever the source is waiting for.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "audio/stream_audio_source.h"
#include "audio/udp_audio_source.h"
#include "source_station.h"

namespace veltrin {
namespace {

using test::kFrames;
using test::Station;
using test::waitUntil;

AudioSourceOptions withSilence(double seconds, int captureChannel = 0)
{
    AudioSourceOptions o;
    o.silenceSeconds = seconds;
    o.captureChannel = captureChannel;
    return o;
}

// --- UDP -------------------------------------------------------------------

// A UDP source on a port of the system's choosing, and a socket to send to it.
struct UdpLink {
    UdpAudioSource source;
    int sender = -1;
    sockaddr_in to{};

    UdpLink() : source(AudioSourceSpec{AudioSourceSpec::Kind::Udp, "127.0.0.1", 0, ""}, AudioSourceOptions{})
    {
        EXPECT_EQ(source.open(), "");
        sender = ::socket(AF_INET, SOCK_DGRAM, 0);
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(static_cast<std::uint16_t>(source.boundPort()));
    }
    ~UdpLink() { ::close(sender); }
    void send(const std::vector<std::uint8_t>& d)
    {
        ASSERT_EQ(::sendto(sender, d.data(), d.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to),
                  static_cast<ssize_t>(d.size()));
    }
};

// Sends each datagram, letting the source catch up now and then so that the
// kernel's receive buffer never overflows.
template <typename Send>
void sendAll(LiveAudioSource& source, const std::vector<std::vector<std::uint8_t>>& datagrams, Send send)
{
    const std::uint64_t before = source.stats().datagramsReceived;
    for (std::size_t i = 0; i < datagrams.size(); ++i) {
        send(datagrams[i]);
        if (i % 16 == 15 || i + 1 == datagrams.size()) {
            ASSERT_TRUE(waitUntil([&] { return source.stats().datagramsReceived >= before + i + 1; }));
        }
    }
}

std::vector<std::vector<std::uint8_t>> cut(const std::vector<std::int16_t>& samples, std::size_t bytesEach)
{
    std::vector<std::vector<std::uint8_t>> out;
    for (std::size_t i = 0; i < samples.size(); i += bytesEach / 2)
        out.push_back(test::littleEndian(samples, i, bytesEach / 2));
    return out;
}

TEST(UdpAudioSource, SamplesRunOnAcrossDatagramsAndAPartialBufferWaits)
{
    UdpLink link;
    Station station;
    station.start(link.source);
    const auto samples = test::testSamples(4 * kFrames, 3);
    // Three buffers and 100 samples in 1024-byte datagrams.
    const std::vector<std::int16_t> first(samples.begin(), samples.begin() + 3 * kFrames + 100);
    const auto datagrams = cut(first, 1024);
    sendAll(link.source, datagrams, [&](const auto& d) { link.send(d); });
    ASSERT_TRUE(station.waitForBlocks(3));
    station.drain();
    EXPECT_EQ(station.frames, std::vector<std::int16_t>(samples.begin(), samples.begin() + 3 * kFrames));
    EXPECT_EQ(station.poster.audioBlocks, 3);

    // The rest of the fourth buffer completes the 100 samples waiting.
    link.send(test::littleEndian(samples, first.size()));
    ASSERT_TRUE(station.waitForBlocks(4));
    station.drain();
    EXPECT_EQ(station.frames, samples);
    const AudioSourceStats stats = link.source.stats();
    EXPECT_EQ(stats.datagramsReceived, datagrams.size() + 1);
    EXPECT_EQ(stats.datagramsDropped, 0u);
    EXPECT_EQ(stats.framesQueued, 4 * kFrames);
    EXPECT_EQ(station.layoutFaults, 0);
    EXPECT_FALSE(link.source.ended());
}

TEST(UdpAudioSource, DatagramsThatAreNotWholeSamplesAreDroppedWhole)
{
    UdpLink link;
    Station station;
    station.start(link.source);
    const auto samples = test::testSamples(5 * kFrames, 4);
    // Good ones around the bad ones, one as large as IPv4 allows.
    const std::size_t a = 500, b = 32753;
    const std::vector<std::vector<std::uint8_t>> datagrams = {
        test::littleEndian(samples, 0, a),
        {},
        std::vector<std::uint8_t>(1001, 0x55),
        test::littleEndian(samples, a, b),
        {0x01, 0x02, 0x03},
        test::littleEndian(samples, a + b),
    };
    sendAll(link.source, datagrams, [&](const auto& d) { link.send(d); });
    ASSERT_TRUE(station.waitForBlocks(5));
    station.drain();
    EXPECT_EQ(station.frames, samples);
    EXPECT_EQ(link.source.stats().datagramsReceived, 6u);
    EXPECT_EQ(link.source.stats().datagramsDropped, 3u);
}

TEST(UdpAudioSource, DatagramOverSixtyFourKibibytesIsDroppedWhole)
{
    // Loopback UDP cannot carry more than 64 KiB; a local datagram socket
    // can, and the source reads it the same way.
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_DGRAM, 0, pair), 0);
    int sendBuffer = 1 << 20;
    ::setsockopt(pair[1], SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    UdpAudioSource source(pair[0], AudioSourceOptions{});
    ASSERT_EQ(source.open(), "");
    Station station;
    station.start(source);
    const auto samples = test::testSamples(5 * kFrames, 5);
    const std::vector<std::vector<std::uint8_t>> datagrams = {
        test::littleEndian(samples, 0, 4 * kFrames),  // exactly the largest taken
        std::vector<std::uint8_t>(UdpAudioSource::kMaxDatagramBytes + 2, 0x7F),
        test::littleEndian(samples, 4 * kFrames),
    };
    sendAll(source, datagrams, [&](const auto& d) {
        ASSERT_EQ(::send(pair[1], d.data(), d.size(), 0), static_cast<ssize_t>(d.size()));
    });
    ASSERT_TRUE(station.waitForBlocks(5));
    station.drain();
    EXPECT_EQ(station.frames, samples);
    EXPECT_EQ(source.stats().datagramsDropped, 1u);
    source.stop();
    EXPECT_EQ(::fcntl(pair[0], F_GETFD), -1) << "the socket taken over is closed by stop()";
    ::close(pair[1]);
}

TEST(UdpAudioSource, StopReleasesThePort)
{
    int port = 0;
    {
        UdpLink link;
        port = link.source.boundPort();
        ASSERT_GT(port, 0);
        Station station;
        station.start(link.source);
        link.source.stop();
        link.source.stop();
    }
    UdpAudioSource again(AudioSourceSpec{AudioSourceSpec::Kind::Udp, "127.0.0.1", port, ""}, AudioSourceOptions{});
    EXPECT_EQ(again.open(), "");
}

// --- Standard input ----------------------------------------------------------

struct Pipe {
    int read = -1, write = -1;
    Pipe()
    {
        int fds[2];
        EXPECT_EQ(::pipe(fds), 0);
        read = fds[0];
        write = fds[1];
    }
    ~Pipe()
    {
        closeWrite();
        if (read >= 0)
            ::close(read);
    }
    void closeWrite()
    {
        if (write >= 0)
            ::close(write);
        write = -1;
    }
    // Writes everything, blocking while the pipe is full.
    void put(const std::vector<std::uint8_t>& bytes)
    {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(write, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
        }
    }
};

// A standard-input source reading a pipe, started. The source goes first
// when this ends: its thread uses the station.
struct StreamRun {
    Pipe pipe;
    Station station;
    StreamAudioSource source;
    explicit StreamRun(const AudioSourceOptions& options) : source(options, pipe.read)
    {
        EXPECT_EQ(source.open(), "");
        station.start(source);
    }
};

TEST(StreamAudioSource, OddSplitReadsLoseNoSampleAndTheEndIsZeroFilled)
{
    StreamRun run(withSilence(0));
    auto& pipe = run.pipe;
    auto& station = run.station;
    auto& source = run.source;
    const auto samples = test::testSamples(2 * kFrames + 5, 6);
    const auto bytes = test::littleEndian(samples);
    // Each piece is read before the next is written, so samples are split
    // between reads.
    const std::size_t pieces[] = {1, 3, 1024, 7, 2, 1001, 5};
    std::size_t at = 0;
    for (int i = 0; at < bytes.size(); ++i) {
        const std::size_t n = std::min(pieces[i % std::size(pieces)], bytes.size() - at);
        pipe.put(std::vector<std::uint8_t>(bytes.begin() + at, bytes.begin() + at + n));
        at += n;
        ASSERT_TRUE(waitUntil([&] {
            int unread = 0;
            return ::ioctl(pipe.read, FIONREAD, &unread) == 0 && unread == 0;
        }));
    }
    pipe.closeWrite();
    ASSERT_TRUE(station.drainUntilEnded(source));
    EXPECT_EQ(station.frames, test::padded(samples, 3));
    EXPECT_EQ(source.stats().framesQueued, samples.size());
    EXPECT_EQ(source.failure(), "");
}

TEST(StreamAudioSource, BuffersAreLaidOutForTheCaptureChannel)
{
    const auto samples = test::testSamples(kFrames + 10, 7);
    for (int channel : {0, 1, 2}) {
        SCOPED_TRACE(channel);
        StreamRun run(withSilence(0, channel));
        auto& pipe = run.pipe;
        auto& station = run.station;
        auto& source = run.source;
        pipe.put(test::littleEndian(samples));
        pipe.closeWrite();
        ASSERT_TRUE(waitUntil([&] { return source.ended(); }));
        std::vector<std::int16_t> raw(test::kBufferSamples);
        ASSERT_EQ(station.fifo->Get(raw.data()), 0);
        for (std::size_t k = 0; k < kFrames; ++k) {
            if (channel == 0) {
                ASSERT_EQ(raw[k], samples[k]) << k;
                ASSERT_EQ(raw[kFrames + k], 0) << "mono buffers use the first half only";
            } else {
                ASSERT_EQ(raw[2 * k], samples[k]) << k;
                ASSERT_EQ(raw[2 * k + 1], samples[k]) << k;
            }
        }
        station.drain(channel);  // the zero-filled second buffer
        EXPECT_EQ(station.layoutFaults, 0);
        EXPECT_EQ(station.frames, test::padded({samples.begin() + kFrames, samples.end()}, 1));
    }
}

TEST(StreamAudioSource, TheEndOfTheStreamIsFollowedBySilence)
{
    struct Case {
        const char* name;
        std::size_t samples;
        bool oddByte;
        double silenceSeconds;
        std::size_t buffers;  // audio and silence
        const char* failure;
    };
    const Case cases[] = {
        {"exactly one buffer", kFrames, false, 0, 1, ""},
        {"one sample more", kFrames + 1, false, 0, 2, ""},
        {"odd last byte dropped", 100, true, 0, 1, ""},
        {"silence rounded up", 100, false, 0.5, 1 + 3, ""},
        {"one buffer's worth of silence", 100, false, 8192 / 48000.0, 1 + 1, ""},
        {"negative silence is none", 100, false, -1, 1, ""},
        {"nothing at all", 0, false, 4, 0, "no audio on standard input"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StreamRun run(withSilence(c.silenceSeconds));
        auto& pipe = run.pipe;
        auto& station = run.station;
        auto& source = run.source;
        const auto samples = test::testSamples(c.samples, 8);
        auto bytes = test::littleEndian(samples);
        if (c.oddByte)
            bytes.push_back(0x7F);
        pipe.put(bytes);
        pipe.closeWrite();
        ASSERT_TRUE(waitUntil([&] { return source.ended(); }));
        station.drain();
        EXPECT_EQ(station.buffers, c.buffers);
        EXPECT_EQ(station.frames, test::padded(samples, c.buffers));
        EXPECT_TRUE(station.waitForBlocks(static_cast<int>(c.buffers) + 1));
        EXPECT_EQ(station.poster.audioBlocks, static_cast<int>(c.buffers) + 1) << "one more after the end";
        EXPECT_EQ(source.failure(), c.failure);
        const std::size_t silence = c.buffers - (c.samples + kFrames - 1) / kFrames;
        EXPECT_EQ(source.stats().framesQueued, c.samples + silence * kFrames);
    }
}

TEST(StreamAudioSource, ClosedDescriptorIsRefused)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    ::close(fds[1]);
    for (int fd : {fds[0], -1}) {
        StreamAudioSource source(AudioSourceOptions{}, fd);
        EXPECT_EQ(source.open(), "standard input is closed");
        Station station;
        station.start(source);  // refused: nothing was opened
        source.stop();
        EXPECT_FALSE(source.ended());
    }
}

TEST(StreamAudioSource, ReadErrorEndsTheStreamWithItsReason)
{
    // A directory opens and polls as readable, and every read() fails.
    const int dir = ::open(".", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dir, 0);
    StreamAudioSource source(withSilence(1), dir);
    ASSERT_EQ(source.open(), "");
    Station station;
    station.start(source);
    ASSERT_TRUE(waitUntil([&] { return source.ended(); }));
    EXPECT_EQ(source.failure(), "cannot read standard input: Is a directory");
    EXPECT_EQ(source.stats().buffersQueued, 0u);
    EXPECT_TRUE(station.waitForBlocks(1));
    source.stop();
    EXPECT_EQ(::fcntl(dir, F_GETFD), 0) << "the caller's descriptor stays open";
    ::close(dir);
}

TEST(StreamAudioSource, WaitsWhileTheStationIsBehindAndLosesNothing)
{
    StreamRun run(withSilence(0));
    auto& pipe = run.pipe;
    auto& station = run.station;
    auto& source = run.source;
    const auto samples = test::testSamples(40 * kFrames, 9);
    std::thread writer([&] {
        pipe.put(test::littleEndian(samples));
        pipe.closeWrite();
    });
    ASSERT_TRUE(station.waitForBlocks(AudioSourceThread::kMaxBuffersAhead));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(station.poster.audioBlocks, AudioSourceThread::kMaxBuffersAhead);
    EXPECT_EQ(station.fifo->bufferCount(), AudioSourceThread::kMaxBuffersAhead);
    EXPECT_FALSE(source.ended());
    EXPECT_TRUE(station.drainUntilEnded(source));
    writer.join();
    EXPECT_EQ(station.frames, samples);
}

// --- stop() --------------------------------------------------------------------

TEST(LiveAudioSource, StopIsAnsweredPromptlyWhateverTheSourceWaitsFor)
{
    struct Case {
        const char* name;
        std::function<void(Pipe&, Station&)> setUp;
    };
    const Case cases[] = {
        {"a pipe with nothing in it", [](Pipe&, Station&) {}},
        {"room in a full FIFO",
         [](Pipe& pipe, Station& station) {
             std::vector<std::uint8_t> b(TBufBufFifo::kBufferBytes, 0);
             for (int i = 0; i < AudioSourceThread::kMaxBuffersAhead; ++i)
                 station.fifo->Put(b.data());
             pipe.put(std::vector<std::uint8_t>(2 * kFrames * 2, 1));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StreamRun run(AudioSourceOptions{});
        auto& pipe = run.pipe;
        auto& station = run.station;
        auto& source = run.source;
        c.setUp(pipe, station);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        EXPECT_LT(test::secondsFor([&] { source.stop(); }), 2.0);
        EXPECT_FALSE(source.ended());
    }
    UdpLink idle;
    Station station;
    station.start(idle.source);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_LT(test::secondsFor([&] { idle.source.stop(); }), 2.0);
    // Never started: nothing to wait for.
    StreamAudioSource unstarted(AudioSourceOptions{}, 0);
    unstarted.stop();
}

}  // namespace
}  // namespace veltrin
