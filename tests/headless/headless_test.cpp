// The headless station as a user runs it from a shell or a service: a
// generated recording played through standard input, UDP datagrams and wav:
// gives the same stored files as veltrin-decode --store; signals shut it
// down in order; bad input gets one clear message and a non-zero exit.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "headless/child_process.h"

namespace veltrin {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ChildInput;
using test::ChildProcess;

const std::string kBin = VELTRIN_BIN_DIR;
const std::string kStart = "2026-03-01 10:00:00";

// Relative path -> bytes of every stored message and KML file.
using FileTree = std::map<std::string, std::string>;

FileTree storedFiles(const fs::path& workdir)
{
    FileTree tree;
    const fs::path data = workdir / "VeltrinData";
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(data, ec)) {
        const std::string folder = e.path().parent_path().filename().string();
        if (e.is_regular_file() && folder.rfind("MESSAGES.", 0) == 0)
            tree[fs::relative(e.path(), data).string()] = ChildProcess::slurp(e.path().string());
    }
    return tree;
}

std::string names(const FileTree& tree)
{
    std::string s;
    for (const auto& [name, bytes] : tree)
        s += name + "\n";
    return s;
}

// The 16-bit samples of a WAV file written by veltrin-gen (44-byte header).
std::vector<char> pcmOf(const std::string& wav)
{
    const std::string bytes = ChildProcess::slurp(wav);
    if (bytes.size() < 44 || bytes.compare(36, 4, "data") != 0)
        return {};
    return std::vector<char>(bytes.begin() + 44, bytes.end());
}

// A UDP socket bound to a free port on 127.0.0.1; at holds the address.
int bindLoopbackUdp(sockaddr_in& at)
{
    const int sock = ::socket(AF_INET, SOCK_DGRAM, 0);
    at = sockaddr_in{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(sock, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
        ::close(sock);
        return -1;
    }
    socklen_t len = sizeof at;
    ::getsockname(sock, reinterpret_cast<sockaddr*>(&at), &len);
    return sock;
}

class Headless : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::signal(SIGPIPE, SIG_IGN);
        shared_ = fs::temp_directory_path() / ("veltrin-headless-" + std::to_string(::getpid()));
        fs::create_directories(shared_);
        // Messages of each kind at the two faster speeds, with silence after.
        ChildProcess gen({kBin + "/veltrin-gen", "-o", recording(), "--quiet", "--trail", "1",
                          "--type", "text", "--speed", "32", "--from", "101", "--to", "7", "--text", "Привет из эфира",
                          "--message", "--type", "gps", "--speed", "32", "--from", "102", "--lat", "55.75",
                          "--lon", "37.62", "--gps-time", "2026-03-01T09:59:00Z", "--gps-speed", "12",
                          "--message", "--type", "beacon", "--speed", "32", "--from", "103", "--text", "QRV",
                          "--message", "--type", "text", "--speed", "16", "--from", "104", "--number", "9",
                          "--text", "Slower text"},
                         (shared_ / "gen.out").string(), (shared_ / "gen.err").string());
        ASSERT_EQ(gen.wait(60s), 0) << gen.err();
        // What the command-line decoder stores: the reference.
        ChildProcess decode({kBin + "/veltrin-decode", "--store", (shared_ / "reference").string(), "--utc",
                             "--start-time", kStart, recording()},
                            (shared_ / "decode.out").string(), (shared_ / "decode.err").string());
        ASSERT_EQ(decode.wait(60s), 0) << decode.err();
        reference_ = storedFiles(shared_ / "reference");
    }
    static void TearDownTestSuite() { fs::remove_all(shared_); }

    void SetUp() override
    {
        dir_ = shared_ / testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(dir_ / "work");
        // The same settings as the reference store: UTC names.
        std::ofstream(dir_ / "work" / "VELTRIN.INI") << "[General]\r\nuseUtc=1\r\n";
        std::ofstream(shared_ / "reference" / "VELTRIN.INI", std::ios::app);
    }

    static std::string recording() { return (shared_ / "recording.wav").string(); }
    std::string work() const { return (dir_ / "work").string(); }

    std::vector<std::string> station(std::vector<std::string> extra) const
    {
        std::vector<std::string> args = {kBin + "/veltrin", "--headless", "--workdir", work(), "--utc",
                                         "--start-time", kStart};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    std::unique_ptr<ChildProcess> start(std::vector<std::string> extra, ChildInput input = ChildInput::DevNull)
    {
        return std::make_unique<ChildProcess>(station(std::move(extra)), (dir_ / "out.txt").string(),
                                              (dir_ / "err.txt").string(), input);
    }

    static inline fs::path shared_;
    static inline FileTree reference_;
    fs::path dir_;
};

TEST_F(Headless, ReferenceHoldsEveryMessage)
{
    // Two texts and a beacon as .TXT files, the position as a file and KML.
    EXPECT_GE(reference_.size(), 5u) << names(reference_);
}

TEST_F(Headless, RecordingThroughStandardInputGivesTheSameFiles)
{
    const std::vector<char> pcm = pcmOf(recording());
    ASSERT_FALSE(pcm.empty());
    auto run = start({"--audio", "stdin"}, ChildInput::Pipe);
    // Odd-sized writes: the station must join samples split across reads.
    for (std::size_t at = 0; at < pcm.size(); at += 4093)
        ASSERT_TRUE(run->write(pcm.data() + at, std::min<std::size_t>(4093, pcm.size() - at)));
    run->closeInput();
    ASSERT_EQ(run->wait(60s), 0) << run->err();
    EXPECT_EQ(storedFiles(work()), reference_) << names(storedFiles(work()));
    // The receive window's text arrives on standard output in UTF-8.
    EXPECT_NE(run->out().find("Привет из эфира"), std::string::npos) << run->out();
}

TEST_F(Headless, RecordingThroughUdpGivesTheSameFilesAndBadDatagramsAreDropped)
{
    const std::vector<char> pcm = pcmOf(recording());
    ASSERT_FALSE(pcm.empty());
    // A port the kernel hands out, free a moment ago.
    sockaddr_in to{};
    ::close(bindLoopbackUdp(to));
    const int port = ntohs(to.sin_port);
    const int sock = ::socket(AF_INET, SOCK_DGRAM, 0);

    auto run = start({"--audio", "udp:" + std::to_string(port)});
    ASSERT_TRUE(run->started());
    // Wait until it listens: its start-up writes the FIFO panel.
    for (int i = 0; i < 500 && run->err().find("panel 9:") == std::string::npos; ++i)
        std::this_thread::sleep_for(10ms);
    const std::vector<char> odd(999, 0x55), huge(65507, 0x55);
    auto send = [&](const char* data, std::size_t size) {
        ::sendto(sock, data, size, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    };
    int count = 0;
    for (std::size_t at = 0; at < pcm.size(); at += 1024) {
        send(pcm.data() + at, std::min<std::size_t>(1024, pcm.size() - at));
        if (++count % 97 == 0) {
            send(odd.data(), odd.size());
            send(nullptr, 0);
            send(huge.data(), huge.size());
        }
        // About 20 times real time: far below what the kernel buffers.
        if (count % 8 == 0)
            std::this_thread::sleep_for(4ms);
    }
    // Silence so the last message is finished, then wait for the files.
    const std::vector<char> silence(1024, 0);
    for (int i = 0; i < 400; ++i) {
        send(silence.data(), silence.size());
        if (i % 8 == 0)
            std::this_thread::sleep_for(4ms);
    }
    for (int i = 0; i < 1000 && storedFiles(work()).size() < reference_.size(); ++i)
        std::this_thread::sleep_for(10ms);
    ::close(sock);
    run->signal(SIGTERM);
    ASSERT_EQ(run->wait(20s), 0) << run->err();
    EXPECT_EQ(storedFiles(work()), reference_) << names(storedFiles(work()));
}

TEST_F(Headless, RecordingAsWavGivesTheSameFilesFastAndAtAnotherRate)
{
    auto fast = start({"--audio", "wav:" + recording(), "--fast"});
    ASSERT_EQ(fast->wait(60s), 0) << fast->err();
    EXPECT_EQ(storedFiles(work()), reference_) << names(storedFiles(work()));

    // A 44100 Hz copy (as a phone records) goes through the live chain at
    // the file's own rate.
    const std::string copy = (dir_ / "copy44k.wav").string();
    ASSERT_EQ(std::system(("sox '" + recording() + "' -r 44100 '" + copy + "'").c_str()), 0);
    fs::remove_all(dir_ / "work" / "VeltrinData");
    auto resampled = start({"--audio", "wav:" + copy, "--fast"});
    ASSERT_EQ(resampled->wait(60s), 0) << resampled->err();
    EXPECT_EQ(storedFiles(work()), reference_) << names(storedFiles(work()));
}

TEST_F(Headless, SigtermEndsARunInOrderAndKeepsTheCaptureFile)
{
    const std::vector<char> pcm = pcmOf(recording());
    const std::string capture = (dir_ / "capture.wav").string();
    auto run = start({"--audio", "stdin", "--record", capture}, ChildInput::Pipe);
    ASSERT_TRUE(run->write(pcm.data(), pcm.size() / 2 & ~std::size_t{1}));
    std::this_thread::sleep_for(1s);
    const auto asked = std::chrono::steady_clock::now();
    run->signal(SIGTERM);
    ASSERT_EQ(run->wait(20s), 0) << run->err();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 20s);  // the shutdown budget, with room for a busy machine
    // Every file stored so far is complete: each is one of the reference's.
    for (const auto& [name, bytes] : storedFiles(work())) {
        ASSERT_TRUE(reference_.count(name)) << name;
        EXPECT_EQ(bytes, reference_.at(name)) << name;
    }
    // The capture file's header tells the size of what it holds.
    const std::string wav = ChildProcess::slurp(capture);
    ASSERT_GE(wav.size(), 44u);
    std::uint32_t riff = 0, data = 0;
    std::memcpy(&riff, wav.data() + 4, 4);
    std::memcpy(&data, wav.data() + 40, 4);
    EXPECT_EQ(riff, wav.size() - 8);
    EXPECT_EQ(data, wav.size() - 44);
    EXPECT_GT(data, 0u);
}

TEST_F(Headless, BadInputGetsOneClearMessageAndAFailingExit)
{
    // A port in use.
    sockaddr_in at{};
    const int busy = bindLoopbackUdp(at);
    ASSERT_GE(busy, 0);
    const std::string busyPort = std::to_string(ntohs(at.sin_port));
    std::ofstream(dir_ / "noise.txt") << "not a recording";

    struct Case {
        const char* what;
        std::vector<std::string> args;
        ChildInput input;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"unknown source", {"--audio", "tape:1"}, ChildInput::DevNull, 64, "unknown audio source"},
        {"no value", {"--audio"}, ChildInput::DevNull, 64, "needs a value"},
        {"unknown option", {"--colour"}, ChildInput::DevNull, 64, "unknown argument"},
        {"port in use", {"--audio", "udp:" + busyPort}, ChildInput::DevNull, 66, "Address already in use"},
        {"missing file", {"--audio", "wav:" + (dir_ / "none.wav").string()}, ChildInput::DevNull, 66, "File Open Error!"},
        {"not a recording", {"--audio", "wav:" + (dir_ / "noise.txt").string()}, ChildInput::DevNull, 66, "Error"},
        {"closed stdin", {"--audio", "stdin"}, ChildInput::Closed, 66, "standard input is closed"},
        {"empty stdin", {"--audio", "stdin"}, ChildInput::DevNull, 66, "no audio on standard input"},
    };
    for (const Case& c : cases) {
        auto run = start(c.args, c.input);
        EXPECT_EQ(run->wait(20s), c.status) << c.what << "\n" << run->err();
        EXPECT_NE(run->err().find(c.message), std::string::npos) << c.what << "\n" << run->err();
    }
    ::close(busy);
}

TEST_F(Headless, HelpDocumentsEveryOption)
{
    ChildProcess help({kBin + "/veltrin", "--headless", "--help"}, (dir_ / "out.txt").string(),
                      (dir_ / "err.txt").string());
    ASSERT_EQ(help.wait(10s), 0);
    for (const char* option : {"--workdir", "--audio", "udp:PORT", "udp:ADDRESS:PORT", "stdin", "wav:FILE", "--fast",
                               "--start-time", "--record", "SIGUSR1", "SIGTERM"})
        EXPECT_NE(help.out().find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace veltrin
