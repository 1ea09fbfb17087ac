#include "app/headless_station.h"

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <filesystem>
#include <memory>

#include "app/audio_input.h"
#include "app/event_loop.h"
#include "audio/audio_source_list.h"
#include "app/station.h"
#include "config/settings.h"
#include "platform/clock.h"
#include "platform/com_ports.h"
#include "platform/ini_file.h"
#include "platform/cp1251.h"
#include "platform/working_directory.h"

namespace veltrin {

namespace {

// How long the end of the audio waits for the gateways to send what they hold.
constexpr auto kGatewayDrainLimit = std::chrono::seconds(30);

const char kUsage[] =
    "Usage: veltrin --headless [OPTION]... [/S<rate>]\n"
    "Runs the receiving station without a window: no display is needed.\n"
    "\n"
    "  --workdir DIR      the working directory (created when missing); without it\n"
    "                     the current directory when it holds VELTRIN.INI, else the\n"
    "                     DefaultDir of ~/.config/veltrin/registry.ini, else the\n"
    "                     current directory\n"
    "  --audio SOURCE     where the audio comes from, for this run (the AudioSource\n"
    "                     setting otherwise; empty means the sound card):\n"
    "                       udp:PORT          16-bit little-endian mono 48000 Hz\n"
    "                                         datagrams on 127.0.0.1 (SDR programs)\n"
    "                       udp:ADDRESS:PORT  the same on another local address\n"
    "                       stdin             the same raw samples on standard input\n"
    "                       wav:FILE          a recording, in real time\n"
    "  --fast             play a wav: recording as fast as the machine allows\n"
    "  --list-audio       list the audio sources, sound cards first with their\n"
    "                     captureDeviceId (section General of VELTRIN.INI), and exit\n"
    "  --enhanced         the enhanced decoding for this run (hears weaker signals)\n"
    "  --start-time TIME  \"YYYY-MM-DD hh:mm:ss\": file names and time marks follow\n"
    "                     the audio from this time instead of the system clock\n"
    "  --utc              TIME is UTC (otherwise local time)\n"
    "  --record FILE      write the live input to the WAV capture FILE from the start\n"
    "  --list-ports       the COM numbers of the settings and the devices they stand\n"
    "                     for (with the Ports section of VELTRIN.INI), then exit\n"
    "  --help             this text\n"
    "  /S<rate>           the calibrated sampling rate of the sound card, in Hz\n"
    "\n"
    "Receive-window text goes to standard output (UTF-8). Message boxes go to\n"
    "standard error as \"caption: text\", status-bar panel changes as \"panel N: text\",\n"
    "the GPS status as \"gps: text\". SIGINT and SIGTERM shut the station down in\n"
    "order; SIGUSR1 sends the position beacon, SIGUSR2 the status beacon.\n"
    "With stdin and wav: the run ends when the audio is used up and the gateway\n"
    "queues are sent.\n"
    "\n"
    "Exit status: 0 after a normal shutdown, 64 bad command line, 66 the audio\n"
    "input could not be used, 73 the working directory cannot be used.\n";

// The station's ports on the standard streams.
class HeadlessFace : public StatusPanels, public MessageBoxes {
public:
    void setPanelText(int index, const std::string& text) override
    {
        if (index < 0 || index >= static_cast<int>(panels_.size()))
            return;
        std::string& shown = panels_[static_cast<std::size_t>(index)];
        if (shown == text)
            return;
        shown = text;
        std::fprintf(stderr, "panel %d: %s\n", index, cp1251ToUtf8(text).c_str());
    }
    void showMessage(const std::string& text, const std::string& caption) override
    {
        std::fprintf(stderr, "%s: %s\n", cp1251ToUtf8(caption).c_str(), cp1251ToUtf8(text).c_str());
    }
    // The window wraps its text; on a terminal or in a log each message
    // ends its line after its "{end}".
    void rxTextChanged(const RxTextChange& change)
    {
        std::string text;
        for (char c : change.appended) {
            text.push_back(c);
            recent_ = recent_.substr(recent_.size() >= 4 ? recent_.size() - 4 : 0) + c;
            if (recent_ == "{end}")
                text.push_back('\n');
        }
        const std::string utf8 = cp1251ToUtf8(text);
        std::fwrite(utf8.data(), 1, utf8.size(), stdout);
        std::fflush(stdout);
    }

    // A fix changes its line every second; a log for weeks of running gets a
    // line when the kind of status changes (the text without its figures)
    // and otherwise at most once a minute.
    void gpsTextChanged(const std::string& text)
    {
        using Clock = std::chrono::steady_clock;
        if (text.empty() || text == lastGps_)
            return;
        const auto now = Clock::now();
        const std::string kind = withoutDigits(text);
        if (kind == withoutDigits(lastGps_) && now - lastGpsShown_ < kGpsRepeat)
            return;
        lastGps_ = text;
        lastGpsShown_ = now;
        std::fprintf(stderr, "gps: %s\n", cp1251ToUtf8(text).c_str());
    }

private:
    static constexpr std::chrono::seconds kGpsRepeat{60};
    static std::string withoutDigits(const std::string& text)
    {
        std::string kind;
        for (char c : text) {
            if (c < '0' || c > '9')
                kind.push_back(c);
        }
        return kind;
    }

    std::string lastGps_;
    std::chrono::steady_clock::time_point lastGpsShown_{};
    std::string recent_;
    std::array<std::string, 12> panels_;
};

bool takeValue(int argc, const char* const* argv, int& i, std::string& value)
{
    if (i + 1 >= argc)
        return false;
    value = argv[++i];
    return true;
}

bool enterWorkdir(const std::string& dir)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    std::filesystem::current_path(dir, ec);
    if (ec) {
        std::fprintf(stderr, "veltrin: cannot use the working directory %s: %s\n", dir.c_str(),
                     ec.message().c_str());
        return false;
    }
    return true;
}

// Every COM number with a device path, and whether that device is there.
void listComPorts()
{
    Settings settings;
    loadSettings(IniFile(kSettingsFileName), settings);
    for (int n = kComPortMin; n <= kComPortMax; ++n) {
        const std::string path = comPortPath(n, settings.comPortPaths);
        if (path.empty())
            continue;
        std::error_code ec;
        const bool present = std::filesystem::exists(path, ec);
        const std::string label = comPortLabel(n, settings.comPortPaths);
        if (present)
            std::printf("%-28s  (present)\n", label.c_str());
        else
            std::printf("%s\n", label.c_str());
    }
}

}  // namespace

bool wantsHeadless(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0)
            return true;
    }
    return false;
}

const char* headlessUsageText()
{
    return kUsage;
}

std::string parseHeadlessOptions(int argc, const char* const* argv, HeadlessOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string* value = nullptr;
        if (arg == "--headless")
            options.headless = true;
        else if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (arg == "--list-ports")
            options.listPorts = true;
        else if (arg == "--fast")
            options.fast = true;
        else if (arg == "--list-audio")
            options.listAudio = true;
        else if (arg == "--enhanced")
            options.enhanced = true;
        else if (arg == "--utc")
            options.utc = true;
        else if (arg == "--workdir")
            value = &options.workdir;
        else if (arg == "--audio")
            value = &options.audio;
        else if (arg == "--start-time")
            value = &options.startTime;
        else if (arg == "--record")
            value = &options.recordFile;
        else if (!arg.empty() && arg[0] == '/')
            options.slashOptions += (options.slashOptions.empty() ? "" : " ") + arg;
        else
            return "unknown argument '" + arg + "'";
        if (value) {
            if (!takeValue(argc, argv, i, *value) || value->empty())
                return "option '" + arg + "' needs a value";
        }
    }
    if (!options.startTime.empty()) {
        std::time_t t = 0;
        if (!parseDateTime(options.startTime, options.utc, t))
            return "--start-time wants \"YYYY-MM-DD hh:mm:ss\", not '" + options.startTime + "'";
    }
    if (!options.audio.empty()) {
        AudioSourceSpec spec;
        const std::string error = parseAudioSourceSpec(options.audio, spec);
        if (!error.empty())
            return error;
    }
    return "";
}

int listAudioSources(const HeadlessOptions& options)
{
    std::printf("Audio sources (--audio SOURCE, or AudioSource and captureDeviceId in section General of "
                "VELTRIN.INI):\n");
    for (const AudioSourceChoice& c :
         audioSourceChoices(listSoundDevices(SoundDirection::Capture), options.audio)) {
        const std::string how = c.source.empty() ? "the sound card, captureDeviceId=" + std::to_string(c.captureDeviceId)
                                                 : "--audio " + c.source;
        std::printf("  %-40s %s\n", cp1251ToUtf8(c.label).c_str(), cp1251ToUtf8(how).c_str());
    }
    return 0;
}

int runHeadless(const HeadlessOptions& options)
{
    if (options.listAudio)
        return listAudioSources(options);
    // A closed standard stream would be reused by the first file the
    // station opens, which then reads or writes the wrong thing.
    const bool stdinClosed = ::fcntl(STDIN_FILENO, F_GETFD) == -1;
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1)
            ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    }
    AudioSourceSpec spec;
    const bool specRead = parseAudioSourceSpec(options.audio, spec).empty();
    if (stdinClosed && specRead && spec.kind == AudioSourceSpec::Kind::Stdin) {
        std::fprintf(stderr, "%s: standard input is closed\n", AudioInput::kErrorCaption);
        return kHeadlessExitNoAudio;
    }
    // Files named on the command line are where the user's shell is, not in
    // the working directory the station moves to.
    std::string audio = options.audio;
    std::string recordFile = options.recordFile;
    if (spec.kind == AudioSourceSpec::Kind::Wav)
        audio = "wav:" + absolutePath(spec.path);
    if (!recordFile.empty())
        recordFile = absolutePath(recordFile);
    if (!options.workdir.empty() && !enterWorkdir(options.workdir))
        return kHeadlessExitCantCreate;
    if (options.listPorts) {
        listComPorts();
        return 0;
    }

    EventLoop loop;
    // Before the station starts any thread, so that none of them takes these.
    if (!loop.ok() || !loop.watchSignals({SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2})) {
        std::fprintf(stderr, "veltrin: cannot set up the event loop: %s\n", std::strerror(errno));
        return 1;
    }
    std::signal(SIGPIPE, SIG_IGN);

    StationEnvironment environment;
    environment.commandLine = options.slashOptions;
    environment.audioSource = audio;
    environment.fastAudio = options.fast;
    environment.enhancedDecoder = options.enhanced;
    environment.keepWorkingDirectory = !options.workdir.empty();
    auto station = std::make_unique<Station>(environment);

    if (!options.startTime.empty()) {
        std::time_t start = 0;
        parseDateTime(options.startTime, options.utc, start);
        SampleChain& chain = station->sampleChain();
        setClockSource([start, &chain] { return start + static_cast<std::time_t>(chain.audioSeconds()); });
    }

    HeadlessFace face;
    StationPorts ports;
    ports.panels = &face;
    ports.boxes = &face;
    ports.poster = &loop;
    ports.timer = &loop;
    ports.rxTextChanged = [&face](const RxTextChange& change) { face.rxTextChanged(change); };
    ports.gpsTextChanged = [&face](const std::string& text) { face.gpsTextChanged(text); };
    ports.processPendingMessages = [&loop] { loop.processPending(); };
    station->attach(ports);

    int status = 0;
    auto endRun = [&](int exitStatus) {
        if (status == 0)
            status = exitStatus;
        station->shutDown();
        loop.quit();
    };
    loop.onMessage([&](unsigned message, WParam wParam) { station->dispatchWindowMessage(message, wParam); });
    loop.onTick([&] { station->Timer1Timer(); });
    loop.onSignal([&](int signal) {
        if (signal == SIGUSR1)
            loop.postWindowMessage(WM_SEND_POSITION_BEACON, 0);
        else if (signal == SIGUSR2)
            loop.postWindowMessage(WM_SEND_STATUS_BEACON, 0);
        else
            endRun(0);
    });

    station->FormCreate();
    station->FormShow();
    station->FormActivate();
    // An input that could not be opened was shown already; a live source
    // that fails while running (a sound card too) is reported when its
    // audio has ended.
    if (!station->audioFailure().empty() && !station->liveSourceOpen()) {
        endRun(kHeadlessExitNoAudio);
    } else {
        if (!recordFile.empty() && !station->openCaptureFile(recordFile))
            endRun(kHeadlessExitCantCreate);
    }

    // The end of the audio: the gateways get a bounded time to send what
    // the last messages queued.
    std::chrono::steady_clock::time_point audioEnded{};
    loop.onIdle([&] {
        if (!station->audioFinished())
            return;
        const auto now = std::chrono::steady_clock::now();
        if (audioEnded == std::chrono::steady_clock::time_point{})
            audioEnded = now;
        if (!station->gatewayQueuesEmpty() && now - audioEnded <= kGatewayDrainLimit)
            return;
        const std::string failure = station->audioFailure();
        if (!failure.empty())
            std::fprintf(stderr, "veltrin: %s\n", failure.c_str());
        endRun(failure.empty() ? 0 : kHeadlessExitNoAudio);
    });
    if (!loop.quitting())
        loop.run();

    station->shutDown();
    setClockSource({});
    if (station->lastShutdown().abandonedAny()) {
        // An abandoned worker thread may still use the process-wide objects.
        ProcessObjects::endProcessKeeping(station->releaseObjects(), status);
    }
    station.reset();
    return status;
}

}  // namespace veltrin
