// The headless station as an internet gateway: a recording of a position, a
// status text and a custom packet, played fast, gives exactly the APRS-IS
// submissions and Traccar requests at loopback servers, and their result
// lines in the receive-window text; the run ends only after they went out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "gateway/loopback_server.h"
#include "headless/child_process.h"

namespace veltrin {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ChildProcess;

const std::string kBin = VELTRIN_BIN_DIR;

std::string aprsRequest(const std::string& packet)
{
    const std::string body = "user N0CALL-PG pass 12345 vers CorvaneToVeltrin 1.01 \r\n" + packet + "\r\n";
    return "POST / HTTP/1.0\r\nAccept-Type: text/plain\r\nAccept-Encoding: identity\r\n"
           "Content-Type: application/octet-stream\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string traccarRequest(const std::string& query, int port)
{
    return "GET /" + query + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) +
           "\r\nAccept-Type: text/plain\r\nAccept-Encoding: identity\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
}

TEST(HeadlessGateway, RecordingGivesExactlyTheSubmissionsAndTheirLines)
{
    const fs::path dir = fs::temp_directory_path() / ("veltrin-gateway-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "work");
    const std::string wav = (dir / "gateway.wav").string();
    ChildProcess gen({kBin + "/veltrin-gen", "-o", wav, "--quiet", "--trail", "1",
                      "--type", "gps", "--from", "12345", "--lat", "56.25", "--lon", "37.5",
                      "--gps-time", "2023-11-14T22:13:20Z", "--gps-speed", "50", "--gps-course", "90",
                      "--text", "Hello",
                      "--message", "--from", "201", "--text", "#;N0CALL-10;Test status",
                      "--message", "--from", "202", "--text", "#:N0CALL-10:!5615.00N/03730.00E>test"},
                     (dir / "gen.out").string(), (dir / "gen.err").string());
    ASSERT_EQ(gen.wait(60s), 0) << gen.err();

    // APRS-IS submits to port 8080 only: the first server on its own
    // loopback address answers every packet.
    using test::answer;
    test::LoopbackServer aprs({answer("HTTP/1.0 204 No Content\r\n\r\n"), answer("HTTP/1.0 204 No Content\r\n\r\n"),
                               answer("HTTP/1.0 204 No Content\r\n\r\n")},
                              "127.0.0.2", 8080);
    ASSERT_TRUE(aprs.ok()) << "127.0.0.2:8080 is taken";
    test::LoopbackServer traccar({answer("HTTP/1.0 200 OK\r\n\r\n")});
    ASSERT_TRUE(traccar.ok());
    std::ofstream(dir / "work" / "VELTRIN.INI")
        << "[General]\r\nuseUtc=1\r\n"
        << "[Veltrin]\r\nVeltrinEnabled=1\r\nAprsCall=N0CALL-PG\r\nAprsPassword=12345\r\n"
        << "AprsServer=127.0.0.2\r\nAprsServer2=127.0.0.3\r\nAprsServer3=127.0.0.4\r\n"
        << "[TracCar]\r\nTccGateEnabled0=1\r\nTccServer0=127.0.0.1\r\nTccPort0=" << traccar.port()
        << "\r\nTccPath0=/\r\n";

    ChildProcess run({kBin + "/veltrin", "--headless", "--workdir", (dir / "work").string(), "--audio", "wav:" + wav,
                      "--fast"},
                     (dir / "out.txt").string(), (dir / "err.txt").string());
    ASSERT_EQ(run.wait(60s), 0) << run.err();

    const std::string position =
        "N0CALL-PG>PG3039,TCPIP*:;CRVG12345*142213z5615.00NP03730.00Ea090/027(47Bd/0.0%)Hello";
    const std::string status = "N0CALL-10>APCRVG,TCPIP*:>Test status";
    const std::string custom = "N0CALL-10>APCRVG,TCPIP*:!5615.00N/03730.00E>test";
    const std::vector<std::string> submitted = aprs.requests();
    ASSERT_EQ(submitted.size(), 3u);
    EXPECT_EQ(submitted[0], aprsRequest(position));
    EXPECT_EQ(submitted[1], aprsRequest(status));
    EXPECT_EQ(submitted[2], aprsRequest(custom));

    const std::string query = "?id=crvg12345&timestamp=1700000000&lat=56.250000&lon=37.500000&speed=27.0&bearing=90.0"
                              "&accuracy=0.0";
    ASSERT_EQ(traccar.requests().size(), 1u);
    EXPECT_EQ(traccar.request(0), traccarRequest(query, traccar.port()));

    // The receive window keeps no CR: each line shows with its LF.
    const std::string out = run.out();
    for (const std::string& line :
         {std::string(">>> Traccar crvg12345 - OK! Answer Code 200 \n"),
          ">>> http://127.0.0.1:" + std::to_string(traccar.port()) + "/" + query + "\n",
          std::string(">>> CRVG12345 - OK! Answer Code 204 \n"), ">>> " + position + "\n",
          std::string(">>> CRVG00201 - OK! Answer Code 204 \n"), ">>> " + status + "\n",
          std::string(">>> CRVG00202 - OK! Answer Code 204 \n"), ">>> " + custom + "\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n--- got:\n" << out;
    fs::remove_all(dir);
}


// A server that takes the request and never answers holds the network
// thread, but not the station: SIGTERM still ends it within the shutdown
// budget.
TEST(HeadlessGateway, SilentServerDoesNotHoldTheShutdown)
{
    const fs::path dir = fs::temp_directory_path() / ("veltrin-gateway-silent-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "work");
    const std::string wav = (dir / "status.wav").string();
    ChildProcess gen({kBin + "/veltrin-gen", "-o", wav, "--quiet", "--from", "201", "--text", "#;N0CALL-10;Anyone"},
                     (dir / "gen.out").string(), (dir / "gen.err").string());
    ASSERT_EQ(gen.wait(60s), 0) << gen.err();
    test::LoopbackServer silent({test::Reply{test::Behaviour::Silent, ""}}, "127.0.0.5", 8080);
    ASSERT_TRUE(silent.ok()) << "127.0.0.5:8080 is taken";
    std::ofstream(dir / "work" / "VELTRIN.INI") << "[Veltrin]\r\nVeltrinEnabled=1\r\nAprsServer=127.0.0.5\r\n";

    ChildProcess run({kBin + "/veltrin", "--headless", "--workdir", (dir / "work").string(), "--audio", "wav:" + wav,
                      "--fast"},
                     (dir / "out.txt").string(), (dir / "err.txt").string());
    for (int i = 0; i < 3000 && silent.connections() == 0; ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(silent.connections(), 1) << run.err();
    const auto asked = std::chrono::steady_clock::now();
    run.signal(SIGTERM);
    EXPECT_EQ(run.wait(40s), 0) << run.err();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 30s);  // not the 42 s the exchange could take
    fs::remove_all(dir);
}

}  // namespace
}  // namespace veltrin
