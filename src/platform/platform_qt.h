#pragma once
// The Qt side of the platform interfaces: window messages as posted events,
// message boxes, the desktop's document handler, and the one place where
// Windows-1251 text becomes Unicode.
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>
#include <mutex>
#include <string>

#include "platform/shell.h"
#include "platform/ui_ports.h"
#include "platform/window_messages.h"

class QWidget;

namespace veltrin {

QString toQt(const std::string& cp1251);
std::string fromQt(const QString& text);

// No display to show a window on (offscreen or minimal platform).
bool isHeadless();

// One application window message travelling through Qt's event queue.
class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(unsigned message, WParam wParam)
        : QEvent(eventType()), message_(message), wParam_(wParam)
    {
    }
    static QEvent::Type eventType();
    unsigned message() const { return message_; }
    WParam wParam() const { return wParam_; }

private:
    unsigned message_;
    WParam wParam_;
};

// Posts to one target object from any thread. The target detaches itself
// before it is destroyed; later posts (from a thread that outlived the
// window) are dropped.
class QtWindowMessagePoster : public WindowMessagePoster {
public:
    explicit QtWindowMessagePoster(QObject* target) : target_(target) {}
    void postWindowMessage(unsigned message, WParam wParam) override;
    void detach();

private:
    std::mutex mutex_;
    QObject* target_;
};

// Modal boxes with an OK button; on a headless run the text goes to stderr.
class QtMessageBoxes : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void showMessage(const std::string& text, const std::string& caption) override;
    bool askOkCancel(const std::string& text, const std::string& caption) override;

private:
    QPointer<QWidget> parent_;
    StderrMessageBoxes headless_;
};

// Opens files and addresses with the desktop's handler (QDesktopServices);
// "Open with ..." through the portal's chooser or a dialog. Paths are in the
// file system's encoding, as the operating system gave them.
class QtShell : public Shell {
public:
    explicit QtShell(QWidget* parent = nullptr) : parent_(parent) {}
    bool openDocument(const std::string& pathOrUrl) override;
    bool openWith(const std::string& path) override;

private:
    QPointer<QWidget> parent_;
};

// SIGTERM, SIGINT and SIGHUP close the window (its orderly shutdown runs)
// instead of killing the process, so that files are closed properly.
void closeWindowOnTerminationSignals(QWidget* window);

}  // namespace veltrin
