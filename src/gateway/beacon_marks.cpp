#include "gateway/beacon_marks.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/clock.h"
#include "platform/little_endian.h"

namespace veltrin {

namespace {

constexpr int kMinColumnWidth = 5;

int openRetrying(const char* path, int flags)
{
    int fd;
    do {
        fd = ::open(path, flags, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Runs io(offset) until count bytes from the file's start are moved, the
// file ends or it fails; returns how many were moved.
template <typename Io>
std::size_t transferFromStart(std::size_t count, Io io)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = io(done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

// Low 24 bits of a period number, as the words store it.
std::uint32_t periodLabel(std::int64_t period)
{
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(period)) & kBeaconPeriodMask;
}

}  // namespace

BeaconStripLayout beaconStripLayout(int clientWidth)
{
    BeaconStripLayout layout;
    layout.columnWidth = std::max(clientWidth / kBeaconColumns, kMinColumnWidth);
    layout.gridWidth = kBeaconColumns * layout.columnWidth;
    layout.gridLeft = std::max((clientWidth - layout.gridWidth) / 2, 0);
    return layout;
}

std::int64_t BeaconMarks::periodOf(std::time_t t)
{
    // Floor division, so that a clock before 1970 still gives a steady ring.
    const std::int64_t s = t;
    return s >= 0 ? s / kBeaconPeriodSeconds : -((-s + kBeaconPeriodSeconds - 1) / kBeaconPeriodSeconds);
}

int BeaconMarks::slotOf(std::int64_t period)
{
    const std::int64_t r = period % kBeaconSlots;
    return static_cast<int>(r < 0 ? r + kBeaconSlots : r);
}

bool BeaconMarks::load(const std::string& path)
{
    path_ = path;
    words_.fill(0);
    const int fd = openRetrying(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Bytes over the words, as the file is laid out; a short file leaves the
    // rest (and any cut word's missing high bytes) zero.
    std::uint8_t bytes[kBeaconFileBytes] = {};
    transferFromStart(sizeof bytes, [&](std::size_t done) {
        return ::pread(fd, bytes + done, sizeof bytes - done, static_cast<off_t>(done));
    });
    ::close(fd);
    for (int i = 0; i < kBeaconSlots; ++i)
        words_[static_cast<std::size_t>(i)] = le32(bytes + 4 * i);
    return true;
}

int BeaconMarks::markBeacon(const Msg_header&, const MessageBody&, int faults)
{
    const std::int64_t period = periodOf(clockNow());
    const std::uint32_t label = periodLabel(period);
    const std::uint32_t flag = faults != 0 ? kBeaconDamaged : kBeaconClean;
    std::uint32_t& w = words_[static_cast<std::size_t>(slotOf(period))];
    // The same period keeps its earlier flag; an older day's word is replaced.
    // Only the label is stored, so a period number past 24 bits cannot spill
    // into the flags.
    if ((w & kBeaconPeriodMask) == label)
        w = label | (w & (kBeaconDamaged | kBeaconClean)) | flag;
    else
        w = label | flag;
    save();
    if (redraw_)
        redraw_();
    return 0;
}

BeaconColour BeaconMarks::cellColour(int column, std::time_t now) const
{
    if (column < 0 || column >= kBeaconColumns)
        return BeaconColour::Grey;
    const std::int64_t q = periodOf(now) - (kBeaconColumns - 1) + column;
    const std::uint32_t w = words_[static_cast<std::size_t>(slotOf(q))];
    if ((w & (kBeaconDamaged | kBeaconClean)) == 0 || (w & kBeaconPeriodMask) != periodLabel(q))
        return BeaconColour::Grey;
    return (w & kBeaconClean) != 0 ? BeaconColour::Green : BeaconColour::Yellow;
}

void BeaconMarks::save() const
{
    std::uint8_t bytes[kBeaconFileBytes];
    for (int i = 0; i < kBeaconSlots; ++i)
        putLe32(bytes + 4 * i, words_[static_cast<std::size_t>(i)]);
    // In place, not truncated: the file is always exactly these bytes.
    const int fd = openRetrying(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC);
    if (fd < 0)
        return;  // a strip that cannot be kept is no reason to bother anyone
    transferFromStart(sizeof bytes, [&](std::size_t done) {
        return ::pwrite(fd, bytes + done, sizeof bytes - done, static_cast<off_t>(done));
    });
    ::close(fd);
}

}  // namespace veltrin
