#include "app/rx_form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QToolButton>
#include <exception>

#include "app/about_dialog.h"
#include "app/level_meter_widget.h"
#include "app/net_text_ring.h"
#include "app/process_objects.h"
#include "app/rx_memo_widget.h"
#include "app/setup_dialog.h"
#include "app/status_bar_widget.h"
#include "app/wave_menu_qt.h"
#include "audio/sample_chain.h"
#include "messages/dispatcher.h"
#include "messages/receive_log.h"
#include "modem/decoder_shared.h"
#include "platform/platform_qt.h"
#include "platform/shell.h"

namespace veltrin {

TRxForm::TRxForm(ProcessObjects& objects, RxFormEnvironment environment, QWidget* parent)
    : QMainWindow(parent),
      objects_(objects),
      env_(std::move(environment)),
      hooks_(env_.hooks),
      donationAddress_(kDonationPage),
      shopAddress_(kShopPage)
{
    setObjectName(QStringLiteral("RxForm"));
    setWindowTitle(QStringLiteral("Veltrin"));
    setMinimumHeight(300);

    ownBoxes_ = std::make_unique<QtMessageBoxes>(this);
    boxes_ = env_.boxes ? env_.boxes : ownBoxes_.get();
    ownShell_ = std::make_unique<QtShell>();
    shell_ = env_.shell ? env_.shell : ownShell_.get();
    if (env_.executableDir.empty())
        env_.executableDir = executableDirectory();
    poster_ = std::make_unique<QtWindowMessagePoster>(this);

    buildControls();
    buildMenus();

    receiveLog_ = std::make_unique<ReceiveLog>(settings_, *boxes_);
    receiveLog_->setTextChangedHandler([this](const RxTextChange& change) { RxMemo->applyChange(change); });
    dispatcher_ = std::make_unique<MessageDispatcher>(settings_, *statusBar_, *boxes_);
    dispatcher_->setInterfaceTexts(objects_.texts);
    chain_ = std::make_unique<SampleChain>(settings_, state_, *objects_.fifo, *objects_.decimator1,
                                           *objects_.decimator2, *objects_.resampler,
                                           objects_.decoderPointers());
    chain_->setLevelMeter(PeekValProgressBar);
    chain_->setMessageBoxes(boxes_);
    DecoderLinks links;
    links.status = statusBar_;
    links.rx = receiveLog_.get();
    links.sink = dispatcher_.get();
    links.poster = poster_.get();
    links.settings = &settings_;
    for (auto& decoder : objects_.decoders)
        decoder->setLinks(links);
    schedule_ = std::make_unique<TimerSchedule>(state_, *statusBar_, *poster_);
    waveMenu_ = std::make_unique<WaveMenu>(*this);

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

    // Key preview: the window sees keys before its controls.
    qApp->installEventFilter(this);
    FormCreate();
}

// FormDestroy: nothing may point into this window once it is gone.
TRxForm::~TRxForm()
{
    qApp->removeEventFilter(this);
    shutDown();  // normally done already; a window closed without it still stops its threads
    poster_->detach();
    for (auto& decoder : objects_.decoders)
        decoder->setLinks(DecoderLinks{});
    objects_.resampler->Setup(settings_.decimatedRate, 12000.0, TUniResample::Callback{});
    receiveLog_->setTextChangedHandler({});
}

void TRxForm::createDialogs()
{
    if (!aboutBox_)
        aboutBox_ = new TAbout(*shell_, this);
    if (!setupForm_) {
        setupForm_ = new TSetupForm(this);
        connectSetupForm();
    }
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
    switch (message) {
    case WM_AUDIO_BLOCK:
        chain_->processAudioBlocks();
        break;
    case WM_NET_LOG_TEXT: {
        std::string text;
        if (netTextRing().readSlot(wParam, text))
            appendRxText(text);
        break;
    }
    case WM_SEND_POSITION_BEACON:
        runHook(hooks_.sendPositionBeacon);
        break;
    case WM_SEND_STATUS_BEACON:
        runHook(hooks_.sendStatusBeacon);
        break;
    case WM_SPECTRUM_READY:
        // Until the waterfall draws them, spectra are taken and dropped so
        // that the decoder can hand over the next one.
        if (hooks_.onSpectrumReady)
            hooks_.onSpectrumReady();
        else
            spectrumPending = 0;
        break;
    case WM_GPS_TEXT:
        runHook(hooks_.takeOverGpsFix);
        break;
    default:
        break;
    }
}

void TRxForm::appendRxText(const std::string& text)
{
    receiveLog_->appendRxText(text.c_str());
}

void TRxForm::Timer1Timer()
{
    schedule_->tick(objects_.fifo->bufferCount());
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
    shell_->openDocument(helpFilePath(env_.executableDir));
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
    setupForm_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setupForm_->show();
    setupForm_->raise();
}

void TRxForm::connectSetupForm()
{
    TSetupForm::Actions actions;
    actions.apply = [this] { runHook(hooks_.applySetup); };
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

void TRxForm::reopenCapture(int deviceId)
{
    if (hooks_.reopenCapture)
        hooks_.reopenCapture(deviceId < 0 ? -1 : deviceId);
}

void TRxForm::closeCapture()
{
    runHook(hooks_.closeCapture);
}

}  // namespace veltrin
