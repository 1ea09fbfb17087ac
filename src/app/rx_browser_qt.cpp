// The message browser in the window: the Qt-free browser behind LeftTree
// and StringGrid1, wired to the message storage and the raw log (so files
// saved while running appear at once) and to the first activation.
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

#include "app/rx_form.h"
#include "app/status_bar_widget.h"
#include "browser/message_browser.h"
#include "browser/message_list_widget.h"
#include "browser/message_tree_widget.h"
#include "messages/data_folders.h"
#include "messages/dispatcher.h"
#include "messages/receive_log.h"
#include "platform/platform_qt.h"

namespace veltrin {

void TRxForm::connectBrowser()
{
    browser_ = std::make_unique<MessageBrowser>(kDataFolder);
    BrowserPorts ports;
    ports.panels = statusBar_;
    ports.boxes = boxes_;
    ports.shell = shell_;
    ports.copyText = [](const std::string& text) { QGuiApplication::clipboard()->setText(toQt(text)); };
    ports.logNode = [this] { return station_.receiveLog().logNode(); };
    ports.today = [this] { return dayFolderName(currentCalendarTime(settings_.useUtc != 0)); };
    browser_->setPorts(std::move(ports));

    auto* tree = static_cast<MessageTreeWidget*>(LeftTree);
    auto* grid = static_cast<MessageListWidget*>(StringGrid1);
    tree->attach(browser_.get());
    grid->attach(browser_.get(), LogMemo);
    // Their items take captions from STRINGS.INI like the main menu's.
    for (QMenu* menu : {tree->popupMenu(), grid->popupMenu()})
        for (QAction* item : menu->actions())
            if (!item->objectName().isEmpty())
                actions_[item->objectName()] = item;

    station_.dispatcher().setBrowserPort(browser_.get());
    station_.receiveLog().setBrowserPort(browser_.get());
    hooks_.buildMessageTree = [this] { browser_->buildMessageTree(); };
    hooks_.selectTodaysMessages = [this] { browser_->selectTodaysMessages(); };
}

void TRxForm::disconnectBrowser()
{
    station_.dispatcher().setBrowserPort(nullptr);
    station_.receiveLog().setBrowserPort(nullptr);
    hooks_.buildMessageTree = {};
    hooks_.selectTodaysMessages = {};
    static_cast<MessageTreeWidget*>(LeftTree)->attach(nullptr);
    static_cast<MessageListWidget*>(StringGrid1)->attach(nullptr, nullptr);
}

}  // namespace veltrin
