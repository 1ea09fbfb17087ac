// The capture file writer: header layout, the periodic header patch, the
// result codes, and what is left on disk when writing fails.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "audio/wave_read.h"
#include "audio/wave_write.h"
#include "wav_files.h"

namespace veltrin {
namespace {

using test::le32At;
using test::TempDir;

constexpr int kFrames = 8192;  // one capture buffer of 16384 bytes

std::vector<std::int16_t> buffer(int index)
{
    return test::testSamples(kFrames, static_cast<std::uint32_t>(index + 1));
}

TEST(WaveWrite, CaptureHeaderIsPatchedOnlyEvery661500Bytes)
{
    TempDir dir;
    const std::string path = dir.file("capture.wav");
    TWaveWrite writer;
    ASSERT_EQ(writer.Open(path, 1, 16, 48000), 0);

    const std::vector<std::uint8_t> header = test::readBytes(path);
    std::vector<std::uint8_t> expected;
    test::putId(expected, "RIFF");
    test::put32(expected, 36);
    test::putId(expected, "WAVE");
    test::putId(expected, "fmt ");
    test::put32(expected, 16);
    test::put16(expected, 1);
    test::put16(expected, 1);
    test::put32(expected, 48000);
    test::put32(expected, 96000);
    test::put16(expected, 2);
    test::put16(expected, 16);
    test::putId(expected, "data");
    test::put32(expected, 0);
    EXPECT_EQ(header, expected);

    std::vector<std::int16_t> all;
    auto writeBuffer = [&](int i) {
        const auto samples = buffer(i);
        all.insert(all.end(), samples.begin(), samples.end());
        return writer.Write(samples.data(), kFrames);
    };
    // 40 buffers make 655360 bytes, still under the interval.
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(writeBuffer(i), 0);
        const auto bytes = test::readBytes(path);
        ASSERT_EQ(le32At(bytes, 4), 36u) << "patched after buffer " << i + 1;
        ASSERT_EQ(le32At(bytes, 40), 0u);
    }
    ASSERT_EQ(writeBuffer(40), 0);
    auto bytes = test::readBytes(path);
    EXPECT_EQ(le32At(bytes, 40), 41u * 16384u) << "the 41st buffer brings the first patch";
    EXPECT_EQ(le32At(bytes, 4), 41u * 16384u + 36u);
    ASSERT_EQ(writeBuffer(41), 0);
    EXPECT_EQ(le32At(test::readBytes(path), 40), 41u * 16384u) << "next patch only after another 661500 bytes";

    EXPECT_EQ(writer.Close(), 0);
    EXPECT_FALSE(writer.isOpen());
    bytes = test::readBytes(path);
    EXPECT_EQ(le32At(bytes, 40), 42u * 16384u);
    EXPECT_EQ(le32At(bytes, 4), 42u * 16384u + 36u);

    // A third-party reader agrees with what we wrote.
    const std::string raw = dir.file("back.raw");
    ASSERT_EQ(std::system(("sox -q '" + path + "' -t raw '" + raw + "'").c_str()), 0);
    EXPECT_EQ(test::readBytes(raw), test::int16Bytes(all));
}

TEST(WaveWrite, TwentyBuffersAreSizedOnClose)
{
    TempDir dir;
    const std::string path = dir.file("twenty.wav");
    TWaveWrite writer;
    ASSERT_EQ(writer.Open(path, 1, 16, 48000), 0);
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(writer.Write(buffer(i).data(), kFrames), 0);
    auto bytes = test::readBytes(path);
    EXPECT_EQ(le32At(bytes, 4), 36u);
    EXPECT_EQ(le32At(bytes, 40), 0u);
    ASSERT_EQ(writer.Close(), 0);
    bytes = test::readBytes(path);
    EXPECT_EQ(le32At(bytes, 4), 327716u);
    EXPECT_EQ(le32At(bytes, 40), 327680u);
    EXPECT_EQ(bytes.size(), 44u + 327680u);
}

TEST(WaveWrite, DestructionClosesAndPatches)
{
    TempDir dir;
    const std::string path = dir.file("dtor.wav");
    {
        TWaveWrite writer;
        ASSERT_EQ(writer.Open(path, 1, 16, 48000), 0);
        ASSERT_EQ(writer.Write(buffer(0).data(), 1000), 0);
    }
    const auto bytes = test::readBytes(path);
    EXPECT_EQ(le32At(bytes, 40), 2000u);
    EXPECT_EQ(le32At(bytes, 4), 2036u);
    TWaveRead reader;
    ASSERT_EQ(reader.Open(path), 0);
    EXPECT_EQ(reader.totalDataBytes(), 2000);
}

TEST(WaveWrite, ResultCodesWhenNotOpenOrUnwritable)
{
    TempDir dir;
    TWaveWrite writer;
    const std::int16_t s[2] = {1, 2};
    EXPECT_EQ(writer.Write(s, 2), 1);
    EXPECT_EQ(writer.UpdateHeader(), 1);
    EXPECT_EQ(writer.Close(), 1);
    EXPECT_EQ(writer.Open(dir.file("no/such/folder.wav"), 1, 16, 48000), 1);
    EXPECT_EQ(writer.Open("/dev/full", 1, 16, 48000), 2) << "the first field cannot be written";
    EXPECT_FALSE(writer.isOpen());
    EXPECT_EQ(writer.Write(s, 2), 1);
}

// Runs in a child process whose file size limit ends inside the fourth
// buffer (and inside a frame), so the fourth write fails part way.
TEST(WaveWrite, FailedWriteClosesAndLeavesAReadableFile)
{
    TempDir dir;
    const std::string path = dir.file("full.wav");
    constexpr int kLimit = 44 + 3 * 16384 + 101;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{kLimit, kLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        TWaveWrite writer;
        int status = writer.Open(path, 1, 16, 48000) == 0 ? 0 : 1;
        for (int i = 0; i < 3; ++i)
            status |= writer.Write(buffer(i).data(), kFrames) == 0 ? 0 : 2;
        status |= writer.Write(buffer(3).data(), kFrames) == 2 ? 0 : 4;
        status |= writer.isOpen() ? 8 : 0;
        status |= writer.Write(buffer(4).data(), kFrames) == 1 ? 0 : 16;
        status |= writer.Close() == 1 ? 0 : 32;
        _exit(status);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // The 50 whole frames that made it are counted, the torn one dropped.
    const auto bytes = test::readBytes(path);
    const std::uint32_t data = 3 * 16384 + 100;
    EXPECT_EQ(bytes.size(), 44u + data);
    EXPECT_EQ(le32At(bytes, 40), data);
    EXPECT_EQ(le32At(bytes, 4), data + 36);
}

}  // namespace
}  // namespace veltrin
