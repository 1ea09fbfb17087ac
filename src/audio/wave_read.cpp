#include "audio/wave_read.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/little_endian.h"

namespace veltrin {

namespace {

// The first channel's sample of a frame: 8-bit unsigned mapped so that 0,
// 128 and 255 give -32640, 0 and 32385; otherwise 16-bit signed.
inline std::int16_t sampleOfFrame(const unsigned char* frame, bool eightBit)
{
    return eightBit ? static_cast<std::int16_t>(frame[0] * 255 - 32640) : static_cast<std::int16_t>(le16(frame));
}

// Bytes of the extensible format record that we look at (up to the end of
// the sub-format GUID).
constexpr std::size_t kExtensibleFormatBytes = 40;
constexpr std::size_t kPcmFormatBytes = 16;
// The sub-format GUID of an extensible file: its first two bytes are the
// classic format tag, the rest is this fixed suffix.
constexpr unsigned char kSubFormatSuffix[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

}  // namespace

TWaveRead::TWaveRead()
{
    first_.Setup(57, kDecimator57Taps);
}

TWaveRead::~TWaveRead()
{
    Close();
}

int TWaveRead::fail(int code)
{
    Close();
    return code;
}

int TWaveRead::Open(const std::string& fileName)
{
    Close();
    format_ = FormatRecord{};
    effectiveTag_ = 0;
    if (!file_.open(fileName))
        return kWaveReadCannotOpen;
    if (!file_.descendRiff(riff_, riffFourCc("WAVE")))
        return fail(kWaveReadNotRiffWave);
    if (!file_.descendChunk(chunk_, riff_, riffFourCc("fmt ")))
        return fail(kWaveReadNoFormat);
    if (chunk_.size < kPcmFormatBytes)
        return fail(kWaveReadFormatTooShort);

    // The record has room for 20 bytes; a longer chunk (the extensible
    // header) is read as far as its sub-format and the rest skipped.
    unsigned char raw[kExtensibleFormatBytes] = {};
    const std::size_t want = chunk_.size < sizeof raw ? chunk_.size : sizeof raw;
    if (file_.read(raw, want) != want)
        return fail(kWaveReadFormatTruncated);
    format_.formatTag = le16(raw);
    format_.channels = le16(raw + 2);
    format_.sampleRate = le32(raw + 4);
    format_.byteRate = le32(raw + 8);
    format_.blockAlign = le16(raw + 12);
    format_.bitsPerSample = le16(raw + 14);
    format_.extensionSize = le16(raw + 16);
    effectiveTag_ = format_.formatTag;
    if (format_.formatTag == kWaveFormatExtensible && want == kExtensibleFormatBytes &&
        std::memcmp(raw + 26, kSubFormatSuffix, sizeof kSubFormatSuffix) == 0)
        effectiveTag_ = le16(raw + 24);

    // Frames the raw reader cannot take would never be consumed, and the
    // decoding loop would never end.
    const int sampleBytes = format_.bitsPerSample == 8 ? 1 : 2;
    if (format_.blockAlign == 0 || format_.blockAlign < sampleBytes)
        return fail(kWaveReadBadBlockAlign);
    if (format_.blockAlign > kMaxBlockAlign)
        return fail(kWaveReadFrameTooLong);

    if (!file_.ascend(chunk_) || !file_.descendChunk(chunk_, riff_, riffFourCc("data")))
        return fail(kWaveReadNoData);
    // A recording cut short (copy interrupted, capture never closed) still
    // decodes as far as it goes.
    remaining_ = chunk_.end - chunk_.dataOffset;
    if (remaining_ < 0)
        remaining_ = 0;
    totalData_ = remaining_;
    first_.Reset();
    second_.Reset();
    return kWaveReadOk;
}

void TWaveRead::Close()
{
    file_.close();
    remaining_ = 0;
}

std::int16_t TWaveRead::rawSample()
{
    const int align = format_.blockAlign;
    if (!file_.isOpen() || align > kMaxBlockAlign || align <= 0 || remaining_ < align)
        return 0;
    unsigned char copy[kMaxBlockAlign] = {};
    const unsigned char* frame = file_.take(static_cast<std::size_t>(align));
    if (frame) {
        remaining_ -= align;
    } else {
        const std::size_t got = file_.read(copy, static_cast<std::size_t>(align));
        if (got == 0) {
            remaining_ = 0;
            return 0;
        }
        remaining_ -= static_cast<std::int64_t>(got);
        if (got < static_cast<std::size_t>(align))
            remaining_ = 0;  // the file ended early
        frame = copy;
    }
    return sampleOfFrame(frame, format_.bitsPerSample == 8);
}

void TWaveRead::rawSamples(std::int16_t* out, int count)
{
    const int align = format_.blockAlign;
    const bool eightBit = format_.bitsPerSample == 8;
    int done = 0;
    while (done < count) {
        int frames = count - done;
        if (file_.isOpen() && align > 0 && align <= kMaxBlockAlign && remaining_ >= align) {
            if (remaining_ / align < frames)
                frames = static_cast<int>(remaining_ / align);
            const unsigned char* p = file_.take(static_cast<std::size_t>(frames) * static_cast<std::size_t>(align));
            if (p) {
                remaining_ -= static_cast<std::int64_t>(frames) * align;
                for (int i = 0; i < frames; ++i, p += align)
                    out[done + i] = sampleOfFrame(p, eightBit);
                done += frames;
                continue;
            }
        }
        // Across the end of the read buffer, at the end of the data, or closed.
        out[done++] = rawSample();
    }
}

int TWaveRead::ReadRawSamples(std::int16_t* out, int count)
{
    const int align = format_.blockAlign;
    if (!out || count <= 0 || !file_.isOpen() || align <= 0)
        return 0;
    // A frame cut off at the end of the file is not a sample.
    const std::int64_t whole = remaining_ / align;
    const int n = whole < count ? static_cast<int>(whole) : count;
    rawSamples(out, n);
    return n;
}

std::int16_t TWaveRead::ReadSample()
{
    const std::uint32_t rate = format_.sampleRate;
    if (rate < 16537)
        return rawSample();
    if (rate < 33075) {
        const double y = second_.Filter(rawSample());
        second_.Filter(rawSample());
        return roundToSample(y);
    }
    const double a = first_.Filter(rawSample());
    first_.Filter(rawSample());
    const double b = first_.Filter(rawSample());
    first_.Filter(rawSample());
    const double y = second_.Filter(a);
    second_.Filter(b);
    return roundToSample(y);
}

void TWaveRead::ReadSamples(std::int16_t* out, int count)
{
    const std::uint32_t rate = format_.sampleRate;
    if (rate < 16537) {
        rawSamples(out, count);
        return;
    }
    constexpr int kChunk = 64;
    if (rate < 33075) {
        double in[2 * kChunk], filtered[2 * kChunk];
        for (int j0 = 0; j0 < count; j0 += kChunk) {
            const int c = std::min(kChunk, count - j0);
            std::int16_t raw[2 * kChunk];
            rawSamples(raw, 2 * c);
            for (int i = 0; i < 2 * c; ++i)
                in[i] = raw[i];
            second_.FilterBlock(in, 2 * c, filtered);
            for (int j = 0; j < c; ++j)
                out[j0 + j] = roundToSample(filtered[2 * j]);
        }
        return;
    }
    std::int16_t raw[4 * kChunk];
    for (int j0 = 0; j0 < count; j0 += kChunk) {
        const int c = std::min(kChunk, count - j0);
        rawSamples(raw, 4 * c);
        decimateBlock(first_, second_, raw, c, out + j0);
    }
}

}  // namespace veltrin
