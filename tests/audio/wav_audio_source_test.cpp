// A recording played as if live: the first channel at the file's own rate,
// the files it cannot play refused with the user's texts, paced play taking
// the recording's time, and a real recording delivered in full.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "audio/wav_audio_source.h"
#include "source_station.h"

namespace veltrin {
namespace {

using test::kFrames;
using test::Station;
using test::waitUntil;

struct Format {
    std::uint16_t tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 44100;
    std::uint16_t bits = 16;
};

// A canonical WAV file: "fmt " then "data" with the interleaved samples
// (as 16-bit values; other sizes get filler bytes, for refusal only).
std::vector<std::uint8_t> wavFile(const Format& f, const std::vector<std::int16_t>& interleaved)
{
    const std::uint16_t align =
        static_cast<std::uint16_t>(std::max<int>(1, f.channels) * std::max<int>(1, f.bits / 8));
    const std::vector<std::uint8_t> data =
        f.bits == 16 ? test::int16Bytes(interleaved) : std::vector<std::uint8_t>(align * 64u, 0x40);
    std::vector<std::uint8_t> b;
    test::putId(b, "RIFF");
    test::put32(b, static_cast<std::uint32_t>(4 + 8 + 16 + 8 + data.size()));
    test::putId(b, "WAVE");
    test::putId(b, "fmt ");
    test::put32(b, 16);
    test::put16(b, f.tag);
    test::put16(b, f.channels);
    test::put32(b, f.rate);
    test::put32(b, f.rate * align);
    test::put16(b, align);
    test::put16(b, f.bits);
    test::putId(b, "data");
    test::put32(b, static_cast<std::uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

AudioSourceOptions playOptions(bool fast, double silenceSeconds = 0)
{
    AudioSourceOptions o;
    o.fast = fast;
    o.silenceSeconds = silenceSeconds;
    return o;
}

TEST(WavAudioSource, PlaysTheFirstChannelAtTheFileRate)
{
    test::TempDir dir;
    const auto left = test::testSamples(44100, 11);
    std::vector<std::int16_t> interleaved;
    for (std::int16_t s : left) {
        interleaved.push_back(s);
        interleaved.push_back(static_cast<std::int16_t>(~s));
    }
    const std::string path = dir.file("stereo.wav");
    test::writeBytes(path, wavFile(Format{.channels = 2}, interleaved));
    WavAudioSource source(path, playOptions(true, 0.2));
    ASSERT_EQ(source.open(), "");
    EXPECT_EQ(source.sampleRate(), 44100.0);
    Station station;
    station.start(source);
    ASSERT_TRUE(station.drainUntilEnded(source));
    // Six buffers of audio (the last zero-filled), then 0.2 s of silence:
    // 8820 frames, two buffers.
    EXPECT_EQ(station.frames, test::padded(left, 6 + 2));
    EXPECT_EQ(source.stats().framesQueued, 44100u + 2 * kFrames);
    EXPECT_TRUE(station.waitForBlocks(8 + 1));
    EXPECT_EQ(station.poster.audioBlocks, 8 + 1);
    EXPECT_EQ(source.failure(), "");
}

TEST(WavAudioSource, FilesItCannotPlayAreRefusedWithTheReason)
{
    test::TempDir dir;
    const auto samples = test::testSamples(100, 12);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;  // empty: no file at all
        const char* error;                // after "FILE: "; "" when it plays
    };
    const Case cases[] = {
        {"missing", {}, "File Open Error!"},
        {"not RIFF", std::vector<std::uint8_t>(64, 'x'), "File Open Error!"},
        {"float", wavFile(Format{.tag = 3, .bits = 32}, samples), "Unsupported audio format!"},
        {"8-bit", wavFile(Format{.bits = 8}, samples), "Unsupported audio format!"},
        {"24-bit", wavFile(Format{.bits = 24}, samples), "Unsupported audio format!"},
        {"no channels", wavFile(Format{.channels = 0}, samples), "Unsupported audio format!"},
        {"12 kHz", wavFile(Format{.rate = 12000}, samples), "Unsupported sample rate!"},
        {"39999 Hz", wavFile(Format{.rate = 39999}, samples), "Unsupported sample rate!"},
        {"400001 Hz", wavFile(Format{.rate = 400001}, samples), "Unsupported sample rate!"},
        {"40000 Hz", wavFile(Format{.rate = 40000}, samples), ""},
        {"400000 Hz", wavFile(Format{.rate = 400000}, samples), ""},
        {"48 kHz", wavFile(Format{.rate = 48000}, samples), ""},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("f" + std::to_string(index++) + ".wav");
        if (!c.bytes.empty())
            test::writeBytes(path, c.bytes);
        WavAudioSource source(path, playOptions(true));
        const std::string error = source.open();
        EXPECT_EQ(error, *c.error ? path + ": " + c.error : "");
        // A refused file is never played.
        Station station;
        station.start(source);
        if (error.empty()) {
            ASSERT_TRUE(waitUntil([&] { return source.ended(); }));
        }
        source.stop();
        EXPECT_EQ(source.ended(), error.empty());
    }
}

TEST(WavAudioSource, PacedPlayTakesAboutTheRecordingsTime)
{
    test::TempDir dir;
    const auto samples = test::testSamples(48000, 13);
    const std::string path = dir.file("one_second.wav");
    test::writeBytes(path, wavFile(Format{.rate = 48000}, samples));
    for (bool fast : {false, true}) {
        SCOPED_TRACE(fast ? "fast" : "paced");
        WavAudioSource source(path, playOptions(fast));
        ASSERT_EQ(source.open(), "");
        Station station;
        const double seconds = test::secondsFor([&] {
            station.start(source);
            ASSERT_TRUE(station.drainUntilEnded(source));
        });
        EXPECT_EQ(station.frames, test::padded(samples, 6));
        if (!fast) {
            EXPECT_GE(seconds, 0.5);  // never faster than real time
        }
    }
}

TEST(WavAudioSource, StopDuringPacedPlayIsAnsweredPromptly)
{
    test::TempDir dir;
    const std::string path = dir.file("short.wav");
    test::writeBytes(path, wavFile(Format{.rate = 48000}, test::testSamples(1000, 14)));
    WavAudioSource source(path, playOptions(false, 60));
    ASSERT_EQ(source.open(), "");
    Station station;
    station.start(source);
    ASSERT_TRUE(station.waitForBlocks(1));
    EXPECT_LT(test::secondsFor([&] { source.stop(); }), 2.0);
    EXPECT_FALSE(source.ended());
}

// The samples of a simple WAV file's "data" chunk, found without the reader.
std::vector<std::int16_t> dataChunkSamples(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::int16_t> out;
    for (std::size_t p = 12; p + 8 <= bytes.size();) {
        const std::uint32_t size = test::le32At(bytes, p + 4);
        if (std::memcmp(&bytes[p], "data", 4) == 0) {
            for (std::size_t i = p + 8; i + 1 < std::min<std::size_t>(bytes.size(), p + 8 + size); i += 2)
                out.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
            break;
        }
        p += 8 + size + (size & 1);
    }
    return out;
}

TEST(WavAudioSource, RealRecordingArrivesInFull)
{
    const std::string path = std::string(VELTRIN_TEST_DATA) + "/known_text_s4_48k.wav";
    const auto expected = dataChunkSamples(test::readBytes(path));
    ASSERT_GT(expected.size(), 40 * kFrames);  // more than the FIFO may hold ahead
    WavAudioSource source(path, playOptions(true));
    ASSERT_EQ(source.open(), "");
    EXPECT_EQ(source.sampleRate(), 48000.0);
    Station station;
    station.start(source);
    ASSERT_TRUE(station.drainUntilEnded(source));
    EXPECT_EQ(station.frames, test::padded(expected, (expected.size() + kFrames - 1) / kFrames));
    EXPECT_EQ(source.stats().framesQueued, expected.size());
}

}  // namespace
}  // namespace veltrin
