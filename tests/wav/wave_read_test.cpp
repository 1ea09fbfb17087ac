// The WAV reader: samples at 12000 Hz from files made by sox, and refusal
// of malformed files without overrunning or hanging.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "audio/wave_read.h"
#include "wav_files.h"

namespace veltrin {
namespace {

using test::TempDir;

std::vector<std::int16_t> readAll(TWaveRead& reader, std::size_t limit = 10000000)
{
    std::vector<std::int16_t> out;
    while (reader.blockAlign() <= reader.remaining() && out.size() < limit)
        out.push_back(reader.ReadSample());
    return out;
}

TEST(WaveRead, DeliversTwelveKilohertzThroughTheRightStages)
{
    TempDir dir;
    const std::vector<std::int16_t> input = test::testSamples(4 * 5000);
    for (int rate : {12000, 24000, 48000}) {
        SCOPED_TRACE(rate);
        const std::string wav = dir.file("r" + std::to_string(rate) + ".wav");
        ASSERT_TRUE(test::soxWav16(dir, input, rate, 1, wav));
        TWaveRead reader;
        ASSERT_EQ(reader.Open(wav), 0);
        EXPECT_EQ(reader.formatTag(), 1);
        EXPECT_EQ(reader.sampleRate(), static_cast<std::uint32_t>(rate));
        EXPECT_EQ(reader.channels(), 1);
        EXPECT_EQ(reader.bitsPerSample(), 16);
        EXPECT_EQ(reader.blockAlign(), 2);
        EXPECT_EQ(reader.totalDataBytes(), static_cast<std::int64_t>(input.size() * 2));
        const std::vector<std::int16_t> expected = rate == 12000 ? input : test::decimateLikeChain(input, rate);
        EXPECT_EQ(readAll(reader), expected);
        EXPECT_EQ(reader.remaining(), 0);
        // Past the end the file reads as silence: the filters ring out.
        std::vector<std::int16_t> padded = input;
        padded.resize(input.size() + 4 * 64, 0);
        const auto tail = rate == 12000 ? padded : test::decimateLikeChain(padded, rate);
        for (std::size_t i = expected.size(); i < tail.size(); ++i)
            ASSERT_EQ(reader.ReadSample(), tail[i]) << i;
    }
}

TEST(WaveRead, BlockReadsMatchSampleBySampleReads)
{
    // Longer than the reader's 64 KB buffer, so blocks cross its refills.
    TempDir dir;
    const std::vector<std::int16_t> input = test::testSamples(40002, 11);
    struct Case {
        int rate, channels;
        const char* soxArgs;
        std::size_t cutBytes;  // taken off the end: a frame cut in the middle
    };
    const Case cases[] = {{12000, 1, "", 0},         {24000, 1, "", 0},       {48000, 1, "", 0},
                          {48000, 2, "", 3},         {12000, 1, "-b 8 -e unsigned-integer", 0},
                          {48000, 1, "", 1}};
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index);
        std::vector<std::int16_t> interleaved;
        for (std::int16_t x : input)
            for (int ch = 0; ch < c.channels; ++ch)
                interleaved.push_back(static_cast<std::int16_t>(x + ch));
        const std::string wav = dir.file("b" + std::to_string(index++) + ".wav");
        ASSERT_TRUE(test::soxWav16(dir, interleaved, c.rate, c.channels, wav, c.soxArgs));
        if (c.cutBytes > 0) {
            std::vector<std::uint8_t> bytes = test::readBytes(wav);
            bytes.resize(bytes.size() - c.cutBytes);
            test::writeBytes(wav, bytes);
        }
        TWaveRead single, blocks;
        ASSERT_EQ(single.Open(wav), 0);
        ASSERT_EQ(blocks.Open(wav), 0);
        // Uneven blocks that run past the end of the data.
        const int lengths[] = {1, 64, 65, 700, 3, 130};
        std::vector<std::int16_t> got(700);
        std::size_t total = 0;
        for (int round = 0; total < input.size() + 200; ++round) {
            const int n = lengths[round % 6];
            blocks.ReadSamples(got.data(), n);
            for (int i = 0; i < n; ++i)
                ASSERT_EQ(got[i], single.ReadSample()) << "sample " << total + i;
            total += n;
            ASSERT_EQ(blocks.remaining(), single.remaining());
        }
        EXPECT_LT(blocks.remaining(), blocks.blockAlign());
    }
}

TEST(WaveRead, ReopeningStartsTheFiltersAfresh)
{
    TempDir dir;
    const std::vector<std::int16_t> input = test::testSamples(4 * 3000, 7);
    const std::string wav = dir.file("a.wav");
    ASSERT_TRUE(test::soxWav16(dir, input, 48000, 1, wav));
    TWaveRead reader;
    ASSERT_EQ(reader.Open(wav), 0);
    const auto first = readAll(reader);
    ASSERT_EQ(reader.Open(wav), 0);
    EXPECT_EQ(readAll(reader), first);
}

TEST(WaveRead, EightBitSamplesMapToSixteenBitScale)
{
    TempDir dir;
    const std::string raw = dir.file("u8.raw");
    test::writeBytes(raw, {0, 128, 255, 1});
    const std::string wav = dir.file("u8.wav");
    ASSERT_TRUE(test::soxFromRaw(raw, "-r 12000 -e unsigned -b 8 -c 1", wav));
    TWaveRead reader;
    ASSERT_EQ(reader.Open(wav), 0);
    EXPECT_EQ(reader.bitsPerSample(), 8);
    EXPECT_EQ(readAll(reader), (std::vector<std::int16_t>{-32640, 0, 32385, -32385}));
}

TEST(WaveRead, MultiChannelFilesUseTheFirstChannel)
{
    TempDir dir;
    const std::vector<std::int16_t> left = test::testSamples(400, 3);
    for (int channels : {2, 3}) {
        SCOPED_TRACE(channels);
        std::vector<std::int16_t> interleaved;
        for (std::int16_t s : left) {
            interleaved.push_back(s);
            for (int c = 1; c < channels; ++c)
                interleaved.push_back(static_cast<std::int16_t>(-s / (c + 1) + 1234));
        }
        const std::string wav = dir.file("c" + std::to_string(channels) + ".wav");
        ASSERT_TRUE(test::soxWav16(dir, interleaved, 12000, channels, wav));
        TWaveRead reader;
        ASSERT_EQ(reader.Open(wav), 0);
        // sox writes three channels with the extensible header; its PCM
        // sub-format counts as PCM.
        EXPECT_EQ(reader.declaredFormatTag(), channels == 3 ? kWaveFormatExtensible : kWaveFormatPcm);
        EXPECT_EQ(reader.formatTag(), kWaveFormatPcm);
        EXPECT_EQ(reader.blockAlign(), 2 * channels);
        EXPECT_EQ(readAll(reader), left);
    }
}

TEST(WaveRead, RawSamplesAreTheFirstChannelAtTheFileRate)
{
    // Longer than the reader's 64 KB buffer; the last frame is cut in half.
    TempDir dir;
    const std::vector<std::int16_t> left = test::testSamples(20001, 5);
    std::vector<std::int16_t> interleaved;
    for (std::int16_t s : left) {
        interleaved.push_back(s);
        interleaved.push_back(static_cast<std::int16_t>(~s));
    }
    const std::string wav = dir.file("raw.wav");
    ASSERT_TRUE(test::soxWav16(dir, interleaved, 44100, 2, wav));
    std::vector<std::uint8_t> bytes = test::readBytes(wav);
    bytes.resize(bytes.size() - 2);
    test::writeBytes(wav, bytes);

    TWaveRead reader;
    std::int16_t block[999];
    EXPECT_EQ(reader.ReadRawSamples(block, 999), 0);  // not open
    ASSERT_EQ(reader.Open(wav), 0);
    std::vector<std::int16_t> got;
    for (int n; (n = reader.ReadRawSamples(block, 999)) > 0;)
        got.insert(got.end(), block, block + n);
    EXPECT_EQ(got, std::vector<std::int16_t>(left.begin(), left.end() - 1));
    EXPECT_EQ(reader.ReadRawSamples(block, 999), 0);
}

TEST(WaveRead, FloatFileReportsItsFormatTag)
{
    TempDir dir;
    const std::string wav = dir.file("f.wav");
    ASSERT_TRUE(test::soxWav16(dir, test::testSamples(100), 12000, 1, wav, "-e floating-point -b 32"));
    TWaveRead reader;
    ASSERT_EQ(reader.Open(wav), 0);
    EXPECT_EQ(reader.formatTag(), kWaveFormatIeeeFloat);
}

TEST(WaveRead, RecordingCutShortDecodesAsFarAsItGoes)
{
    TempDir dir;
    const std::vector<std::int16_t> input = test::testSamples(1000);
    const std::string wav = dir.file("cut.wav");
    ASSERT_TRUE(test::soxWav16(dir, input, 12000, 1, wav));
    std::vector<std::uint8_t> bytes = test::readBytes(wav);
    bytes.resize(bytes.size() - 601);  // ends in the middle of a frame
    test::writeBytes(wav, bytes);
    TWaveRead reader;
    ASSERT_EQ(reader.Open(wav), 0);
    EXPECT_EQ(reader.totalDataBytes(), 2000 - 601);
    const auto got = readAll(reader);
    ASSERT_EQ(got.size(), 699u);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), input.begin()));
}

// Builders for hand-made files.
struct Fmt {
    std::uint16_t tag = 1, channels = 1;
    std::uint32_t rate = 12000;
    std::uint16_t align = 2, bits = 16;
    std::uint32_t declaredSize = 16;
};

void putFmt(std::vector<std::uint8_t>& b, const Fmt& f)
{
    test::putId(b, "fmt ");
    test::put32(b, f.declaredSize);
    test::put16(b, f.tag);
    test::put16(b, f.channels);
    test::put32(b, f.rate);
    test::put32(b, f.rate * f.align);
    test::put16(b, f.align);
    test::put16(b, f.bits);
}

void putData(std::vector<std::uint8_t>& b, std::uint32_t declared, std::size_t actual)
{
    test::putId(b, "data");
    test::put32(b, declared);
    for (std::size_t i = 0; i < actual; ++i)
        b.push_back(static_cast<std::uint8_t>(i * 37));
}

std::vector<std::uint8_t> riff(const std::vector<std::uint8_t>& body, std::int64_t sizeOverride = -1,
                               const char* form = "WAVE")
{
    std::vector<std::uint8_t> b;
    test::putId(b, "RIFF");
    test::put32(b, sizeOverride >= 0 ? static_cast<std::uint32_t>(sizeOverride)
                                     : static_cast<std::uint32_t>(body.size() + 4));
    test::putId(b, form);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

std::vector<std::uint8_t> fmtThenData(const Fmt& f, std::uint32_t declaredData = 64, std::size_t actual = 64)
{
    std::vector<std::uint8_t> body;
    putFmt(body, f);
    putData(body, declaredData, actual);
    return body;
}

TEST(WaveRead, MalformedFilesAreRefusedCleanly)
{
    std::vector<std::uint8_t> junkFirst;
    test::putId(junkFirst, "JUNK");
    test::put32(junkFirst, 0xFFFFFFF0u);  // cannot be skipped
    putFmt(junkFirst, Fmt{});

    std::vector<std::uint8_t> dataFirst;
    putData(dataFirst, 8, 8);
    putFmt(dataFirst, Fmt{});

    std::vector<std::uint8_t> fmtOnly;
    putFmt(fmtOnly, Fmt{});

    std::vector<std::uint8_t> truncatedFmt;
    putFmt(truncatedFmt, Fmt{});
    truncatedFmt.resize(8 + 10);

    std::vector<std::uint8_t> hugeFmt;
    putFmt(hugeFmt, Fmt{.declaredSize = 0xFFFFFFFFu});

    std::vector<std::uint8_t> oddJunkPadded;
    putFmt(oddJunkPadded, Fmt{});
    test::putId(oddJunkPadded, "LIST");
    test::put32(oddJunkPadded, 3);
    oddJunkPadded.insert(oddJunkPadded.end(), {'a', 'b', 'c', 0});
    putData(oddJunkPadded, 4, 4);

    std::vector<std::uint8_t> eightBitAlignOne = fmtThenData(Fmt{.align = 1, .bits = 8});

    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        int expected;
        std::int64_t dataBytes = -1;  // readable data when opened; -1: not checked
    };
    const std::vector<Case> cases = {
        {"empty", {}, kWaveReadNotRiffWave},
        {"eleven bytes", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V'}, kWaveReadNotRiffWave},
        {"other form", riff(fmtThenData(Fmt{}), -1, "AVI "), kWaveReadNotRiffWave},
        {"RIFF size below 4", riff(fmtThenData(Fmt{}), 3), kWaveReadNotRiffWave},
        {"RIFF size ends before fmt", riff(fmtThenData(Fmt{}), 4), kWaveReadNoFormat},
        {"no chunks", riff({}), kWaveReadNoFormat},
        {"unskippable chunk before fmt", riff(junkFirst), kWaveReadNoFormat},
        {"fmt cut off", riff(truncatedFmt), kWaveReadFormatTruncated},
        {"fmt of absurd size", riff(hugeFmt), kWaveReadFormatTruncated},
        {"fmt shorter than PCM record", riff(fmtThenData(Fmt{.declaredSize = 14})), kWaveReadFormatTooShort},
        {"no data", riff(fmtOnly), kWaveReadNoData},
        {"data before fmt", riff(dataFirst), kWaveReadNoData},
        {"block align 0", riff(fmtThenData(Fmt{.align = 0})), kWaveReadBadBlockAlign},
        {"block align 1 at 16 bits", riff(fmtThenData(Fmt{.align = 1})), kWaveReadBadBlockAlign},
        {"frame of 24 bytes", riff(fmtThenData(Fmt{.channels = 12, .align = 24})), kWaveReadFrameTooLong},
        {"frame of 16 bytes", riff(fmtThenData(Fmt{.channels = 8, .align = 16})), kWaveReadOk, 64},
        {"8 bits, block align 1", riff(eightBitAlignOne), kWaveReadOk},
        {"odd chunk with pad byte", riff(oddJunkPadded), kWaveReadOk},
        {"streamed sizes", riff(fmtThenData(Fmt{}, 0xFFFFFFFFu, 100), 0xFFFFFFFFu), kWaveReadOk, 100},
        {"data size past the end", riff(fmtThenData(Fmt{}, 1000, 10)), kWaveReadOk, 10},
        {"RIFF size without the header", riff(fmtThenData(Fmt{}, 64, 64), 64), kWaveReadOk, 64},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("case.wav");
        test::writeBytes(path, c.bytes);
        TWaveRead reader;
        ASSERT_EQ(reader.Open(path), c.expected);
        if (c.expected != kWaveReadOk) {
            EXPECT_FALSE(reader.isOpen());
            EXPECT_EQ(reader.remaining(), 0);
            EXPECT_EQ(reader.ReadSample(), 0);
            continue;
        }
        EXPECT_LE(reader.totalDataBytes(), static_cast<std::int64_t>(c.bytes.size()));
        if (c.dataBytes >= 0) {
            EXPECT_EQ(reader.totalDataBytes(), c.dataBytes);
        }
        const auto samples = readAll(reader);
        EXPECT_LE(samples.size(), c.bytes.size());
    }
    TWaveRead reader;
    EXPECT_EQ(reader.Open(dir.file("missing.wav")), kWaveReadCannotOpen);
    EXPECT_EQ(reader.Open(dir.path()), kWaveReadCannotOpen) << "a folder";
}

TEST(WaveRead, RandomlyDamagedFilesNeverHangOrOverrun)
{
    TempDir dir;
    std::vector<std::uint8_t> base;
    {
        std::vector<std::uint8_t> body;
        putFmt(body, Fmt{.rate = 48000});
        test::putId(body, "LIST");
        test::put32(body, 5);
        body.insert(body.end(), {'I', 'N', 'F', 'O', 'x', 0});
        putData(body, 400, 400);
        base = riff(body);
    }
    std::mt19937 rng(12345);
    const std::string path = dir.file("m.wav");
    int opened = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> b = base;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            switch (rng() % 4) {
            case 0:  // any byte of the headers
                b[rng() % std::min<std::size_t>(b.size(), 58)] = static_cast<std::uint8_t>(rng());
                break;
            case 1: {  // a size field (RIFF, fmt, LIST, data) set to something absurd
                static constexpr std::size_t kSizeFields[] = {4, 16, 40, 54};
                const std::size_t at = kSizeFields[rng() % 4];
                for (std::size_t k = at; k < at + 4 && k < b.size(); ++k)
                    b[k] = static_cast<std::uint8_t>(rng());
                break;
            }
            case 2:  // cut short
                b.resize(rng() % b.size());
                break;
            default:  // flip a bit anywhere
                if (!b.empty())
                    b[rng() % b.size()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
            }
            if (b.empty())
                break;
        }
        test::writeBytes(path, b);
        TWaveRead reader;
        if (reader.Open(path) != 0)
            continue;
        ++opened;
        ASSERT_LE(reader.totalDataBytes(), static_cast<std::int64_t>(b.size()));
        // Every output consumes at least one byte until the data is used up.
        const auto samples = readAll(reader, b.size() + 10);
        ASSERT_LE(samples.size(), b.size() + 1) << "round " << round;
    }
    EXPECT_GT(opened, 100) << "the mutations should leave many files readable";
}

}  // namespace
}  // namespace veltrin
