#pragma once
// A bounded reader of RIFF files: descend into the outer RIFF chunk and its
// sub-chunks, ascend out of them, read bytes through an own buffer. Every
// step is checked against the end of the enclosing chunk and of the file, so
// a malformed or hostile file is refused instead of overrunning anything,
// and every search advances by at least one chunk header, so it ends.
#include <cstddef>
#include <cstdint>
#include <string>

namespace veltrin {

// Chunk ids and form types as the four characters in file order.
constexpr std::uint32_t riffFourCc(const char (&s)[5])
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

struct RiffChunk {
    std::uint32_t id = 0;
    std::uint32_t size = 0;        // as declared in the file
    std::uint32_t formType = 0;    // RIFF and LIST chunks only
    std::int64_t dataOffset = 0;   // file offset of the chunk's data
    std::uint32_t flags = 0;
    // End of the chunk's data as far as the file really holds it (a found
    // sub-chunk is limited by the file, not by its parent's size field).
    std::int64_t end = 0;
};

class RiffReader {
public:
    RiffReader() = default;
    ~RiffReader();
    RiffReader(const RiffReader&) = delete;
    RiffReader& operator=(const RiffReader&) = delete;

    // Opens read-only; false when the file cannot be opened.
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // At the start of the file: the RIFF chunk with this form type. Leaves
    // the position after the form type.
    bool descendRiff(RiffChunk& riff, std::uint32_t formType);
    // From the current position: the first sub-chunk of parent with this id,
    // skipping others (with their pad bytes). A chunk that would reach past
    // the parent's end ends the search. Leaves the position at its data.
    bool descendChunk(RiffChunk& chunk, const RiffChunk& parent, std::uint32_t id);
    // Moves past the chunk's data and its pad byte.
    bool ascend(const RiffChunk& chunk);

    // Reads up to count bytes; returns the number read (0 at the end or on
    // an error).
    std::size_t read(void* destination, std::size_t count);
    // The next count bytes in place when the buffer already holds them (the
    // position moves past them); nullptr otherwise: use read().
    const unsigned char* take(std::size_t count)
    {
        const std::int64_t offset = position_ - bufferStart_;
        if (offset < 0 || offset + static_cast<std::int64_t>(count) > static_cast<std::int64_t>(bufferFill_))
            return nullptr;
        position_ += static_cast<std::int64_t>(count);
        return buffer_ + offset;
    }
    bool seek(std::int64_t offset);
    std::int64_t position() const { return position_; }
    std::int64_t fileSize() const { return fileSize_; }

private:
    bool readExact(void* destination, std::size_t count);

    static constexpr std::size_t kBufferBytes = 65536;
    int fd_ = -1;
    std::int64_t fileSize_ = 0;
    std::int64_t position_ = 0;      // logical read position
    std::int64_t bufferStart_ = 0;   // file offset of buffer_[0]
    std::size_t bufferFill_ = 0;
    unsigned char* buffer_ = nullptr;
};

}  // namespace veltrin
