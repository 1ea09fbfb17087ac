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

#include "app/rx_form.h"
#include "app/rx_memo_widget.h"
#include "platform/ini_file.h"
#include "platform/platform_qt.h"

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

}  // namespace

void TRxForm::FormCreate()
{
    station_.FormCreate();
    applyOnTopAtStart();
    createSpectrumBitmaps();
}

void TRxForm::applyOnTopAtStart()
{
    OnTopButton->setChecked(settings_.OnTop != 0);
    setOnTop(settings_.OnTop != 0);
}

void TRxForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    const bool first = !station_.shown();
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
    if (station_.shown())
        return;
    station_.FormShow();
    applyCaptions();
}

void TRxForm::applyCaptions()
{
    // The captions of STRINGS.INI beside the executable, keyed by the
    // controls' names; empty values keep the built-in captions.
    const std::string path = station_.interfaceTextsPath();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return;
    IniFile ini(path);
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
    station_.FormActivate();
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
    return station_.shutDown();
}

}  // namespace veltrin
