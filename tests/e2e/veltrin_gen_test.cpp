// veltrin-gen as a user runs it: WAV files it writes are decoded by the
// station's file decoding, and bad command lines are refused with exit 64.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/file_decoding.h"
#include "audio/wave_read.h"
#include "e2e/receiving_station.h"
#include "modem/gps_payload.h"
#include "transmitter/wav_fixture.h"

namespace veltrin {
namespace {

namespace fs = std::filesystem;

class VeltrinGen : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("veltrin-gen-test-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Exit status of veltrin-gen with the arguments (each quoted for the shell).
    int run(const std::vector<std::string>& args)
    {
        std::string cmd = "'" + std::string(VELTRIN_BIN_DIR) + "/veltrin-gen'";
        for (const std::string& a : args)
            cmd += " '" + a + "'";
        cmd += " >'" + (dir_ / "out.txt").string() + "' 2>&1";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string path(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(VeltrinGen, BadCommandLinesAreRefusedWithUsageStatus)
{
    const std::string out = path("x.wav");
    const std::vector<std::vector<std::string>> cases = {
        {"--text", "no output file"},
        {"-o", out, "--bogus", "1"},
        {"-o", out, "--speed"},
        {"-o", out, "--speed", "8"},
        {"-o", out, "--rate", "44100"},
        {"-o", out, "--bits", "24"},
        {"-o", out, "--snr", "loud"},
        {"-o", out, "--from", "65536"},
        {"-o", out, "--lat", "91"},
        {"-o", out, "--gps-time", "2024-13-01T00:00:00Z"},
        {"-o", out, "--body-hex", "ABC"},
        {"-o", out, "--block", "000102030405060708090a0b/0,3,5,16"},
        {"-o", out, "--text", std::string(253, 'x')},
        {"-o", out, "--type", "gps", "--text", std::string(229, 'x')},
        {"-o", out, "--type", "ack", "--text", "acks carry no text"},
        {"-o", out, "--signal-channel", "left"},
        {"-o", out, "--lsb=yes"},
        {"-o", out, "stray"},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const auto& a : args)
            shown += a.substr(0, 20) + " ";
        EXPECT_EQ(run(args), 64) << shown;
        EXPECT_FALSE(fs::exists(out)) << shown;
    }
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_EQ(run({"-o", (dir_ / "no-such-dir" / "x.wav").string()}), 73);
}

TEST_F(VeltrinGen, EightBitStereoFileAtTwelveKilohertzDecodes)
{
    const std::string wav = path("two.wav");
    ASSERT_EQ(run({"-o", wav, "--rate", "12000", "--bits", "8", "--channels", "2", "--signal-channel", "left",
                   "--speed", "16", "--from", "31000", "--to", "2", "--number", "42", "--text", "Привет, мир!",
                   "--message", "--type", "gps", "--speed", "32", "--from", "20202", "--to", "7", "--number", "43",
                   "--lat", "-33.5", "--lon", "-70.25", "--gps-time", "2024-04-05T19:34:38Z", "--gps-speed",
                   "36.2", "--gps-course", "271.5", "--gps-alt", "540", "--gps-accuracy", "4.8", "--text",
                   "Santiago"}),
              0);
    const test::WavData data = test::readWav(wav);
    ASSERT_TRUE(data.ok);
    EXPECT_EQ(data.rate, 12000);
    EXPECT_EQ(data.bits, 8);
    EXPECT_EQ(data.channels, 2);

    test::ReceivingStation station;
    TWaveRead reader;
    ASSERT_EQ(decodeWaveFile(wav, reader, station.chain(), station.state()), FileDecodeResult::Finished);
    ASSERT_EQ(station.messages().size(), 2u);

    const ReceivedMessage& text = station.messages()[0];
    EXPECT_EQ(text.speed, 16);
    EXPECT_EQ(text.header.sender, 31000);
    EXPECT_EQ(text.header.msgNumber, 42);
    EXPECT_EQ(std::string(text.body.begin(), text.body.begin() + text.header.length),
              "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!");  // Windows-1251
    EXPECT_EQ(text.faultCount, 0);

    const ReceivedMessage& gps = station.messages()[1];
    EXPECT_EQ(gps.speed, 32);
    EXPECT_EQ(gps.header.type, 6);
    EXPECT_EQ(gps.header.flags, 0xA4);
    EXPECT_EQ(gps.header.length, 32);
    // The independent transmitter's payload for the same position.
    EXPECT_EQ(std::vector<std::uint8_t>(gps.body.begin(), gps.body.begin() + 24),
              test::fromHex("4e521066295c8fea713d0ad36a010e6a1c0230009f15bd95"));
    EXPECT_EQ(gpsPositionQuality(gps.body.data()), 2);
}

TEST_F(VeltrinGen, ClockErrorInTheFileIsCorrectedByTheCalibratedRate)
{
    const std::string wav = path("fast-card.wav");
    ASSERT_EQ(run({"-o", wav, "--real-rate", "48012", "--snr", "-3", "--noise-seed", "7", "--speed", "4", "--text",
                   "From a sound card running at 48012 Hz", "--offset", "12.5"}),
              0);
    test::ReceiverOptions calibrated;
    calibrated.samplingFreq = 48012.0;
    test::ReceivingStation station(calibrated);
    TWaveRead reader;
    ASSERT_EQ(decodeWaveFile(wav, reader, station.chain(), station.state()), FileDecodeResult::Finished);
    ASSERT_EQ(station.messages().size(), 1u);
    const ReceivedMessage& m = station.messages()[0];
    EXPECT_EQ(std::string(m.body.begin(), m.body.begin() + m.header.length), "From a sound card running at 48012 Hz");
    EXPECT_EQ(m.faultCount, 0);
}

}  // namespace
}  // namespace veltrin
