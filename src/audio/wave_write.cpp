#include "audio/wave_write.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace veltrin {

namespace {

struct Le32 {
    unsigned char b[4];
    explicit Le32(std::uint32_t v)
        : b{static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
            static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)}
    {
    }
};

struct Le16 {
    unsigned char b[2];
    explicit Le16(std::uint16_t v)
        : b{static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)}
    {
    }
};

}  // namespace

TWaveWrite::~TWaveWrite()
{
    Close();
}

bool TWaveWrite::writeAll(const void* bytes, std::size_t count, std::size_t* written)
{
    const auto* p = static_cast<const unsigned char*>(bytes);
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::write(fd_, p + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    if (written)
        *written = done;
    return done == count;
}

void TWaveWrite::abandon()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

int TWaveWrite::Open(const std::string& fileName, int channels, int bits, int sampleRate)
{
    if (isOpen())
        Close();
    riffSize_ = 36;
    channels_ = static_cast<std::int16_t>(channels);
    sampleRate_ = sampleRate;
    bits_ = static_cast<std::int16_t>(bits);
    blockAlign_ = static_cast<std::int16_t>(channels * ((bits + 7) / 8));
    byteRate_ = blockAlign_ * sampleRate;
    dataSize_ = 0;
    bytesSinceUpdate_ = 0;

    fd_ = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0)
        return 1;

    const Le32 riffSize(riffSize_), fmtSize(16), rate(static_cast<std::uint32_t>(sampleRate_)),
        byteRate(static_cast<std::uint32_t>(byteRate_)), dataSize(dataSize_);
    const Le16 tag(1), ch(static_cast<std::uint16_t>(channels_)),
        align(static_cast<std::uint16_t>(blockAlign_)), bitCount(static_cast<std::uint16_t>(bits_));
    struct Field {
        const void* bytes;
        std::size_t size;
    };
    const Field fields[] = {
        {"RIFF", 4}, {riffSize.b, 4}, {"WAVE", 4},    {"fmt ", 4},     {fmtSize.b, 4},
        {tag.b, 2},  {ch.b, 2},       {rate.b, 4},    {byteRate.b, 4}, {align.b, 2},
        {bitCount.b, 2}, {"data", 4}, {dataSize.b, 4},
    };
    int code = 2;
    for (const Field& f : fields) {
        if (!writeAll(f.bytes, f.size)) {
            abandon();
            return code;
        }
        ++code;
    }
    return 0;
}

int TWaveWrite::Write(const void* samples, int frames)
{
    if (!isOpen())
        return 1;
    if (frames <= 0 || blockAlign_ <= 0)
        return 0;
    const std::uint64_t bytes = static_cast<std::uint64_t>(frames) * static_cast<std::uint64_t>(blockAlign_);
    std::size_t written = 0;
    bool ok = dataSize_ + bytes <= kMaxDataBytes;
    if (ok)
        ok = writeAll(samples, static_cast<std::size_t>(bytes), &written);
    if (!ok) {
        // Keep what reached the disk readable: count the whole frames that
        // were written, drop a torn one, and bring the header up to date.
        const std::uint32_t whole =
            static_cast<std::uint32_t>(written - written % static_cast<std::size_t>(blockAlign_));
        dataSize_ += whole;
        riffSize_ = dataSize_ + 36;
        if (written != whole)
            (void)!::ftruncate(fd_, kHeaderBytes + static_cast<off_t>(dataSize_));
        if (UpdateHeader() == 0)
            ::close(fd_);
        fd_ = -1;
        return 2;
    }
    dataSize_ += static_cast<std::uint32_t>(bytes);
    riffSize_ = dataSize_ + 36;
    bytesSinceUpdate_ += static_cast<std::uint32_t>(bytes);
    if (bytesSinceUpdate_ > kUpdateInterval) {
        bytesSinceUpdate_ -= kUpdateInterval;
        UpdateHeader();
    }
    return 0;
}

int TWaveWrite::UpdateHeader()
{
    if (!isOpen())
        return 1;
    const off_t here = ::lseek(fd_, 0, SEEK_CUR);
    if (here < 0) {
        abandon();
        return 6;
    }
    const Le32 riffSize(riffSize_), dataSize(dataSize_);
    int code = 0;
    if (::lseek(fd_, 4, SEEK_SET) != 4)
        code = 1;
    else if (!writeAll(riffSize.b, 4))
        code = 2;
    else if (::lseek(fd_, 40, SEEK_SET) != 40)
        code = 3;
    else if (!writeAll(dataSize.b, 4))
        code = 4;
    else if (::lseek(fd_, here, SEEK_SET) != here)
        code = 5;
    if (code != 0)
        abandon();
    return code;
}

int TWaveWrite::Close()
{
    if (!isOpen())
        return 1;
    const int r = UpdateHeader();
    if (r != 0)
        return r;
    const int closed = ::close(fd_);
    fd_ = -1;
    return closed != 0 ? 7 : 0;
}

}  // namespace veltrin
