#pragma once
// TWaveRead: the WAV file reader for decoding recordings. Delivers the
// first channel at 12000 Hz, decimating 24000 and 48000 Hz files through
// its own copies of the live chain's decimator stages.
#include <cstdint>
#include <string>

#include "audio/decimators.h"
#include "audio/riff_reader.h"

namespace veltrin {

// Results of TWaveRead::Open.
enum WaveReadError : int {
    kWaveReadOk = 0,
    kWaveReadCannotOpen = -1,      // no such file, no permission, not a regular file
    kWaveReadNotRiffWave = -2,     // no RIFF chunk of form "WAVE"
    kWaveReadNoFormat = -3,        // no "fmt " chunk
    kWaveReadFormatTruncated = -4, // the file ends inside the "fmt " chunk
    kWaveReadNoData = -5,          // no "data" chunk after "fmt "
    kWaveReadFormatTooShort = -6,  // "fmt " shorter than the 16-byte PCM record
    kWaveReadBadBlockAlign = -7,   // block align 0 or shorter than one sample
    kWaveReadFrameTooLong = -8,    // frames longer than the 16-byte frame buffer
};

constexpr std::uint16_t kWaveFormatPcm = 1;
constexpr std::uint16_t kWaveFormatIeeeFloat = 3;
constexpr std::uint16_t kWaveFormatExtensible = 0xFFFE;

class TWaveRead {
public:
    static constexpr int kMaxBlockAlign = 16;

    TWaveRead();
    ~TWaveRead();
    TWaveRead(const TWaveRead&) = delete;
    TWaveRead& operator=(const TWaveRead&) = delete;

    // 0 or a WaveReadError. The format is not judged beyond what reading
    // needs; the caller checks tag, rate and bits.
    int Open(const std::string& fileName);
    // The next sample at 12000 Hz; 0 once the data is used up.
    std::int16_t ReadSample();
    // The same as `count` calls of ReadSample, a block at a time.
    void ReadSamples(std::int16_t* out, int count);
    // Up to `count` samples of the first channel at the file's own rate,
    // undecimated; returns how many it read, 0 at the end of the data.
    int ReadRawSamples(std::int16_t* out, int count);
    void Close();

    bool isOpen() const { return file_.isOpen(); }
    // The format tag; a WAVE_FORMAT_EXTENSIBLE file reports its sub-format
    // (1 for PCM) so that plain PCM in the extended header decodes too.
    std::uint16_t formatTag() const { return effectiveTag_; }
    std::uint16_t declaredFormatTag() const { return format_.formatTag; }
    std::uint16_t channels() const { return format_.channels; }
    std::uint32_t sampleRate() const { return format_.sampleRate; }
    std::uint16_t bitsPerSample() const { return format_.bitsPerSample; }
    std::uint16_t blockAlign() const { return format_.blockAlign; }
    // Bytes of the "data" chunk not yet read, and in all (as far as the file
    // really holds them).
    std::int64_t remaining() const { return remaining_; }
    std::int64_t totalDataBytes() const { return totalData_; }

private:
    int fail(int code);
    std::int16_t rawSample();
    // The same as `count` calls of rawSample, whole frames straight from the
    // read buffer where it holds them.
    void rawSamples(std::int16_t* out, int count);

    // The format record of the "fmt " chunk (first 20 bytes).
    struct FormatRecord {
        std::uint16_t formatTag = 0;
        std::uint16_t channels = 0;
        std::uint32_t sampleRate = 0;
        std::uint32_t byteRate = 0;
        std::uint16_t blockAlign = 0;
        std::uint16_t bitsPerSample = 0;
        std::uint16_t extensionSize = 0;
    };

    RiffReader file_;
    RiffChunk riff_;
    RiffChunk chunk_;
    Decimator2Ex first_;
    Decimator2 second_;
    FormatRecord format_;
    std::uint16_t effectiveTag_ = 0;
    // 64 bits: a data chunk may hold up to 4 GB (12 hours at 48 kHz).
    std::int64_t remaining_ = 0;
    std::int64_t totalData_ = 0;
};

}  // namespace veltrin
