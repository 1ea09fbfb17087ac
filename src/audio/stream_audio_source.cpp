#include "audio/stream_audio_source.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace veltrin {

namespace {

constexpr int kPollMilliseconds = 100;
constexpr std::size_t kReadBytes = 65536;

}  // namespace

StreamAudioSource::StreamAudioSource(const AudioSourceOptions& options, int fd)
    : AudioSourceThread(options, Flow::Bounded), fd_(fd)
{
}

StreamAudioSource::~StreamAudioSource()
{
    stop();
}

std::string StreamAudioSource::open()
{
    if (fd_ < 0 || (::fcntl(fd_, F_GETFD) < 0 && errno == EBADF))
        return "standard input is closed";
    opened_ = true;
    return {};
}

void StreamAudioSource::endOfInput(bool anyBytes)
{
    if (anyBytes) {
        finishAudio();
        return;
    }
    setFailure("no audio on standard input");  // kept only if nothing failed before
    markEnded();
}

void StreamAudioSource::run()
{
    // Room for a byte carried over from the previous read: a sample may be
    // split between two reads.
    std::vector<std::uint8_t> bytes(kReadBytes + 1);
    std::size_t carried = 0;
    bool anyBytes = false;
    while (!stopRequested()) {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, kPollMilliseconds);
        if (ready == 0 || (ready < 0 && errno == EINTR))
            continue;
        // Whatever poll() says (data, hang-up, error), read() tells which.
        const ssize_t n = ready < 0 ? -1 : ::read(fd_, bytes.data() + carried, kReadBytes);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            setFailure("cannot read standard input: " + errorText(errno));
            endOfInput(anyBytes);
            return;
        }
        if (n == 0) {
            endOfInput(anyBytes);  // an odd last byte is half a sample: dropped
            return;
        }
        anyBytes = true;
        const std::size_t have = carried + static_cast<std::size_t>(n);
        if (!queueLittleEndian(bytes.data(), have / 2))
            return;
        carried = have % 2;
        if (carried)
            bytes[0] = bytes[have - 1];
    }
}

}  // namespace veltrin
