// The station with the sound card as its audio: a transmission recorded by
// an ALSA device goes through the whole live path (capture thread, FIFO,
// window messages, channel selection, decimators, resampler, decoders) into
// the receive window and the message files; a machine without a capture
// device says so once and takes other audio; buffers waiting in the FIFO
// over a reopening are decoded after it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/audio_input.h"
#include "app/event_loop.h"
#include "app/station.h"
#include "capture/alsa_test_config.h"
#include "platform/cp1251.h"

namespace veltrin {
namespace {

namespace fs = std::filesystem;
using test::ScopedAlsaConfig;

const std::vector<std::string> kMessage = {"--trail", "1", "--type", "text", "--speed", "32", "--from", "301",
                                           "--to", "7", "--text", "Live from the sound card"};
constexpr const char* kText = "Live from the sound card";

struct RecordingBoxes : MessageBoxes {
    std::vector<std::string> shown;
    void showMessage(const std::string& text, const std::string& caption) override
    {
        shown.push_back(caption + ": " + text);
    }
};

class SoundCardStation : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() /
               ("veltrin-soundcard-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_ / "work");
        saved_ = fs::current_path();
        fs::current_path(dir_ / "work");
    }
    void TearDown() override
    {
        if (station_)
            station_->shutDown();
        station_.reset();
        fs::current_path(saved_);
        fs::remove_all(dir_);
    }

    // A transmission as the device records it: mono, or stereo with the
    // signal in one channel and silence in the other.
    std::string transmission(int channels, const char* signalChannel = nullptr)
    {
        std::vector<std::string> args = kMessage;
        if (signalChannel) {
            args.push_back("--signal-channel");
            args.push_back(signalChannel);
        }
        const fs::path raw = dir_ / ("tx" + std::to_string(channels) + ".raw");
        seconds_ = test::writeRawTransmission(raw, args, channels, 40.0);
        EXPECT_GT(seconds_, 1.0);
        return raw.string();
    }

    void writeSettings(int captureDeviceId, int captureChannel)
    {
        std::ofstream("VELTRIN.INI") << "[General]\r\ncaptureDeviceId=" << captureDeviceId
                                     << "\r\ncaptureChannel=" << captureChannel << "\r\n";
    }

    Station& start()
    {
        StationEnvironment env;
        env.registryPath = (dir_ / "registry.ini").string();
        env.executableDir = dir_.string();
        env.keepWorkingDirectory = true;
        env.fastAudio = true;  // a recording chosen instead of the card plays at once
        station_ = std::make_unique<Station>(env);
        StationPorts ports;
        ports.boxes = &boxes_;
        ports.poster = &loop_;
        ports.timer = &loop_;
        ports.rxTextChanged = [this](const RxTextChange& change) { rx_ += change.appended; };
        ports.processPendingMessages = [this] { loop_.processPending(); };
        station_->attach(ports);
        loop_.onMessage([this](unsigned m, WParam w) { station_->dispatchWindowMessage(m, w); });
        loop_.onTick([this] { station_->Timer1Timer(); });
        station_->FormCreate();
        station_->FormShow();
        station_->FormActivate();
        return *station_;
    }

    // Runs the window messages until done() or until the decoders have had
    // `audioSeconds` of audio (a bound in audio, not in the machine's time).
    bool pumpUntil(const std::function<bool()>& done, double audioSeconds)
    {
        const auto wallLimit = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!done()) {
            if (station_->sampleChain().audioSeconds() > audioSeconds ||
                std::chrono::steady_clock::now() > wallLimit)
                return false;
            loop_.processPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    bool received() const { return rx_.find(kText) != std::string::npos; }

    int storedMessages() const { return test::storedTextMessages("VeltrinData"); }

    fs::path dir_;
    fs::path saved_;
    double seconds_ = 0;
    EventLoop loop_;
    RecordingBoxes boxes_;
    std::string rx_;
    std::unique_ptr<Station> station_;
};

TEST_F(SoundCardStation, MessageComesThroughTheLivePathInTheChosenChannel)
{
    struct Case {
        const char* what;
        int channels;
        const char* signalChannel;
        int captureChannel;
        bool decoded;
    };
    const Case cases[] = {
        {"mono", 1, nullptr, 0, true},
        {"stereo, signal right, right chosen", 2, "right", 2, true},
        {"stereo, signal right, left chosen", 2, "right", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedAlsaConfig config(dir_, {{"default", transmission(c.channels, c.signalChannel), "Receiver"}});
        writeSettings(-1, c.captureChannel);
        Station& station = start();
        EXPECT_TRUE(station.state().captureDeviceOpen);
        const bool got = pumpUntil([&] { return received() && storedMessages() == 1; }, seconds_ + 3.0);
        EXPECT_EQ(got, c.decoded) << rx_;
        EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown[0];
        EXPECT_EQ(station.shutDown().abandonedAny(), false);
        EXPECT_FALSE(station.state().captureDeviceOpen);
        station_.reset();
        rx_.clear();
        fs::remove_all("VeltrinData");
    }
}

// The device changes while the main thread is busy (the setup dialog's
// Apply): what the first device recorded waits in the FIFO and is decoded
// after the reopening, although the new device records only silence.
TEST_F(SoundCardStation, BuffersWaitingOverAReopeningAreDecodedAfterIt)
{
    ScopedAlsaConfig config(dir_, {{"radio", transmission(1), "Radio"}, {"quiet", "/dev/zero", "Quiet"}});
    writeSettings(0, 0);
    Station& station = start();
    SoundCapture& capture = station.audioInput().soundCapture();
    ASSERT_EQ(capture.captureDevices().size(), 2u);
    ASSERT_EQ(capture.captureDevices()[0].name, "radio");
    // The whole transmission and a little more, not yet taken.
    const int needed = static_cast<int>(seconds_ * 48000.0 / 8192.0) + 3;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (station.receiveChain().fifo().bufferCount() < needed && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GE(station.receiveChain().fifo().bufferCount(), needed);
    EXPECT_FALSE(received());

    station.reopenAudio("", 1);
    EXPECT_EQ(station.settings().captureDeviceId, 1);
    EXPECT_TRUE(station.state().captureDeviceOpen);
    EXPECT_FALSE(station.state().captureReopening);
    EXPECT_TRUE(pumpUntil([&] { return received(); }, seconds_ + 60.0)) << rx_;
    EXPECT_TRUE(boxes_.shown.empty());
}

// Without any capture device the station says so once; the other audio
// sources of the same list still work.
TEST_F(SoundCardStation, NoCaptureDeviceIsShownOnceAndOtherSourcesStillWork)
{
    ScopedAlsaConfig config(dir_, {});
    writeSettings(-1, 0);
    Station& station = start();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0], "Error: No sound input device");
    EXPECT_EQ(station.audioFailure(), "No sound input device");
    EXPECT_FALSE(station.state().captureDeviceOpen);
    EXPECT_TRUE(station.activated());

    // The transmission as a recording, chosen instead of the sound card.
    const fs::path raw = dir_ / "tx.raw";
    ASSERT_GT(test::writeRawTransmission(raw, kMessage, 1, 0.0), 1.0);
    station.reopenAudio("wav:" + raw.string() + ".wav", -1);
    EXPECT_TRUE(pumpUntil([&] { return station.audioFinished(); }, 600.0));
    EXPECT_TRUE(received()) << rx_;
    EXPECT_EQ(storedMessages(), 1);
    EXPECT_EQ(boxes_.shown.size(), 1u);
}

}  // namespace
}  // namespace veltrin
