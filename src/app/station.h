#pragma once
// The station: the one engine behind the window and the headless station.
// It owns the process-wide objects, the settings and the application flags,
// and runs the start-up (creation, first show, first activation), the
// routing of the window messages, the 100 ms timer and the orderly shutdown.
// It reports only through the ports of station_ports.h; it never touches a
// widget. Main thread only, except where noted.
#include <functional>
#include <memory>
#include <string>

#include "app/process_objects.h"
#include "app/setup_values.h"
#include "app/shutdown.h"
#include "app/station_ports.h"
#include "app/timer_schedule.h"
#include "app/worker_threads.h"
#include "audio/audio_source.h"
#include "config/app_state.h"
#include "config/settings.h"
#include "modem/decoder_shared.h"

namespace veltrin {

class AudioInput;
class Gateways;
class GpsService;
class KeyingPort;
class MessageDispatcher;
class ReceiveLog;

// Operations of subsystems built later and of the face. Unset ones do
// nothing, so the sequences that call them already run in their final order.
struct StationHooks {
    std::function<void(int hz)> tuneTo;               // start-up, the tuning menu
    std::function<void(int step)> stepTune;           // "<<", "<", ">", ">>"
    std::function<void()> applySetup;                 // the setup dialog's values into effect
    std::function<void(int zoom)> setZoom;            // the zoom menu's check mark
    std::function<void()> settingsLoaded;             // the face applies geometry, font, menus
    std::function<void()> onSpectrumReady;            // WM_SPECTRUM_READY (default: drop the spectrum)
    std::function<void()> sendPositionBeacon;         // WM_SEND_POSITION_BEACON
    std::function<void()> sendStatusBeacon;           // WM_SEND_STATUS_BEACON
    std::function<void()> buildPalette;
    std::function<void()> buildMessageTree;
    std::function<void()> selectTodaysMessages;
    std::function<void()> loadBeaconMarks;
    std::function<void()> captureFileChanged;         // opened or closed (the face updates its menu)
    std::function<bool()> gatewayQueuesEmpty;         // nothing left to send (default: true)
    WorkerJobs workerJobs;                            // the GPS and network threads' work
};

struct StationEnvironment {
    std::string registryPath;    // empty: the user's registry file
    std::string commandLine;     // the "/" options, e.g. "/S48012.5"
    std::string executableDir;   // empty: the folder of the running program
    std::string audioSource;     // non-empty: overrides the AudioSource setting for this run
    bool fastAudio = false;      // recordings played as fast as the station takes them
    bool enhancedDecoder = false;  // --enhanced: the enhanced decoding whatever the settings say
    bool keepWorkingDirectory = false;  // chosen by the face (--workdir): no DefaultDir rule
    WaitBudget shutdownBudget;   // 350 x 30 ms
};

class Station {
public:
    explicit Station(StationEnvironment environment = {});
    ~Station();
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    // Before FormCreate; the face's ports replace the silent defaults.
    void attach(const StationPorts& ports);
    // The face is going away: nothing may reach it any more.
    void detach();
    StationHooks& hooks() { return hooks_; }

    // Start-up. FormShow and FormActivate do their work the first time only.
    void FormCreate();
    void FormShow();
    void FormActivate();

    // The routing table of the application's window messages.
    void dispatchWindowMessage(unsigned message, WParam wParam);
    void Timer1Timer();
    // Runs once; later calls return at once.
    ShutdownOutcome shutDown();
    const ShutdownOutcome& lastShutdown() const { return lastShutdown_; }

    // The setup dialog's values take effect: the network thread's copy of
    // the gateway settings and the own fix are renewed.
    void applySetup();
    // The setup dialog's lists (sound devices as counted at start, COM ports
    // with their paths) and its Apply: the values stored, then only what
    // changed restarted (audio input, receive chain, keying port, GPS port).
    SetupLists setupLists();
    void applySetup(SetupValues& values, const SetupLists& lists);

    // The GPS port of the settings' `gpsPort` and `gpsSpeed` (re)opened: the
    // setup dialog calls it when either changed.
    void openGpsPort();

    // The WAV capture file of the live input.
    bool openCaptureFile(const std::string& fileName);
    void closeCaptureFile();

    // The audio input of the first activation. True while a live source
    // (UDP, standard input, a recording played live) is open.
    bool liveSourceOpen() const;
    // A source that ends (standard input, a recording) has ended and the
    // decoders have taken all its audio; false for sources that never end.
    bool audioFinished() const;
    // The text of a failure of the audio input (empty when none).
    std::string audioFailure() const;
    // The spec of this run's audio (the setting, or the override).
    const std::string& audioSourceText() const { return audioSourceText_; }
    // Another audio input (a choice of audioSourceChoices, the setup
    // dialog's Apply): the open one is closed, the FIFO's buffers wait for
    // the new one.
    void reopenAudio(const std::string& source, int captureDeviceId);
    // The sound card (its device lists too) and the live sources.
    AudioInput& audioInput() { return *audio_; }
    bool gatewayQueuesEmpty() const;

    Settings& settings() { return settings_; }
    AppState& state() { return state_; }
    ProcessObjects& objects() { return *objects_; }
    ReceiveChain& receiveChain() { return objects_->receive; }
    SampleChain& sampleChain() { return objects_->receive.sampleChain(); }
    ReceiveLog& receiveLog() { return *receiveLog_; }
    MessageDispatcher& dispatcher() { return *dispatcher_; }
    Gateways& gateways() { return *gateways_; }
    GpsService& gps() { return *gps_; }
    KeyingPort& keying() { return *keying_; }
    TimerSchedule& timerSchedule() { return *schedule_; }
    WorkerThreads& workerThreads() { return workers_; }
    DecoderShared& decoderShared() { return *decoderShared_; }
    StationPortRelay& ports() { return ports_; }
    const StationEnvironment& environment() const { return env_; }
    // STRINGS.INI beside the executable: interface texts and captions.
    std::string interfaceTextsPath() const { return env_.executableDir + "/STRINGS.INI"; }
    bool created() const { return created_; }
    bool shown() const { return shown_; }
    bool activated() const { return activated_; }
    bool isX64() const { return isX64_; }
    bool winsockReady() const { return winsockReady_; }
    // The objects an abandoned worker thread may still use (see main).
    std::unique_ptr<ProcessObjects> releaseObjects() { return std::move(objects_); }

private:
    void selectWorkingDirectory();
    void readIsx64();
    void runHook(const std::function<void()>& hook)
    {
        if (hook)
            hook();
    }

    StationEnvironment env_;
    StationHooks hooks_;
    Settings settings_;
    AppState state_;
    StationPortRelay ports_;
    std::unique_ptr<ProcessObjects> objects_;
    std::unique_ptr<DecoderShared> decoderShared_;
    std::unique_ptr<ReceiveLog> receiveLog_;
    std::unique_ptr<MessageDispatcher> dispatcher_;
    std::unique_ptr<Gateways> gateways_;
    std::unique_ptr<GpsService> gps_;
    std::unique_ptr<KeyingPort> keying_;
    std::unique_ptr<TimerSchedule> schedule_;
    std::unique_ptr<AudioInput> audio_;
    WorkerThreads workers_;
    std::string audioSourceText_;
    ShutdownOutcome lastShutdown_;
    bool created_ = false;
    bool shown_ = false;
    bool activated_ = false;
    bool winsockReady_ = false;
    bool isX64_ = false;
};

}  // namespace veltrin
