// The termios serial port on a pseudo-terminal and on things that are not
// serial ports.
#include "platform/serial_port.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <chrono>
#include <string>

#include "gps/pseudo_terminal.h"

namespace veltrin {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

TEST(SerialPort, ReadsWhatIsBufferedAndWaitsBrieflyForNothing)
{
    test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    SerialPort port;
    ASSERT_EQ(port.open(pty.slavePath(), 4800), SerialOpenResult::Ok);

    char buffer[64];
    const auto start = Clock::now();
    EXPECT_EQ(port.read(buffer, sizeof buffer), 0);
    EXPECT_LT(Clock::now() - start, 5s);  // about 100 ms; never a blocking read

    // Raw: no line editing, no CR translation, no echo back to the device.
    ASSERT_TRUE(pty.write("$GP\r\n\x03\x7f"));
    std::string got;
    for (int i = 0; i < 50 && got.size() < 7; ++i) {
        const long n = port.read(buffer, sizeof buffer);
        ASSERT_GE(n, 0);
        got.append(buffer, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(got, "$GP\r\n\x03\x7f");

    // The other end closed (the device unplugged): a failure, not a hang.
    pty.releaseSlave();
    pty.closeMaster();
    EXPECT_EQ(port.read(buffer, sizeof buffer), -1);
}

TEST(SerialPort, RefusesWhatCannotBeASerialPort)
{
    test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    struct Case {
        std::string path;
        int baud;
        SerialOpenResult result;
    };
    const Case cases[] = {
        {"/nonexistent/ttyS99", 9600, SerialOpenResult::OpenFailed},
        {"", 9600, SerialOpenResult::OpenFailed},
        {"/dev/null", 9600, SerialOpenResult::GetStateFailed},
        {pty.slavePath(), 9601, SerialOpenResult::SetStateFailed},
        {pty.slavePath(), 0, SerialOpenResult::SetStateFailed},
        {pty.slavePath(), 115200, SerialOpenResult::Ok},
    };
    for (const Case& c : cases) {
        SerialPort port;
        EXPECT_EQ(port.open(c.path, c.baud), c.result) << c.path << " " << c.baud;
        EXPECT_EQ(port.isOpen(), c.result == SerialOpenResult::Ok);
    }
}

TEST(SerialPort, IsNotSharedWhileOpen)
{
    test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    SerialPort first, second;
    ASSERT_EQ(first.open(pty.slavePath(), 9600), SerialOpenResult::Ok);
    if (::geteuid() != 0) {  // the exclusive mode does not hold against root
        EXPECT_EQ(second.open(pty.slavePath(), 9600), SerialOpenResult::OpenFailed);
    }
    first.close();
    EXPECT_EQ(second.open(pty.slavePath(), 9600), SerialOpenResult::Ok);
}

TEST(SerialPort, SpeedsTermiosOffers)
{
    for (int baud : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400})
        EXPECT_TRUE(serialSpeedSupported(baud)) << baud;
    for (int baud : {0, -9600, 9601, 14400, 128000})
        EXPECT_FALSE(serialSpeedSupported(baud)) << baud;
}

}  // namespace
}  // namespace veltrin
