// The station's start-up, message routing, timer and shutdown sequences.
#include "app/station.h"

#include <filesystem>

#include "app/audio_input.h"
#include "app/command_line.h"
#include "app/net_text_ring.h"
#include "audio/capture_file.h"
#include "config/interface_texts.h"
#include "gateway/gateways.h"
#include "gps/gps_service.h"
#include "keying/keying_port.h"
#include "messages/data_folders.h"
#include "messages/dispatcher.h"
#include "messages/receive_log.h"
#include "platform/ini_file.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/working_directory.h"

namespace veltrin {

namespace {

Registry registryOf(const std::string& path)
{
    return Registry(path.empty() ? Registry::defaultPath() : path);
}

}  // namespace

Station::Station(StationEnvironment environment) : env_(std::move(environment))
{
    if (env_.executableDir.empty())
        env_.executableDir = executableDirectory();
    objects_ = std::make_unique<ProcessObjects>(settings_, state_);
    decoderShared_ = std::make_unique<DecoderShared>();
    receiveLog_ = std::make_unique<ReceiveLog>(settings_, ports_);
    receiveLog_->setTextChangedHandler([this](const RxTextChange& change) { ports_.rxTextChanged(change); });
    dispatcher_ = std::make_unique<MessageDispatcher>(settings_, ports_, ports_);
    dispatcher_->setInterfaceTexts(objects_->texts);
    // The network thread's result lines go to the receive window through the
    // text ring.
    gateways_ = std::make_unique<Gateways>(settings_, *objects_->sockWork, [this](const std::string& line) {
        netTextRing().postNetLine(line, ports_);
    });
    dispatcher_->setGatewayPort(gateways_.get());
    gps_ = std::make_unique<GpsService>(settings_, ports_, &ports_);
    keying_ = std::make_unique<KeyingPort>(settings_, ports_);

    SampleChain& chain = sampleChain();
    chain.setLevelMeter(&ports_);
    chain.setMessageBoxes(&ports_);
    // Every captured buffer, after channel selection, goes to the open
    // capture file; a failed write closes it.
    chain.setCaptureWriter([this](const std::int16_t* samples, int frames) {
        return objects_->waveWrite->Write(samples, frames);
    });
    chain.setCaptureCloser([this] { closeCaptureFile(); });

    DecoderLinks links;
    links.status = &ports_;
    links.rx = receiveLog_.get();
    links.sink = dispatcher_.get();
    links.poster = &ports_;
    links.shared = decoderShared_.get();
    receiveChain().setDecoderLinks(links);
    schedule_ = std::make_unique<TimerSchedule>(state_, ports_, ports_);
    audio_ = std::make_unique<AudioInput>(*this);
}

Station::~Station()
{
    shutDown();  // normally done already; a face that forgot still stops the threads
    detach();
    if (!lastShutdown_.gpsAnswered)
        (void)gps_.release();  // the abandoned thread may still read through it
    if (objects_) {
        receiveChain().setDecoderLinks(DecoderLinks{});
        objects_->receive.resampler().Setup(settings_.decimatedRate, 12000.0, TUniResample::Callback{});
    }
    receiveLog_->setTextChangedHandler({});
}

void Station::attach(const StationPorts& ports)
{
    ports_.attach(ports);
}

void Station::detach()
{
    ports_.detachPoster();
    ports_.attach(StationPorts{});
}

void Station::FormCreate()
{
    if (created_)
        return;
    created_ = true;
    winsockReady_ = true;  // the POSIX socket layer needs no start-up
    gateways_->clearQueues();
    settings_ = Settings{};
    keying_->configureKeyingPort(keyingValuesOf(settings_));
    receiveChain().setupFirstDecimator();
    gateways_->loadBeaconMarks();
    runHook(hooks_.loadBeaconMarks);
    if (!env_.keepWorkingDirectory)
        selectWorkingDirectory();
    readIsx64();
    IniFile ini(kSettingsFileName);
    settings_.OnTop = readOnTop(ini);
}

void Station::selectWorkingDirectory()
{
    WorkingDirectoryChoice choice =
        veltrin::selectWorkingDirectory(registryOf(env_.registryPath), kSettingsFileName);
    if (choice.changed)
        receiveLog_->replaceText(workingDirectoryNotice(choice.dir));
}

void Station::readIsx64()
{
    Registry registry = registryOf(env_.registryPath);
    registry.ensureExists();
    isX64_ = registry.readInt("Isx64", 0) != 0;
    keying_->setX64(isX64_);
}

void Station::FormShow()
{
    if (shown_)
        return;
    shown_ = true;
    // The interface texts beside the executable; the working directory plays
    // no part. Empty values keep the built-in texts.
    const std::string path = interfaceTextsPath();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return;
    IniFile ini(path);
    for (const InterfaceTextKey& key : interfaceTextKeys())
        setInterfaceText(*objects_->texts, key.key, ini.readString("RxForm", key.key, ""));
}

void Station::FormActivate()
{
    // Marked first: a message box shown below re-activates the window.
    if (activated_ || state_.shuttingDown)
        return;
    activated_ = true;

    IniFile ini(kSettingsFileName);
    readSamplingFreq(ini, settings_);
    applyCommandLine(env_.commandLine, settings_);
    if (env_.enhancedDecoder)
        settings_.enhancedDecoder = 1;
    loadSettings(ini, settings_);
    keying_->configureKeyingPort(keyingValuesOf(settings_));
    settings_.zoom = validZoom(settings_.zoom);
    settings_.waterfallGain = validWaterfallGain(settings_.waterfallGain);
    audioSourceText_ = env_.audioSource.empty() ? settings_.AudioSource : env_.audioSource;
    gateways_->publishSettings();
    runHook(hooks_.settingsLoaded);

    gateways_->initOwnFix();
    gps_->setStatusTexts(objects_->texts->GpsIsOffMessage, objects_->texts->NoDataFromGpsMessage);
    gps_->openGpsPort();
    ensureDataFolder(kDataFolder, ports_);
    runHook(hooks_.buildMessageTree);
    receiveLog_->rollDailyRawLog();
    runHook(hooks_.selectTodaysMessages);
    runHook(hooks_.buildPalette);
    sampleChain().setupReceiveChain(settings_.centreFreqMilliHz * 0.001);
    if (hooks_.tuneTo) {
        hooks_.tuneTo(settings_.displayCentre);
        hooks_.tuneTo((settings_.centreFreqMilliHz + 500) / 1000);
    }
    if (hooks_.setZoom)
        hooks_.setZoom(settings_.zoom);
    state_.fullRedraw = true;

    // The capture device is closed until this first reopening.
    reopenAudio(audioSourceText_, settings_.captureDeviceId);

    ports_.startTimer();
    WorkerJobs jobs = hooks_.workerJobs;
    if (!jobs.gpsWork)
        jobs.gpsWork = [this] { gps_->threadTurn(); };
    if (!jobs.networkWork)
        jobs.networkWork = [this] { gateways_->networkCycle(); };
    workers_.start(jobs);
}

void Station::reopenAudio(const std::string& source, int captureDeviceId)
{
    audioSourceText_ = source;
    state_.captureReopening = true;
    audio_->open(source, captureDeviceId < 0 ? -1 : captureDeviceId);
    state_.captureReopening = false;
}

bool Station::liveSourceOpen() const { return audio_->liveSourceOpen(); }
bool Station::audioFinished() const { return audio_->finished(); }
std::string Station::audioFailure() const { return audio_->failure(); }

bool Station::gatewayQueuesEmpty() const
{
    return gateways_->idle() && (!hooks_.gatewayQueuesEmpty || hooks_.gatewayQueuesEmpty());
}

void Station::applySetup()
{
    gateways_->publishSettings();
    gateways_->initOwnFix();
    runHook(hooks_.applySetup);
}

void Station::openGpsPort() { gps_->openGpsPort(); }

SetupLists Station::setupLists()
{
    SoundCapture& capture = audio_->soundCapture();
    return veltrin::setupLists(settings_, capture.captureDevices(), capture.playbackDevices());
}

void Station::applySetup(SetupValues& values, const SetupLists& lists)
{
    const SetupRestarts restart = applySetupValues(values, lists, settings_, keying_->driverUnavailable());
    if (restart.audio)
        reopenAudio(restart.audioSource, restart.captureDeviceId);
    if (restart.receiveChain)
        sampleChain().setupReceiveChain(settings_.centreFreqMilliHz * 0.001);
    if (restart.keying) {
        keying_->closeKeyingPort();
        keying_->configureKeyingPort(keyingValuesOf(settings_));
    }
    if (restart.gps)
        gps_->openGpsPort();
    applySetup();
    // No signal until a decoder reports one again.
    decoderShared_->StatusMasks[kMaskSignal] = 0;
}

void Station::dispatchWindowMessage(unsigned message, WParam wParam)
{
    switch (message) {
    case WM_AUDIO_BLOCK:
        sampleChain().processAudioBlocks();
        break;
    case WM_NET_LOG_TEXT: {
        std::string text;
        if (netTextRing().readSlot(wParam, text))
            receiveLog_->appendRxText(text.c_str());
        break;
    }
    case WM_SEND_POSITION_BEACON:
        gateways_->sendPositionBeacon();
        runHook(hooks_.sendPositionBeacon);
        break;
    case WM_SEND_STATUS_BEACON:
        gateways_->sendStatusBeacon();
        runHook(hooks_.sendStatusBeacon);
        break;
    case WM_SPECTRUM_READY:
        // Until a display draws them, spectra are taken and dropped so that
        // the decoder can hand over the next one.
        if (hooks_.onSpectrumReady)
            hooks_.onSpectrumReady();
        else
            decoderShared_->spectrumPending = 0;
        break;
    case WM_GPS_TEXT:
        ports_.gpsTextChanged(gps_->takeOverGpsFix(gateways_->ownFix()));
        break;
    case WM_PLAY_RECORDING:
        audio_->playRecording();
        break;
    case WM_CAPTURE_FAILED:
        audio_->captureFailed();
        break;
    default:
        break;
    }
}

void Station::Timer1Timer()
{
    schedule_->tick(objects_->receive.fifo().bufferCount());
}

bool Station::openCaptureFile(const std::string& fileName)
{
    CaptureFileControl control(*objects_->waveWrite, state_, ports_, ports_);
    const bool opened = control.open(fileName);
    runHook(hooks_.captureFileChanged);
    return opened;
}

void Station::closeCaptureFile()
{
    CaptureFileControl control(*objects_->waveWrite, state_, ports_, ports_);
    control.close();
    runHook(hooks_.captureFileChanged);
}

ShutdownOutcome Station::shutDown()
{
    if (state_.shuttingDown || !objects_)
        return ShutdownOutcome{};
    ShutdownSteps steps;
    steps.disableTimer = [this] { ports_.stopTimer(); };
    steps.closeCapture = [this] { audio_->close(); };
    steps.processPendingMessages = [this] { ports_.processPendingMessages(); };
    steps.closeKeyingPort = [this] { keying_->closeKeyingPort(); };
    steps.closeGpsPort = [this] { gps_->closeGpsPort(); };
    steps.closeRawLog = [this] { receiveLog_->closeRawLog(); };
    steps.closeSocket = [this] { objects_->sockWork->Close(); };
    steps.releaseSockets = [this] { winsockReady_ = false; };
    ShutdownThreads threads{gpsThreadStop, workers_.gps(), netThreadStop, workers_.network()};
    lastShutdown_ = veltrin::shutDown(state_, threads, steps, env_.shutdownBudget);
    lastShutdown_.captureAnswered = !audio_->soundCapture().abandonedThread();
    return lastShutdown_;
}

}  // namespace veltrin
