#include "platform/parallel_port.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

namespace veltrin {

namespace {

constexpr int kKnownPorts = 8;

}  // namespace

int PpdevParallelPort::portWithBaseAddress(std::uint16_t address) const
{
    for (int n = 0; n < kKnownPorts; ++n) {
        // "888\t1912": the base address, then the extended one.
        std::ifstream in(sysRoot_ + "/parport" + std::to_string(n) + "/base-addr");
        unsigned long base = 0;
        if (in >> base && base == address)
            return n;
    }
    return -1;
}

bool PpdevParallelPort::open(int lpt, std::uint16_t address)
{
    close();
    const int index = lpt >= 1 && lpt <= 3 ? lpt - 1 : portWithBaseAddress(address);
    if (index < 0)
        return false;
    const std::string path = root_ + "/parport" + std::to_string(index);
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    if (ioctl(fd, PPEXCL) != 0 || ioctl(fd, PPCLAIM) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool PpdevParallelPort::writeData(std::uint8_t value)
{
    unsigned char v = value;
    return fd_ >= 0 && ioctl(fd_, PPWDATA, &v) == 0;
}

bool PpdevParallelPort::writeControl(std::uint8_t value)
{
    unsigned char v = value;
    return fd_ >= 0 && ioctl(fd_, PPWCONTROL, &v) == 0;
}

void PpdevParallelPort::close()
{
    if (fd_ < 0)
        return;
    ioctl(fd_, PPRELEASE);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace veltrin
