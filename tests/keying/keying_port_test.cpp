// The keying port: the normalisation of its values, the serial power lines
// and the parallel data byte.
#include "keying/keying_port.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "config/settings.h"
#include "gps/pseudo_terminal.h"
#include "platform/ui_ports.h"

namespace veltrin {
namespace {

class BoxRecorder : public MessageBoxes {
public:
    void showMessage(const std::string& text, const std::string& caption) override
    {
        boxes.push_back(caption + ": " + text);
    }
    std::vector<std::string> boxes;
};

// Stands for the port registers, where no parallel port exists.
class RecordingParallelPort : public ParallelPortAccess {
public:
    struct Write {
        char reg;  // 'D' data, 'C' control
        std::uint8_t value;
        bool operator==(const Write&) const = default;
    };
    bool open(int lpt, std::uint16_t address) override
    {
        openedLpt = lpt;
        openedAddress = address;
        open_ = available;
        return open_;
    }
    bool isOpen() const override { return open_; }
    bool writeData(std::uint8_t v) override { return log(Write{'D', v}); }
    bool writeControl(std::uint8_t v) override { return log(Write{'C', v}); }
    void close() override { open_ = false; }

    bool available = true;
    int openedLpt = 0;
    std::uint16_t openedAddress = 0;
    std::vector<Write>* writes = nullptr;

private:
    bool log(Write w)
    {
        if (writes)
            writes->push_back(w);
        return true;
    }
    bool open_ = false;
};

TEST(KeyingPort, ValuesAreNormalised)
{
    struct Case {
        KeyingValues in;
        KeyingValues out;
        std::uint8_t powerLines;
    };
    const Case cases[] = {
        {{1, 3, 0, 1, 2}, {1, 3, 0, 1, 2}, 0x03},    // serial DTR and RTS
        {{1, 3, 2, 0, 0}, {1, 3, 2, 0, 0}, 0x00},
        {{1, 3, 2, 2, 1}, {1, 3, 2, 0, 1}, 0x01},    // a power line on the PTT line goes
        {{1, 0, 5, 7, 2}, {1, 1, 0, 0, 2}, 0x02},    // number 0 becomes 1; serial lines above RTS go
        {{2, 1, 2, 7, 8}, {2, 1, 2, 7, 8}, 0xC0},    // LPT1, D6 and D7
        {{3, 6, 1, 1, 3}, {3, 1, 1, 0, 3}, 0x04},    // number 6 becomes LPT1; Tessival wiring alike
        {{2, 4, 9, -1, 8}, {2, 4, 0, 0, 8}, 0x80},   // indices outside 0..8 become 0
        {{7, 2, 2, 1, 1}, {0, 2, 2, 1, 1}, 0x00},    // an unknown type is none
        {{0, -5, 2, 1, 2}, {0, 1, 2, 1, 0}, 0x00},
    };
    for (const Case& c : cases) {
        const KeyingSetup s = normalizeKeying(c.in);
        const auto tie = [](const KeyingValues& v) { return std::vector<int>{v.type, v.number, v.ptt, v.power1, v.power2}; };
        EXPECT_EQ(tie(s.values), tie(c.out)) << tie(c.in)[0] << "," << tie(c.in)[1];
        EXPECT_EQ(s.powerLines, c.powerLines) << tie(c.in)[0] << "," << tie(c.in)[1];
    }
}

TEST(KeyingPort, ParallelPortGetsThePowerByteAndIdlesItsControlOnClose)
{
    Settings settings;
    BoxRecorder boxes;
    std::vector<RecordingParallelPort::Write> writes;
    auto device = std::make_unique<RecordingParallelPort>();
    RecordingParallelPort* port = device.get();
    port->writes = &writes;
    KeyingPort keying(settings, boxes, false, std::move(device));
    keying.configureKeyingPort({kKeyingParallel, 1, 2, 7, 8});
    EXPECT_EQ(port->openedLpt, 1);
    EXPECT_EQ(writes, (std::vector<RecordingParallelPort::Write>{{'D', 0xC0}}));
    keying.closeKeyingPort();
    EXPECT_EQ(writes, (std::vector<RecordingParallelPort::Write>{{'D', 0xC0}, {'C', 0x0C}}));

    // The port at an address.
    settings.lptAddress = 0x278;
    keying.configureKeyingPort({kKeyingParallel, 4, 2, 1, 0});
    EXPECT_EQ(port->openedLpt, 4);
    EXPECT_EQ(port->openedAddress, 0x278);
    EXPECT_EQ(writes.back(), (RecordingParallelPort::Write{'D', 0x01}));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(KeyingPort, MissingParallelDriverIsReportedOnceAndTurnsThePortOff)
{
    Settings settings;
    BoxRecorder boxes;
    // No parallel port here: the kernel's ppdev nodes do not exist under this root.
    KeyingPort keying(settings, boxes, false, std::make_unique<PpdevParallelPort>("/nonexistent", "/nonexistent"));
    keying.configureKeyingPort({kKeyingParallel, 1, 2, 7, 8});
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{" Error!: BRIGHTFOLDIO driver not found!"});
    EXPECT_EQ(settings.keyingPortType, kKeyingNone);
    keying.configureKeyingPort({kKeyingParallelTessival, 2, 2, 1, 0});
    EXPECT_EQ(boxes.boxes.size(), 1u);  // once per run
    EXPECT_EQ(settings.keyingPortType, kKeyingNone);
    EXPECT_TRUE(keying.driverUnavailable());

    // A system marked 64-bit refuses port access without asking the driver.
    Settings marked;
    BoxRecorder quiet;
    auto device = std::make_unique<RecordingParallelPort>();
    RecordingParallelPort* port = device.get();
    KeyingPort x64(marked, quiet, true, std::move(device));
    x64.configureKeyingPort({kKeyingParallel, 1, 2, 1, 0});
    EXPECT_EQ(port->openedLpt, 0);
    EXPECT_EQ(marked.keyingPortType, kKeyingNone);
    EXPECT_TRUE(quiet.boxes.empty());
}

TEST(KeyingPort, SerialPortOpensOrSaysWhyNot)
{
    test::PseudoTerminal pty;
    ASSERT_TRUE(pty.ok());
    Settings settings;
    BoxRecorder boxes;
    settings.comPortPaths[9] = pty.slavePath();
    KeyingPort keying(settings, boxes);
    keying.configureKeyingPort({kKeyingSerial, 9, 0, 1, 2});
    EXPECT_TRUE(keying.serialOpen());
    EXPECT_EQ(keying.powerLines(), 3);
    EXPECT_TRUE(boxes.boxes.empty());
    keying.closeKeyingPort();
    EXPECT_FALSE(keying.serialOpen());

    settings.comPortPaths[9] = "/nonexistent/ttyUSB3";
    keying.configureKeyingPort({kKeyingSerial, 9, 0, 1, 2});
    EXPECT_FALSE(keying.serialOpen());
    EXPECT_EQ(boxes.boxes, std::vector<std::string>{"Veltrin - COM-port error: COM-port open error!"});
    EXPECT_EQ(settings.keyingPortType, kKeyingSerial);  // the setting stays: the next start tries again
}

// The lines themselves, on a serial device that has them.
TEST(KeyingPort, SerialPowerLinesFollowTheByte)
{
    Settings settings;
    BoxRecorder boxes;
    KeyingPort keying(settings, boxes);
    keying.configureKeyingPort({kKeyingSerial, 1, 0, 1, 0});  // COM1: /dev/ttyS0
    if (!keying.serialOpen() || keying.serialModemLines() < 0)
        GTEST_SKIP() << "no serial port with modem lines here";
    struct Case {
        int power1, power2;
        bool dtr, rts;
    };
    for (const Case& c : {Case{1, 2, true, true}, Case{1, 0, true, false}, Case{0, 2, false, true},
                          Case{0, 0, false, false}}) {
        keying.configureKeyingPort({kKeyingSerial, 1, 0, c.power1, c.power2});
        ASSERT_TRUE(keying.serialOpen());
        const int lines = keying.serialModemLines();
        EXPECT_EQ((lines & TIOCM_DTR) != 0, c.dtr) << c.power1 << c.power2;
        EXPECT_EQ((lines & TIOCM_RTS) != 0, c.rts) << c.power1 << c.power2;
    }
}

}  // namespace
}  // namespace veltrin
