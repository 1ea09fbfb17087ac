#pragma once
// TRxForm: the main window. It owns the window's state (settings, flags),
// builds every control and menu, runs the start-up sequences, routes the
// application's window messages, ticks the 100 ms timer and shuts down in
// order. The work itself lives in the Qt-free core; this class wires it.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "app/settings.h"
#include "app/shutdown.h"
#include "app/timer_schedule.h"
#include "app/worker_threads.h"
#include "platform/window_messages.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QTableWidget;
class QTimer;
class QToolButton;
class QTreeWidget;

namespace veltrin {

struct ProcessObjects;
class LevelMeterWidget;
class MessageBoxes;
class MessageDispatcher;
class QtMessageBoxes;
class QtShell;
class QtWindowMessagePoster;
class ReceiveLog;
class RxMemoWidget;
class SampleChain;
class Shell;
class StatusBarPanels;
class TAbout;
class TSetupForm;
class WaveMenu;

// What the window uses from outside; tests replace these.

// Operations of subsystems built later. Unset ones do nothing, so the
// sequences that call them already run in their final order.
struct RxFormHooks {
    std::function<void(int hz)> tuneTo;               // CF_ menu items, start-up
    std::function<void(int step)> stepTune;           // "<<", "<", ">", ">>"
    std::function<void()> onSpectrumReady;            // WM_SPECTRUM_READY (after the default)
    std::function<void()> takeOverGpsFix;             // WM_GPS_TEXT
    std::function<void()> sendPositionBeacon;         // WM_SEND_POSITION_BEACON
    std::function<void()> sendStatusBeacon;           // WM_SEND_STATUS_BEACON
    std::function<void()> buildPalette;
    std::function<void()> buildMessageTree;
    std::function<void()> selectTodaysMessages;
    std::function<void()> initOwnFix;
    std::function<void()> openGpsPort;
    std::function<void()> closeGpsPort;
    std::function<void()> loadBeaconMarks;
    std::function<void()> applySetup;                 // the setup dialog's values into effect
    std::function<void(int deviceId)> reopenCapture;  // the capture device
    std::function<void()> closeCapture;
    WorkerJobs workerJobs;                            // the GPS and network threads' work
};

struct RxFormEnvironment {
    MessageBoxes* boxes = nullptr;   // none: Qt message boxes (stderr when headless)
    Shell* shell = nullptr;          // none: the desktop's handler
    std::string registryPath;        // empty: the user's registry file
    std::string commandLine;         // the options, e.g. "/S48012.5"
    std::string executableDir;       // empty: the folder of the running program
    WaitBudget shutdownBudget;       // 350 x 30 ms
    bool quitOnExit = true;          // "Exit" ends the application's event loop
    RxFormHooks hooks;               // in place before FormCreate runs
};

class TRxForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TRxForm(ProcessObjects& objects, RxFormEnvironment environment = {},
                     QWidget* parent = nullptr);
    ~TRxForm() override;

    // The about box, then the setup dialog (after the window, as at start).
    void createDialogs();

    // Start-up steps; FormCreate runs in the constructor, FormShow and
    // FormActivate at the first show and activation (later calls return).
    void FormCreate();
    void FormShow();
    void FormActivate();

    // The routing table of the application's window messages.
    void dispatchWindowMessage(unsigned message, WParam wParam);
    void Timer1Timer();
    // Keys seen before any control: true when handled.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);

    void ExitClick();
    void OnTopButtonClick();
    void HelpContents1Click();
    void About1Click();
    void Setup11Click();
    void SendPositionBeacon1Click();
    void SendStatusBeacon1Click();
    void Donation1Click();
    void Shop1Click();

    // Reads geometry and font back from the widgets, then writes the
    // settings file; a file that cannot be written is reported.
    bool saveSettingsFile();
    // Settings geometry (-1 keeps) and browser font onto the widgets.
    void applyWindowSettings();
    // The widgets' current geometry, font and OnTop state into the settings.
    void captureWindowSettings();

    // Runs once; later calls return at once.
    ShutdownOutcome shutDown();
    const ShutdownOutcome& lastShutdown() const { return lastShutdown_; }

    // Named steps of other subsystems (capture device: later).
    void reopenCapture(int deviceId);
    void closeCapture();

    Settings& settings() { return settings_; }
    AppState& state() { return state_; }
    // Hooks for the steps after FormCreate; FormCreate's own come with the
    // environment.
    RxFormHooks& hooks() { return hooks_; }
    TimerSchedule& timerSchedule() { return *schedule_; }
    StatusBarPanels& statusPanels() { return *statusBar_; }
    SampleChain& sampleChain() { return *chain_; }
    ReceiveLog& receiveLog() { return *receiveLog_; }
    MessageDispatcher& dispatcher() { return *dispatcher_; }
    WindowMessagePoster& poster();
    MessageBoxes& messageBoxes() { return *boxes_; }
    Shell& shell() { return *shell_; }
    ProcessObjects& objects() { return objects_; }
    WorkerThreads& workerThreads() { return workers_; }
    WaveMenu& waveMenu() { return *waveMenu_; }
    TSetupForm* setupForm() const { return setupForm_; }
    TAbout* aboutBox() const { return aboutBox_; }
    bool activated() const { return activated_; }
    bool shown() const { return shown_; }
    bool isX64() const { return isX64_; }
    QAction* action(const QString& objectName) const;

signals:
    // Emitted after each WAV-menu state change (tests follow it).
    void waveStateChanged();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class WaveMenu;

    void buildControls();
    void buildMenus();
    void buildTuningMenus();
    QAction* addItem(QMenu* menu, const char* name, const QString& text);
    void connectSetupForm();

    // FormCreate steps without a subsystem yet.
    void startSockets() {}
    void clearGatewayQueues() {}
    void initKeyingPort() {}
    void resetIndicators() {}
    void createGpsPortLock() {}
    void createSpectrumBitmaps() {}
    void selectWorkingDirectory();
    void readIsx64();
    void applyOnTopAtStart();
    void setOnTop(bool onTop);
    void SetZoom(int zoom);
    void SetWaterfallGain(int gain);
    void setDisplayHold(int ticks) { state_.displayHoldTicks = ticks; }
    void runHook(const std::function<void()>& hook) { if (hook) hook(); }
    void appendRxText(const std::string& text);

    ProcessObjects& objects_;
    RxFormEnvironment env_;
    RxFormHooks hooks_;
    Settings settings_;
    AppState state_;
    bool shown_ = false;
    bool activated_ = false;
    bool winsockReady_ = false;
    bool isX64_ = false;
    ShutdownOutcome lastShutdown_;
    std::string donationAddress_;
    std::string shopAddress_;

    std::unique_ptr<QtMessageBoxes> ownBoxes_;
    std::unique_ptr<QtShell> ownShell_;
    MessageBoxes* boxes_ = nullptr;
    Shell* shell_ = nullptr;
    std::unique_ptr<QtWindowMessagePoster> poster_;
    std::unique_ptr<ReceiveLog> receiveLog_;
    std::unique_ptr<MessageDispatcher> dispatcher_;
    std::unique_ptr<SampleChain> chain_;
    std::unique_ptr<TimerSchedule> schedule_;
    std::unique_ptr<WaveMenu> waveMenu_;
    WorkerThreads workers_;

    // Controls (named as the objectNames they carry).
    QTimer* Timer1 = nullptr;
    QWidget* FFTBox = nullptr;
    QWidget* ScalePanel = nullptr;
    QLabel* ScaleImage = nullptr;
    QWidget* Panel4 = nullptr;
    QLabel* ImageRx = nullptr;
    QLabel* ImageRxBusy = nullptr;
    QLabel* ImageSync = nullptr;
    RxMemoWidget* RxMemo = nullptr;
    QWidget* Panel1 = nullptr;
    QToolButton* OnTopButton = nullptr;
    QToolButton* FastDecodingButton = nullptr;
    LevelMeterWidget* PeekValProgressBar = nullptr;
    QWidget* PanelBeacon4h = nullptr;
    QTableWidget* Beacon4hGrid = nullptr;
    QWidget* Panel2 = nullptr;
    QTreeWidget* LeftTree = nullptr;
    QTableWidget* StringGrid1 = nullptr;
    QPlainTextEdit* LogMemo = nullptr;
    QPlainTextEdit* GpsMemo = nullptr;
    StatusBarPanels* statusBar_ = nullptr;
    std::map<QString, QAction*> actions_;
    QProgressBar* FileProgressBar = nullptr;

    TAbout* aboutBox_ = nullptr;
    TSetupForm* setupForm_ = nullptr;
};

}  // namespace veltrin
