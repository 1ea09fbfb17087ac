// The headless station with the sound card as its audio (no --audio): a
// transmission that an ALSA device records is decoded and stored until
// SIGTERM ends the run; a machine without a capture device says so and
// ends; --list-audio shows the one list of audio sources.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

#include "capture/alsa_test_config.h"
#include "headless/child_process.h"

namespace veltrin {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ChildProcess;
using test::ScopedAlsaConfig;

class HeadlessSoundCard : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("veltrin-headless-card-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_ / "work");
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::unique_ptr<ChildProcess> start(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {std::string(VELTRIN_BIN_DIR) + "/veltrin", "--headless", "--workdir",
                                         (dir_ / "work").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return std::make_unique<ChildProcess>(args, (dir_ / "out.txt").string(), (dir_ / "err.txt").string());
    }

    fs::path dir_;
};

TEST_F(HeadlessSoundCard, TransmissionFromTheSoundCardIsDecodedUntilSigterm)
{
    const fs::path raw = dir_ / "radio.raw";
    ASSERT_GT(test::writeRawTransmission(raw,
                                         {"--trail", "1", "--type", "text", "--speed", "32", "--from", "303",
                                          "--text", "Heard headless"},
                                         1, 40.0),
              1.0);
    ScopedAlsaConfig card(dir_, {{"default", raw.string(), "Receiver"}});
    auto station = start();
    ASSERT_TRUE(station->started());
    const auto limit = std::chrono::steady_clock::now() + 120s;
    while (station->out().find("Heard headless") == std::string::npos && std::chrono::steady_clock::now() < limit &&
           station->wait(0ms) == -1)
        std::this_thread::sleep_for(20ms);
    EXPECT_NE(station->out().find("Heard headless"), std::string::npos) << station->err();
    // The sound card never ends by itself.
    EXPECT_EQ(station->wait(0ms), -1) << station->err();
    station->signal(SIGTERM);
    EXPECT_EQ(station->wait(60s), 0) << station->err();
    EXPECT_EQ(station->err().find("Error"), std::string::npos) << station->err();
    EXPECT_EQ(test::storedTextMessages(dir_ / "work" / "VeltrinData"), 1);
}

TEST_F(HeadlessSoundCard, NoCaptureDeviceIsReportedAndEndsTheRun)
{
    ScopedAlsaConfig none(dir_, {});
    auto station = start();
    EXPECT_EQ(station->wait(60s), 66) << station->err();
    EXPECT_NE(station->err().find("Error: No sound input device\n"), std::string::npos) << station->err();
}

TEST_F(HeadlessSoundCard, ListAudioShowsTheSoundCardsThenTheOtherSources)
{
    ScopedAlsaConfig card(dir_, {{"default", "/dev/zero", "Quiet card"}, {"usb", "/dev/zero", "USB card"}});
    auto station = start({"--list-audio"});
    ASSERT_EQ(station->wait(60s), 0) << station->err();
    const std::string out = station->out();
    const std::size_t dflt = out.find("DEFAULT"), usb = out.find("1  USB card"), udp = out.find("--audio udp:7355"),
                      in = out.find("--audio stdin");
    ASSERT_NE(dflt, std::string::npos) << out;
    ASSERT_NE(usb, std::string::npos) << out;
    ASSERT_NE(udp, std::string::npos) << out;
    ASSERT_NE(in, std::string::npos) << out;
    EXPECT_LT(dflt, usb);
    EXPECT_LT(usb, udp);
    EXPECT_LT(udp, in);
    EXPECT_NE(out.find("captureDeviceId=1"), std::string::npos) << out;
}

}  // namespace
}  // namespace veltrin
