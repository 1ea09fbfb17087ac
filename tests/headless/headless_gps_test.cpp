// The headless station with a GPS receiver: a pseudo-terminal named in the
// "Ports" section plays the receiver; its status line comes on standard
// error and SIGUSR1 sends a position beacon with its fix to APRS-IS.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "gateway/loopback_server.h"
#include "gps/nmea_test_util.h"
#include "gps/pseudo_terminal.h"
#include "headless/child_process.h"

namespace veltrin {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ChildProcess;
using test::nmea;

const std::string kBin = VELTRIN_BIN_DIR;


template <typename Done>
bool waitFor(Done done, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class HeadlessGps : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("veltrin-headless-gps-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "work");
        ASSERT_TRUE(pty.ok());
    }
    void TearDown() override { fs::remove_all(dir); }

    std::unique_ptr<ChildProcess> start()
    {
        return std::make_unique<ChildProcess>(
            std::vector<std::string>{kBin + "/veltrin", "--headless", "--workdir", (dir / "work").string(), "--audio",
                                     "udp:" + std::to_string(test::freeLoopbackUdpPort())},
            (dir / "out.txt").string(), (dir / "err.txt").string());
    }

    fs::path dir;
    test::PseudoTerminal pty;
};

TEST_F(HeadlessGps, FixFromThePortGoesIntoThePositionBeacon)
{
    test::LoopbackServer aprs({test::answer("HTTP/1.0 204 No Content\r\n\r\n")}, "127.0.0.6", 8080);
    ASSERT_TRUE(aprs.ok()) << "127.0.0.6:8080 is taken";
    std::ofstream(dir / "work" / "VELTRIN.INI")
        << "[General]\r\ngpsPort=5\r\ngpsSpeed=4800\r\n"
        << "[Ports]\r\nCOM5=" << pty.slavePath() << "\r\n"
        << "[Veltrin]\r\nVeltrinEnabled=1\r\nAprsCall=N0CALL-PG\r\nAprsPassword=12345\r\n"
        << "AprsServer=127.0.0.6\r\nAprsServer2=127.0.0.6\r\nAprsServer3=127.0.0.6\r\nPositionBeacon=Mobile\r\n"
        << "DefLat=10.0\r\nDefLon=20.0\r\n";
    auto run = start();
    ASSERT_TRUE(waitFor([&] { return run->err().find("gps: No data from GPS") != std::string::npos ||
                                     run->err().find("panel 9:") != std::string::npos; },
                        20s))
        << run->err();
    std::this_thread::sleep_for(300ms);  // the port is open once the start-up is through
    for (int s = 0; s < 4; ++s) {
        char time[16];
        std::snprintf(time, sizeof time, "1000%02d.00", s);
        ASSERT_TRUE(pty.write(nmea(std::string("GPGGA,") + time + ",5615.000,N,03730.000,E,1,07,1.0,150.0,M,,M,,") +
                              nmea(std::string("GPRMC,") + time + ",A,5615.000,N,03730.000,E,0.0,0.0,111226,,")));
        std::this_thread::sleep_for(300ms);
    }
    ASSERT_TRUE(waitFor([&] { return run->err().find("gps: UTC: 11.12.26 10:00:0") != std::string::npos; }, 20s))
        << run->err();
    EXPECT_NE(run->err().find("Lat: 56.250000 Lon: 37.500000 Alt: 150.0 Speed: 0.0 km/h Course: 0.0 Sats: 7  "
                              "Hdop: 1.0 \n"),
              std::string::npos)
        << run->err();

    run->signal(SIGUSR1);
    ASSERT_TRUE(waitFor([&] { return aprs.requests().size() == 1; }, 30s)) << run->err();
    const std::string body = "user N0CALL-PG pass 12345 vers CorvaneToVeltrin 1.01 \r\n"
                             "N0CALL-PG>APCRVG,TCPIP*:/111000z5615.00N/03730.00ErMobile\r\n";
    EXPECT_NE(aprs.requests()[0].find(body), std::string::npos) << aprs.requests()[0];

    // The receiver goes away while the station runs; it keeps running and
    // shuts down normally.
    pty.releaseSlave();
    pty.closeMaster();
    std::this_thread::sleep_for(500ms);
    const auto asked = std::chrono::steady_clock::now();
    run->signal(SIGTERM);
    EXPECT_EQ(run->wait(20s), 0) << run->err();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 12s);
}

TEST_F(HeadlessGps, PortThatCannotBeOpenedIsReportedAndTurnsTheGpsOff)
{
    std::ofstream(dir / "work" / "VELTRIN.INI")
        << "[General]\r\ngpsPort=5\r\n[Ports]\r\nCOM5=" << (dir / "no-such-tty").string() << "\r\n";
    auto run = start();
    ASSERT_TRUE(waitFor([&] { return run->err().find("gps: GPS is switched OFF") != std::string::npos; }, 20s))
        << run->err();
    EXPECT_NE(run->err().find("Corvane - GPS COM-port error: COM-port open error!\n"), std::string::npos)
        << run->err();
    run->signal(SIGTERM);
    EXPECT_EQ(run->wait(20s), 0) << run->err();
}

// STRINGS.INI beside the executable replaces the headless station's texts
// too; one in the working directory does not.
TEST_F(HeadlessGps, TextsBesideTheExecutableReplaceTheGpsLine)
{
    fs::create_directories(dir / "bin");
    fs::copy_file(kBin + "/veltrin", dir / "bin" / "veltrin");
    std::ofstream(dir / "bin" / "STRINGS.INI") << "[RxForm]\r\nGpsIsOffMessage=\"GPS aus \"\r\nExit=\r\n";
    std::ofstream(dir / "work" / "STRINGS.INI") << "[RxForm]\r\nNoDataFromGpsMessage=nicht hier\r\n";
    ChildProcess run({(dir / "bin" / "veltrin").string(), "--headless", "--workdir", (dir / "work").string(),
                      "--audio", "udp:" + std::to_string(test::freeLoopbackUdpPort())},
                     (dir / "out.txt").string(), (dir / "err.txt").string());
    EXPECT_TRUE(waitFor([&] { return run.err().find("gps: GPS aus \n") != std::string::npos; }, 20s)) << run.err();
    run.signal(SIGTERM);
    EXPECT_EQ(run.wait(20s), 0) << run.err();
}

TEST_F(HeadlessGps, ListPortsShowsTheMapWithTheUsersPaths)
{
    std::ofstream(dir / "work" / "VELTRIN.INI") << "[Ports]\r\nCOM3=" << pty.slavePath() << "\r\n";
    ChildProcess run({kBin + "/veltrin", "--headless", "--workdir", (dir / "work").string(), "--list-ports"},
                     (dir / "out.txt").string(), (dir / "err.txt").string());
    ASSERT_EQ(run.wait(20s), 0) << run.err();
    const std::string out = run.out();
    char present[128];
    std::snprintf(present, sizeof present, "%-28s  (present)\n", ("COM3  " + pty.slavePath()).c_str());
    EXPECT_NE(out.find(present), std::string::npos) << out;
    EXPECT_NE(out.find("COM5  /dev/ttyUSB0"), std::string::npos) << out;
    EXPECT_NE(out.find("COM28  /dev/rfcomm7"), std::string::npos) << out;
    EXPECT_EQ(out.find("COM29"), std::string::npos) << out;
}

}  // namespace
}  // namespace veltrin
