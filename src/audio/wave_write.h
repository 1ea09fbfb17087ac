#pragma once
// TWaveWrite: the capture file writer. Writes a 44-byte PCM header and the
// samples, and patches the two size fields every 661500 bytes so that a
// capture interrupted by a crash or power loss stays readable.
#include <cstdint>
#include <string>

namespace veltrin {

class TWaveWrite {
public:
    static constexpr std::int64_t kHeaderBytes = 44;
    static constexpr std::uint32_t kUpdateInterval = 661500;
    // RIFF sizes are 32-bit: riffSize = dataSize + 36 must fit.
    static constexpr std::uint32_t kMaxDataBytes = 0xFFFFFFFFu - 36u;

    TWaveWrite() = default;
    // Closes an open file, so its header is brought up to date.
    ~TWaveWrite();
    TWaveWrite(const TWaveWrite&) = delete;
    TWaveWrite& operator=(const TWaveWrite&) = delete;

    // 0, 1 (cannot create), or 2..14: the header field that could not be
    // written (the file is then closed).
    int Open(const std::string& fileName, int channels, int bits, int sampleRate);
    // 0; 1 not open; 2 write failed (the header is patched for what was
    // written and the file closed). Also 2 when the file would outgrow the
    // 4 GB RIFF limit.
    int Write(const void* samples, int frames);
    // 0; 1 not open or seek to 4 failed, 2..5 the step that failed, 6 the
    // position unreadable. Any failure closes the file.
    int UpdateHeader();
    // 0; 1 not open; an UpdateHeader code; 7 when closing fails.
    int Close();

    bool isOpen() const { return fd_ >= 0; }
    std::uint32_t dataSize() const { return dataSize_; }
    std::uint32_t riffSize() const { return riffSize_; }

private:
    bool writeAll(const void* bytes, std::size_t count, std::size_t* written = nullptr);
    void abandon();

    int fd_ = -1;
    std::uint32_t riffSize_ = 36;
    std::int16_t channels_ = 0;
    std::int32_t sampleRate_ = 0;
    std::int32_t byteRate_ = 0;
    std::int16_t blockAlign_ = 0;
    std::int16_t bits_ = 0;
    std::uint32_t dataSize_ = 0;
    std::uint32_t bytesSinceUpdate_ = 0;
};

}  // namespace veltrin
