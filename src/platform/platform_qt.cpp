#include "platform/platform_qt.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QUrl>
#include <QWidget>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/cp1251.h"
#include "platform/open_with_dialog.h"

namespace veltrin {

QString toQt(const std::string& cp1251)
{
    return QString::fromStdString(cp1251ToUtf8(cp1251));
}

std::string fromQt(const QString& text)
{
    return utf8ToCp1251(text.toStdString());
}

bool isHeadless()
{
    const QString platform = QGuiApplication::platformName();
    return platform.isEmpty() || platform == QLatin1String("offscreen") ||
           platform == QLatin1String("minimal");
}

QEvent::Type WindowMessageEvent::eventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void QtWindowMessagePoster::postWindowMessage(unsigned message, WParam wParam)
{
    std::lock_guard lock(mutex_);
    if (target_)
        QCoreApplication::postEvent(target_, new WindowMessageEvent(message, wParam));
}

void QtWindowMessagePoster::detach()
{
    std::lock_guard lock(mutex_);
    if (target_)
        QCoreApplication::removePostedEvents(target_, WindowMessageEvent::eventType());
    target_ = nullptr;
}

void QtMessageBoxes::showMessage(const std::string& text, const std::string& caption)
{
    if (isHeadless()) {
        headless_.showMessage(text, caption);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, toQt(caption), toQt(text), QMessageBox::Ok, parent_.data());
    box.exec();
}

bool QtMessageBoxes::askOkCancel(const std::string& text, const std::string& caption)
{
    if (isHeadless()) {
        headless_.showMessage(text, caption);
        return false;
    }
    QMessageBox box(QMessageBox::Question, toQt(caption), toQt(text), QMessageBox::Ok | QMessageBox::Cancel,
                    parent_.data());
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

bool QtShell::openDocument(const std::string& pathOrUrl)
{
    // Addresses are ASCII; paths carry the file system's bytes (the
    // working folder may have any name).
    const QString target = QFile::decodeName(QByteArray::fromStdString(pathOrUrl));
    QUrl url(target);
    if (url.scheme().size() < 2)  // a path, not "https:" or "mailto:"
        url = QUrl::fromLocalFile(target);
    return QDesktopServices::openUrl(url);
}

bool QtShell::openWith(const std::string& path)
{
    if (isHeadless())
        return false;
    openWithChooser(QFile::decodeName(QByteArray::fromStdString(path)), parent_.data());
    return true;
}

namespace {

int signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);  // async-signal-safe
}

}  // namespace

void closeWindowOnTerminationSignals(QWidget* window)
{
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char byte;
        [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &byte, 1);
        window->close();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

}  // namespace veltrin
