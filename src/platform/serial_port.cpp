#include "platform/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace veltrin {

namespace {

struct SpeedEntry {
    int baud;
    speed_t speed;
};

constexpr int kReadWaitMs = 100;

// Zero baud is left out: on a terminal it means "hang up".
constexpr SpeedEntry kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},         {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},       {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},     {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800},   {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

// Raw 8N1 without any flow control, line editing or character translation;
// the modem-status lines are ignored so that a port without carrier opens.
void makeRaw8N1(termios& t)
{
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                         IXANY | INPCK);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
}

bool setAttributes(int fd, const termios& t)
{
    int rc;
    do {
        rc = tcsetattr(fd, TCSANOW, &t);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

}  // namespace

const char* serialOpenErrorText(SerialOpenResult result)
{
    switch (result) {
    case SerialOpenResult::Ok: return "";
    case SerialOpenResult::OpenFailed: return "COM-port open error!";
    case SerialOpenResult::BufferSetupFailed: return "SetupComm error!";
    case SerialOpenResult::GetStateFailed: return "GetCommState error!";
    case SerialOpenResult::SetStateFailed: return "SetCommState error!";
    case SerialOpenResult::TimeoutsFailed: return "SetCommTimeouts error!";
    }
    return "COM-port open error!";
}

bool serialSpeedSupported(int baud, unsigned* speed)
{
    for (const SpeedEntry& e : kSpeeds) {
        if (e.baud == baud) {
            if (speed)
                *speed = static_cast<unsigned>(e.speed);
            return true;
        }
    }
    return false;
}

SerialOpenResult SerialPort::open(const std::string& path, int baud, SerialAccess access)
{
    close();
    // Non-blocking for the open only: a port without carrier would otherwise
    // wait for one. O_NOCTTY: a receiver must never become our terminal.
    const int mode = access == SerialAccess::ReadOnly ? O_RDONLY : O_RDWR;
    int fd;
    do {
        fd = ::open(path.c_str(), mode | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return SerialOpenResult::OpenFailed;
    // Not shared: a second opener gets EBUSY. A pseudo-terminal refuses
    // nothing here, which is fine.
    if (isatty(fd) && ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
        ::close(fd);
        return SerialOpenResult::OpenFailed;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return SerialOpenResult::BufferSetupFailed;
    }

    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        ::close(fd);
        return SerialOpenResult::GetStateFailed;
    }
    unsigned speed = 0;
    makeRaw8N1(t);
    if (!serialSpeedSupported(baud, &speed) || cfsetispeed(&t, static_cast<speed_t>(speed)) != 0 ||
        cfsetospeed(&t, static_cast<speed_t>(speed)) != 0 || !setAttributes(fd, t)) {
        ::close(fd);
        return SerialOpenResult::SetStateFailed;
    }
    // VMIN 0, VTIME 1: a read returns what is buffered at once, otherwise
    // waits at most 100 ms for the first byte.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 1;
    if (!setAttributes(fd, t)) {
        ::close(fd);
        return SerialOpenResult::TimeoutsFailed;
    }
    tcflush(fd, TCIFLUSH);  // bytes from before the open belong to nobody
    fd_ = fd;
    return SerialOpenResult::Ok;
}

void SerialPort::close()
{
    if (fd_ < 0)
        return;
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

long SerialPort::read(void* buffer, std::size_t max)
{
    if (fd_ < 0)
        return -1;
    // A hung-up terminal (USB device unplugged, the far end of a
    // pseudo-terminal closed) reads as end of file at once; poll tells it
    // apart from the quiet 100 ms of a live one.
    pollfd p{fd_, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&p, 1, kReadWaitMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0)
        return -1;
    if (ready == 0)
        return 0;
    if (!(p.revents & POLLIN))
        return -1;  // POLLHUP, POLLERR or POLLNVAL without data
    if (max == 0)
        return 0;
    ssize_t n;
    do {
        n = ::read(fd_, buffer, max);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return errno == EAGAIN ? 0 : -1;
    return n == 0 ? -1 : static_cast<long>(n);
}

bool SerialPort::setLine(int bit, bool on)
{
    if (fd_ < 0)
        return false;
    return ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

bool SerialPort::setDtr(bool on) { return setLine(TIOCM_DTR, on); }
bool SerialPort::setRts(bool on) { return setLine(TIOCM_RTS, on); }

int SerialPort::modemLines() const
{
    int bits = 0;
    if (fd_ < 0 || ioctl(fd_, TIOCMGET, &bits) != 0)
        return -1;
    return bits;
}

}  // namespace veltrin
