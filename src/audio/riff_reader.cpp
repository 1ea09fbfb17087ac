#include "audio/riff_reader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/little_endian.h"

namespace veltrin {

namespace {

constexpr std::uint32_t kRiffId = riffFourCc("RIFF");

}  // namespace

RiffReader::~RiffReader()
{
    close();
    delete[] buffer_;
}

bool RiffReader::open(const std::string& path)
{
    close();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    // Only regular files have a size to check chunks against.
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    if (!buffer_)
        buffer_ = new (std::nothrow) unsigned char[kBufferBytes];
    if (!buffer_) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    fileSize_ = st.st_size;
    position_ = 0;
    bufferStart_ = 0;
    bufferFill_ = 0;
    return true;
}

void RiffReader::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    fileSize_ = 0;
    position_ = 0;
    bufferStart_ = 0;
    bufferFill_ = 0;
}

bool RiffReader::seek(std::int64_t offset)
{
    if (fd_ < 0 || offset < 0)
        return false;
    position_ = offset;
    return true;
}

std::size_t RiffReader::read(void* destination, std::size_t count)
{
    if (fd_ < 0 || count == 0)
        return 0;
    auto* out = static_cast<unsigned char*>(destination);
    std::size_t done = 0;
    while (done < count) {
        const std::int64_t bufferEnd = bufferStart_ + static_cast<std::int64_t>(bufferFill_);
        if (position_ >= bufferStart_ && position_ < bufferEnd) {
            std::size_t available = static_cast<std::size_t>(bufferEnd - position_);
            std::size_t n = count - done < available ? count - done : available;
            std::memcpy(out + done, buffer_ + (position_ - bufferStart_), n);
            done += n;
            position_ += static_cast<std::int64_t>(n);
            continue;
        }
        ssize_t got;
        do {
            got = ::pread(fd_, buffer_, kBufferBytes, position_);
        } while (got < 0 && errno == EINTR);
        if (got <= 0)
            break;
        bufferStart_ = position_;
        bufferFill_ = static_cast<std::size_t>(got);
    }
    return done;
}

bool RiffReader::readExact(void* destination, std::size_t count)
{
    return read(destination, count) == count;
}

bool RiffReader::descendRiff(RiffChunk& riff, std::uint32_t formType)
{
    if (fd_ < 0 || !seek(0))
        return false;
    unsigned char head[12];
    if (!readExact(head, sizeof head))
        return false;
    const std::uint32_t size = le32(head + 4);
    if (le32(head) != kRiffId || le32(head + 8) != formType || size < 4)
        return false;
    riff.id = kRiffId;
    riff.size = size;
    riff.formType = formType;
    riff.dataOffset = 8;
    riff.flags = 0;
    // Writers that stream often leave the size too large (or at its
    // maximum); the file's end is the real limit.
    const std::int64_t declaredEnd = 8 + static_cast<std::int64_t>(size);
    riff.end = declaredEnd < fileSize_ ? declaredEnd : fileSize_;
    return true;
}

bool RiffReader::descendChunk(RiffChunk& chunk, const RiffChunk& parent, std::uint32_t id)
{
    if (fd_ < 0)
        return false;
    std::int64_t at = position_;
    if (at < parent.dataOffset)
        at = parent.dataOffset;
    // Each round moves at least 8 bytes forward within a finite parent.
    while (at + 8 <= parent.end) {
        unsigned char head[8];
        if (!seek(at) || !readExact(head, sizeof head))
            return false;
        const std::uint32_t size = le32(head + 4);
        const std::int64_t dataOffset = at + 8;
        const std::int64_t declaredEnd = dataOffset + static_cast<std::int64_t>(size);
        if (le32(head) == id) {
            chunk.id = id;
            chunk.size = size;
            chunk.formType = 0;
            chunk.dataOffset = dataOffset;
            chunk.flags = 0;
            // The chunk's own size is the more specific statement: a RIFF
            // size a few bytes short (a common writer slip) loses nothing.
            chunk.end = declaredEnd < fileSize_ ? declaredEnd : fileSize_;
            return true;
        }
        if (declaredEnd > parent.end)
            return false;  // cannot be skipped: nothing valid lies behind it
        at = declaredEnd + (size & 1);
    }
    return false;
}

bool RiffReader::ascend(const RiffChunk& chunk)
{
    return seek(chunk.dataOffset + static_cast<std::int64_t>(chunk.size) + (chunk.size & 1));
}

}  // namespace veltrin
