// The main window's one-time start-up work (creation, first show, first
// activation) and its orderly shutdown.
#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "app/command_line.h"
#include "app/interface_texts.h"
#include "app/process_objects.h"
#include "app/rx_form.h"
#include "app/rx_memo_widget.h"
#include "audio/sample_chain.h"
#include "messages/data_folders.h"
#include "messages/receive_log.h"
#include "platform/ini_file.h"
#include "platform/platform_qt.h"
#include "platform/registry.h"
#include "platform/working_directory.h"

namespace veltrin {

namespace {

// Keys of the "RxForm" section of STRINGS.INI that replace captions; each is
// the objectName of a menu, menu item or button.
constexpr const char* kCaptionKeys[] = {
    "OnTopButton", "FastDecodingButton", "File1", "OpenWaveCaptureFile1", "CloseWaveCaptureFile1",
    "DecodeFromFile1", "StopDecodingFromFile1", "SendPositionBeacon1", "SendStatusBeacon1", "Exit",
    "Setup11", "CnterFreq1", "Zoom1x", "Zoom1", "Zoom2", "Zoom3", "Zoom4", "Zoom5", "Waterfall1",
    "Help1", "HelpContents1", "About1", "Donation1", "Shop1", "TreeMenuItemOpen", "TreeMenuItemOpenAs",
    "TreeMenuItemDelete", "MenuItemOpen", "MenuItemGoogleMaps", "MenuItemYandexMaps", "MenuItemOpenAs",
    "MenuItemCopy", "MenuItemDelete",
};

Registry registryOf(const std::string& path)
{
    return Registry(path.empty() ? Registry::defaultPath() : path);
}

}  // namespace

void TRxForm::FormCreate()
{
    startSockets();
    winsockReady_ = true;  // the POSIX socket layer needs no start-up
    clearGatewayQueues();
    settings_ = Settings{};
    initKeyingPort();
    resetIndicators();
    createGpsPortLock();
    objects_.decimator1->Setup(57, kDecimator57Taps);
    runHook(hooks_.loadBeaconMarks);
    selectWorkingDirectory();
    readIsx64();
    applyOnTopAtStart();
    createSpectrumBitmaps();
}

void TRxForm::selectWorkingDirectory()
{
    WorkingDirectoryChoice choice = veltrin::selectWorkingDirectory(registryOf(env_.registryPath),
                                                                    kSettingsFileName);
    if (choice.changed)
        receiveLog_->replaceText(workingDirectoryNotice(choice.dir));
}

void TRxForm::readIsx64()
{
    Registry registry = registryOf(env_.registryPath);
    registry.ensureExists();
    isX64_ = registry.readInt("Isx64", 0) != 0;
}

void TRxForm::applyOnTopAtStart()
{
    IniFile ini(kSettingsFileName);
    settings_.OnTop = readOnTop(ini);
    OnTopButton->setChecked(settings_.OnTop != 0);
    setOnTop(settings_.OnTop != 0);
}

void TRxForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    const bool first = !shown_;
    FormShow();
    // Some window managers do not activate a new window until it is clicked,
    // and a bare X server has none: the start-up work of the first
    // activation must not wait for that. A real activation that comes first
    // makes this call a no-op.
    if (first)
        QMetaObject::invokeMethod(this, [this] { FormActivate(); }, Qt::QueuedConnection);
}

void TRxForm::FormShow()
{
    if (shown_)
        return;
    shown_ = true;

    // The interface texts beside the executable; the working directory plays
    // no part. Empty values keep the built-in texts.
    const std::string path = env_.executableDir + "/STRINGS.INI";
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return;
    IniFile ini(path);
    for (const InterfaceTextKey& key : interfaceTextKeys())
        setInterfaceText(*objects_.texts, key.key, ini.readString("RxForm", key.key, ""));
    for (const char* key : kCaptionKeys) {
        const std::string value = ini.readString("RxForm", key, "");
        if (value.empty())
            continue;
        const QString caption = toQt(value);
        const QString name = QString::fromLatin1(key);
        if (auto* menu = findChild<QMenu*>(name))
            menu->setTitle(caption);
        else if (QAction* item = action(name))
            item->setText(caption);
        else if (auto* button = findChild<QAbstractButton*>(name))
            button->setText(caption);
    }
    const std::string shop = ini.readString("RxForm", "ShopAddress", "");
    if (!shop.empty())
        shopAddress_ = shop;
}

void TRxForm::FormActivate()
{
    // Marked first: a message box shown below re-activates the window.
    if (activated_ || state_.shuttingDown)
        return;
    activated_ = true;

    IniFile ini(kSettingsFileName);
    readSamplingFreq(ini, settings_);
    applyCommandLine(env_.commandLine, settings_);
    loadSettings(ini, settings_);
    SetZoom(settings_.zoom);
    SetWaterfallGain(settings_.waterfallGain);
    applyWindowSettings();

    runHook(hooks_.initOwnFix);
    runHook(hooks_.openGpsPort);
    ensureDataFolder(kDataFolder, *boxes_);
    runHook(hooks_.buildMessageTree);
    receiveLog_->rollDailyRawLog();
    runHook(hooks_.selectTodaysMessages);
    runHook(hooks_.buildPalette);
    chain_->setupReceiveChain(settings_.centreFreqMilliHz * 0.001);
    if (hooks_.tuneTo) {
        hooks_.tuneTo(settings_.displayCentre);
        hooks_.tuneTo((settings_.centreFreqMilliHz + 500) / 1000);
    }
    SetZoom(settings_.zoom);
    state_.fullRedraw = true;

    // The capture device is closed until this first reopening.
    state_.captureReopening = true;
    reopenCapture(settings_.captureDeviceId);
    state_.captureReopening = false;

    Timer1->start();
    workers_.start(hooks_.workerJobs);
}

void TRxForm::SetZoom(int zoom)
{
    settings_.zoom = validZoom(zoom);
    if (QAction* item = action(QStringLiteral("Zoom%1").arg(settings_.zoom)))
        item->setChecked(true);
    state_.fullRedraw = true;
}

void TRxForm::SetWaterfallGain(int gain)
{
    settings_.waterfallGain = validWaterfallGain(gain);
    if (QAction* item = action(QStringLiteral("PreampX%1").arg(settings_.waterfallGain)))
        item->setChecked(true);
}

ShutdownOutcome TRxForm::shutDown()
{
    if (state_.shuttingDown)
        return ShutdownOutcome{};
    ShutdownSteps steps;
    steps.disableTimer = [this] { Timer1->stop(); };
    steps.closeCapture = [this] { closeCapture(); };
    steps.processPendingMessages = [] { QCoreApplication::processEvents(); };
    steps.closeGpsPort = hooks_.closeGpsPort;
    steps.closeRawLog = [this] { receiveLog_->closeRawLog(); };
    steps.closeSocket = [this] { objects_.sockWork->Close(); };
    steps.releaseSockets = [this] { winsockReady_ = false; };
    ShutdownThreads threads{gpsThreadStop, workers_.gps(), netThreadStop, workers_.network()};
    lastShutdown_ = veltrin::shutDown(state_, threads, steps, env_.shutdownBudget);
    return lastShutdown_;
}

}  // namespace veltrin
