#include "app/rx_form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <exception>

#include "app/about_dialog.h"
#include "browser/message_browser.h"
#include "app/level_meter_widget.h"
#include "app/rx_display_qt.h"
#include "app/rx_memo_widget.h"
#include "app/setup_dialog.h"
#include "keying/keying_port.h"
#include "app/status_bar_widget.h"
#include "app/wave_menu_qt.h"
#include "gateway/beacon_grid_widget.h"
#include "gateway/gateways.h"
#include "platform/platform_qt.h"
#include "platform/shell.h"

namespace veltrin {

TRxForm::TRxForm(Station& station, RxFormEnvironment environment, QWidget* parent)
    : QMainWindow(parent),
      station_(station),
      env_(std::move(environment)),
      hooks_(station.hooks()),
      settings_(station.settings()),
      state_(station.state()),
      donationAddress_(kDonationPage),
      shopAddress_(kShopPage)
{
    setObjectName(QStringLiteral("RxForm"));
    setWindowTitle(QStringLiteral("Veltrin"));
    setMinimumHeight(300);

    ownBoxes_ = std::make_unique<QtMessageBoxes>(this);
    boxes_ = env_.boxes ? env_.boxes : ownBoxes_.get();
    ownShell_ = std::make_unique<QtShell>(this);
    shell_ = env_.shell ? env_.shell : ownShell_.get();
    poster_ = std::make_unique<QtWindowMessagePoster>(this);

    buildControls();
    buildMenus();
    // The strip shows the station's marks and is redrawn at every new one.
    BeaconMarks& marks = station_.gateways().beaconMarks();
    Beacon4hGrid->setMarks(&marks);
    marks.setRedraw([grid = Beacon4hGrid] { grid->repaint(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] {
        try {
            Timer1Timer();
        } catch (const std::exception& e) {
            boxes_->showMessage(e.what(), "Error");
        }
    });

    hooks_ = env_.hooks;
    // The window applies what the settings say of its menus, geometry and
    // font as soon as the first activation has loaded them.
    hooks_.settingsLoaded = [this] {
        SetZoom(settings_.zoom);
        SetWaterfallGain(settings_.waterfallGain);
        applyWindowSettings();
    };
    hooks_.setZoom = [this](int zoom) { SetZoom(zoom); };
    connectBrowser();
    StationPorts ports;
    ports.panels = statusBar_;
    ports.boxes = boxes_;
    ports.poster = poster_.get();
    ports.levelMeter = PeekValProgressBar;
    ports.timer = this;
    ports.rxTextChanged = [this](const RxTextChange& change) { RxMemo->applyChange(change); };
    ports.gpsTextChanged = [this](const std::string& text) {
        const QString shown = toQt(text);
        if (GpsMemo->toPlainText() != shown)
            GpsMemo->setPlainText(shown);
    };
    ports.processPendingMessages = [] { QCoreApplication::processEvents(); };
    station_.attach(ports);
    waveMenu_ = std::make_unique<WaveMenu>(*this);
    display_ = std::make_unique<RxDisplay>(*this);

    // Key preview: the window sees keys before its controls.
    qApp->installEventFilter(this);
    FormCreate();
}

// FormDestroy: nothing may point into this window once it is gone.
TRxForm::~TRxForm()
{
    qApp->removeEventFilter(this);
    shutDown();  // normally done already; a window closed without it still stops its threads
    display_.reset();
    poster_->detach();
    disconnectBrowser();
    station_.detach();
    station_.gateways().beaconMarks().setRedraw({});
    hooks_.captureFileChanged = {};
    hooks_.settingsLoaded = {};
    hooks_.setZoom = {};
}

void TRxForm::createDialogs()
{
    if (!aboutBox_)
        aboutBox_ = new TAbout(*shell_, this);
    if (!setupForm_) {
        setupForm_ = new TSetupForm(this);
        setupForm_->applySetupTexts(station_.interfaceTextsPath());  // at its first showing
        connectSetupForm();
    }
}

SpectrumDisplay& TRxForm::spectrumDisplay()
{
    return display_->core();
}

WindowMessagePoster& TRxForm::poster()
{
    return *poster_;
}

bool TRxForm::event(QEvent* event)
{
    if (event->type() == WindowMessageEvent::eventType()) {
        auto* message = static_cast<WindowMessageEvent*>(event);
        try {
            dispatchWindowMessage(message->message(), message->wParam());
        } catch (const std::exception& e) {
            boxes_->showMessage(e.what(), "Error");
        }
        return true;
    }
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QMainWindow::event(event);
}

void TRxForm::dispatchWindowMessage(unsigned message, WParam wParam)
{
    station_.dispatchWindowMessage(message, wParam);
}

void TRxForm::Timer1Timer()
{
    station_.Timer1Timer();
}

void TRxForm::startTimer()
{
    Timer1->start();
}

void TRxForm::stopTimer()
{
    Timer1->stop();
}

bool TRxForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (FormKeyDown(key->key(), key->modifiers()))
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TRxForm::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    if (key == Qt::Key_F1 && !ctrl && !alt) {
        HelpContents1Click();
        return true;
    }
    if (key == Qt::Key_G && ctrl && alt) {
        waveMenu_->DecodeFromFile1Click();
        return true;
    }
    if (key == Qt::Key_Q && alt && !ctrl) {
        if (state_.captureFileOpen)
            waveMenu_->CloseWaveCaptureFile1Click();
        else
            waveMenu_->OpenWaveCaptureFile1Click();
        return true;
    }
    return false;
}

void TRxForm::ExitClick()
{
    shutDown();
    if (env_.quitOnExit)
        QCoreApplication::quit();
}

void TRxForm::closeEvent(QCloseEvent* event)
{
    shutDown();
    QMainWindow::closeEvent(event);
}

void TRxForm::OnTopButtonClick()
{
    setOnTop(OnTopButton->isChecked());
}

void TRxForm::setOnTop(bool onTop)
{
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        show();  // changing the flag hides the window
}

void TRxForm::HelpContents1Click()
{
    shell_->openDocument(helpFilePath(station_.environment().executableDir));
}

void TRxForm::About1Click()
{
    createDialogs();
    // Window-modal without a nested event loop: reception goes on meanwhile.
    aboutBox_->open();
}

void TRxForm::Setup11Click()
{
    setDisplayHold(3000);
    createDialogs();
    const SetupLists lists = station_.setupLists();
    setupForm_->fill(fillSetupValues(settings_, lists), lists, StringGrid1->font(),
                     station_.keying().driverUnavailable());
    setupForm_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setupForm_->show();
    setupForm_->raise();
}

void TRxForm::connectSetupForm()
{
    TSetupForm::Actions actions;
    actions.apply = [this](SetupValues& values, const SetupLists& lists) { station_.applySetup(values, lists); };
    actions.fontChanged = [this](const QFont& font) {
        StringGrid1->setFont(font);
        LogMemo->setFont(font);
    };
    actions.save = [this] { saveSettingsFile(); };
    actions.setDisplayHold = [this](int ticks) { setDisplayHold(ticks); };
    setupForm_->setActions(std::move(actions));
}

void TRxForm::SendPositionBeacon1Click()
{
    poster_->postWindowMessage(WM_SEND_POSITION_BEACON, 0);
}

void TRxForm::SendStatusBeacon1Click()
{
    poster_->postWindowMessage(WM_SEND_STATUS_BEACON, 0);
}

void TRxForm::Donation1Click()
{
    shell_->openDocument(donationAddress_);
}

void TRxForm::Shop1Click()
{
    shell_->openDocument(shopAddress_);
}

}  // namespace veltrin
