#include "app/wave_menu_qt.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QProgressBar>
#include <QToolButton>

#include "app/process_objects.h"
#include "app/rx_form.h"
#include "app/status_bar_widget.h"
#include "audio/file_decoding.h"
#include "audio/sample_chain.h"
#include "platform/platform_qt.h"

namespace veltrin {

namespace {


}  // namespace

WaveMenu::WaveMenu(TRxForm& form) : form_(form)
{
    auto connectItem = [this](const char* name, void (WaveMenu::*handler)()) {
        if (QAction* item = form_.action(QString::fromLatin1(name)))
            QObject::connect(item, &QAction::triggered, &form_, [this, handler] { (this->*handler)(); });
    };
    connectItem("DecodeFromFile1", &WaveMenu::DecodeFromFile1Click);
    connectItem("StopDecodingFromFile1", &WaveMenu::StopDecodingFromFile1Click);
    connectItem("OpenWaveCaptureFile1", &WaveMenu::OpenWaveCaptureFile1Click);
    connectItem("CloseWaveCaptureFile1", &WaveMenu::CloseWaveCaptureFile1Click);
    QObject::connect(form_.FastDecodingButton, &QToolButton::clicked, &form_,
                     [this] { FastDecodingButtonClick(); });
    // The station closes the file itself after a failed write.
    form_.hooks().captureFileChanged = [this] { captureFileChanged(); };
}

void WaveMenu::captureFileChanged()
{
    const bool open = form_.state().captureFileOpen;
    setItemEnabled("OpenWaveCaptureFile1", !open);
    setItemEnabled("CloseWaveCaptureFile1", open);
    emit form_.waveStateChanged();
}

void WaveMenu::setItemEnabled(const char* name, bool enabled)
{
    if (QAction* item = form_.action(QString::fromLatin1(name)))
        item->setEnabled(enabled);
}

std::string WaveMenu::askDecodeFile()
{
    if (chooseDecodeFile_)
        return chooseDecodeFile_();
    if (isHeadless())
        return {};
    const QString name = QFileDialog::getOpenFileName(&form_, QStringLiteral("Select File"), QStringLiteral("."),
                                                      QStringLiteral("Wave Files (*.wav);;All Files (*)"));
    return name.toStdString();  // a file name is passed on as the system spells it
}

std::string WaveMenu::askCaptureFile()
{
    if (chooseCaptureFile_)
        return chooseCaptureFile_();
    if (isHeadless())
        return {};
    QFileDialog dialog(&form_, QStringLiteral("Open wave capture file"), QStringLiteral("."),
                       QStringLiteral("Wave files (*.wav);;All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

void WaveMenu::DecodeFromFile1Click()
{
    AppState& state = form_.state();
    // Shutdown processes messages while it waits for the threads: a file
    // dialog opened then would hold the whole shutdown up.
    if (state.decodingFromFile || decodeBusy_ || state.shuttingDown)
        return;
    decodeBusy_ = true;
    setItemEnabled("DecodeFromFile1", false);
    setItemEnabled("StopDecodingFromFile1", true);
    state.fastDecoding = false;
    state.stopFileDecoding = false;

    const std::string file = askDecodeFile();
    if (file.empty()) {
        finishDecoding(FileDecodeResult::Finished);
        return;
    }

    FileDecodeHooks hooks;
    hooks.boxes = &form_.messageBoxes();
    hooks.started = [this] {
        form_.FastDecodingButton->setChecked(false);
        form_.FastDecodingButton->setEnabled(true);
        form_.FileProgressBar->setValue(0);
        form_.FileProgressBar->setVisible(true);
        emit form_.waveStateChanged();
    };
    hooks.processPendingMessages = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
    hooks.progress = [this](const FileDecodeProgress& p) {
        form_.FileProgressBar->setValue(static_cast<int>(p.fraction * 1000.0 + 0.5));
    };
    hooks.fifo = &form_.station().receiveChain().fifo();
    hooks.poster = &form_.poster();
    const FileDecodeResult result =
        decodeWaveFile(file, *form_.objects().waveRead, form_.sampleChain(), state, hooks);
    finishDecoding(result);
}

void WaveMenu::finishDecoding(FileDecodeResult result)
{
    AppState& state = form_.state();
    setItemEnabled("DecodeFromFile1", true);
    setItemEnabled("StopDecodingFromFile1", false);
    const bool refused = result == FileDecodeResult::OpenError ||
                         result == FileDecodeResult::UnsupportedFormat ||
                         result == FileDecodeResult::UnsupportedRate;
    if (!refused) {
        state.fastDecoding = false;
        state.stopFileDecoding = false;
        form_.FastDecodingButton->setChecked(false);
        form_.FastDecodingButton->setEnabled(false);
    }
    form_.FileProgressBar->setVisible(false);
    state.displayHoldTicks = 0;
    decodeBusy_ = false;
    emit form_.waveStateChanged();
}

void WaveMenu::StopDecodingFromFile1Click()
{
    form_.state().stopFileDecoding = true;
}

void WaveMenu::FastDecodingButtonClick()
{
    AppState& state = form_.state();
    state.fastDecoding = !state.fastDecoding;
    form_.FastDecodingButton->setChecked(state.fastDecoding);
}

void WaveMenu::OpenWaveCaptureFile1Click()
{
    AppState& state = form_.state();
    state.displayHoldTicks = 40;
    if (openBusy_ || state.shuttingDown)
        return;
    openBusy_ = true;
    const std::string file = askCaptureFile();
    if (!file.empty()) {
        setItemEnabled("OpenWaveCaptureFile1", false);
        form_.station().openCaptureFile(file);  // the items follow through captureFileChanged
    }
    state.displayHoldTicks = 0;
    openBusy_ = false;
    if (file.empty())
        emit form_.waveStateChanged();
}

void WaveMenu::CloseWaveCaptureFile1Click()
{
    if (closeBusy_)
        return;
    closeBusy_ = true;
    form_.state().displayHoldTicks = 0;
    form_.station().closeCaptureFile();  // the items follow through captureFileChanged
    closeBusy_ = false;
}

}  // namespace veltrin
