#pragma once
// TRxForm: the main window, one face of the station. It builds every
// control and menu, implements the station's ports with them, and hands the
// window's events (show, activation, window messages, timer ticks, closing)
// to the station, which runs the sequences. The work itself lives in the
// Qt-free core; this class wires it.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/station.h"
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
class BeaconGridWidget;
class LevelMeterWidget;
class MessageBoxes;
class MessageBrowser;
class MessageDispatcher;
class QtMessageBoxes;
class QtShell;
class QtWindowMessagePoster;
class ReceiveLog;
class RxDisplay;
class RxMemoWidget;
class SampleChain;
class ScaleWidget;
class SpectrumDisplay;
class Shell;
class StatusBarPanels;
class TAbout;
class TSetupForm;
class WaveMenu;
class WaterfallWidget;

// What the window uses from outside; tests replace these.
struct RxFormEnvironment {
    MessageBoxes* boxes = nullptr;   // none: Qt message boxes
    Shell* shell = nullptr;          // none: the desktop's handler
    bool quitOnExit = true;          // "Exit" ends the application's event loop
    StationHooks hooks;              // put into the station before FormCreate runs
};

class TRxForm : public QMainWindow, private TimerPort {
    Q_OBJECT
public:
    explicit TRxForm(Station& station, RxFormEnvironment environment = {}, QWidget* parent = nullptr);
    ~TRxForm() override;

    // The about box, then the setup dialog (after the window, as at start).
    void createDialogs();

    // Start-up steps: the station's, with the window's own around them.
    // FormCreate runs in the constructor, FormShow and FormActivate at the
    // first show and activation (later calls return).
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
    const ShutdownOutcome& lastShutdown() const { return station_.lastShutdown(); }

    Station& station() { return station_; }
    Settings& settings() { return settings_; }
    AppState& state() { return state_; }
    // Hooks for the steps after FormCreate; FormCreate's own come with the
    // environment.
    StationHooks& hooks() { return hooks_; }
    TimerSchedule& timerSchedule() { return station_.timerSchedule(); }
    StatusBarPanels& statusPanels() { return *statusBar_; }
    SampleChain& sampleChain() { return station_.sampleChain(); }
    ReceiveLog& receiveLog() { return station_.receiveLog(); }
    MessageDispatcher& dispatcher() { return station_.dispatcher(); }
    WindowMessagePoster& poster();
    MessageBoxes& messageBoxes() { return *boxes_; }
    Shell& shell() { return *shell_; }
    ProcessObjects& objects() { return station_.objects(); }
    WorkerThreads& workerThreads() { return station_.workerThreads(); }
    WaveMenu& waveMenu() { return *waveMenu_; }
    SpectrumDisplay& spectrumDisplay();
    TSetupForm* setupForm() const { return setupForm_; }
    TAbout* aboutBox() const { return aboutBox_; }
    bool activated() const { return station_.activated(); }
    bool shown() const { return station_.shown(); }
    bool isX64() const { return station_.isX64(); }
    QAction* action(const QString& objectName) const;
    MessageBrowser& browser() { return *browser_; }

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
    friend class RxDisplay;

    void buildControls();
    void buildMenus();
    void buildTuningMenus();
    QAction* addItem(QMenu* menu, const char* name, const QString& text);
    void connectSetupForm();
    // The message browser: its model, LeftTree and StringGrid1, storage's
    // and the raw log's port, the start-up hooks (rx_browser_qt.cpp).
    void connectBrowser();
    void disconnectBrowser();

    // TimerPort: Timer1.
    void startTimer() override;
    void stopTimer() override;

    // The window's own creation steps (the display's bitmaps come with it).
    void createSpectrumBitmaps() {}
    void applyOnTopAtStart();
    void applyCaptions();
    void setOnTop(bool onTop);
    void SetZoom(int zoom);
    void SetWaterfallGain(int gain);
    void setDisplayHold(int ticks) { state_.displayHoldTicks = ticks; }
    void runHook(const std::function<void()>& hook) { if (hook) hook(); }

    Station& station_;
    RxFormEnvironment env_;
    StationHooks& hooks_;
    Settings& settings_;
    AppState& state_;
    bool captionsApplied_ = false;
    std::string donationAddress_;
    std::string shopAddress_;

    std::unique_ptr<QtMessageBoxes> ownBoxes_;
    std::unique_ptr<QtShell> ownShell_;
    MessageBoxes* boxes_ = nullptr;
    Shell* shell_ = nullptr;
    std::unique_ptr<QtWindowMessagePoster> poster_;
    std::unique_ptr<WaveMenu> waveMenu_;
    std::unique_ptr<RxDisplay> display_;
    std::unique_ptr<MessageBrowser> browser_;

    // Controls (named as the objectNames they carry).
    QTimer* Timer1 = nullptr;
    WaterfallWidget* FFTBox = nullptr;
    QWidget* ScalePanel = nullptr;
    ScaleWidget* ScaleImage = nullptr;
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
    BeaconGridWidget* Beacon4hGrid = nullptr;
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
