#include "platform/open_with_dialog.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>
#include <fcntl.h>
#include <unistd.h>

namespace veltrin {

namespace {

constexpr const char* kPortalService = "org.freedesktop.portal.Desktop";

// The program typed last time, offered again in this run.
QString& lastCommandLine()
{
    static QString text;
    return text;
}

bool portalAvailable()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QString service = QString::fromLatin1(kPortalService);
    if (bus.interface()->isServiceRegistered(service).value())
        return true;
    const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(service);
}

void askForProgram(const QString& path, QWidget* parent)
{
    OpenWithDialog dialog(path, parent);
    dialog.setCommandLine(lastCommandLine());
    if (dialog.exec() != QDialog::Accepted || dialog.commandLine().trimmed().isEmpty())
        return;
    lastCommandLine() = dialog.commandLine();
    if (!startProgramWith(dialog.commandLine(), path))
        QMessageBox::warning(parent, QStringLiteral("Open with"),
                             QStringLiteral("Could not start \"%1\".").arg(dialog.commandLine()));
}

}  // namespace

QStringList programWords(const QString& commandLine)
{
    return QProcess::splitCommand(commandLine);
}

bool startProgramWith(const QString& commandLine, const QString& path)
{
    QStringList words = programWords(commandLine);
    if (words.isEmpty())
        return false;
    const QString program = words.takeFirst();
    words << path;
    return QProcess::startDetached(program, words);
}

OpenWithDialog::OpenWithDialog(const QString& path, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("OpenWithDialog"));
    setWindowTitle(QStringLiteral("Open with"));
    auto* column = new QVBoxLayout(this);
    auto* what = new QLabel(QStringLiteral("Program to open %1 with:").arg(QFileInfo(path).fileName()), this);
    what->setToolTip(path);
    column->addWidget(what);
    auto* row = new QHBoxLayout;
    program_ = new QLineEdit(this);
    program_->setObjectName(QStringLiteral("OpenWithProgram"));
    program_->setPlaceholderText(QStringLiteral("e.g. mousepad, gedit, xdg-open"));
    program_->setMinimumWidth(320);
    row->addWidget(program_, 1);
    auto* browse = new QPushButton(QStringLiteral("Browse ..."), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Program"), QStringLiteral("/usr/bin"));
        if (!chosen.isEmpty())
            program_->setText(chosen);
    });
    row->addWidget(browse);
    column->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

QString OpenWithDialog::commandLine() const
{
    return program_->text();
}

void OpenWithDialog::setCommandLine(const QString& commandLine)
{
    program_->setText(commandLine);
    program_->selectAll();
}

void openWithChooser(const QString& path, QWidget* parent)
{
    if (!portalAvailable()) {
        askForProgram(path, parent);
        return;
    }
    // The portal takes the file itself, so it works for sandboxed handlers too.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kPortalService),
                                                       QStringLiteral("/org/freedesktop/portal/desktop"),
                                                       QStringLiteral("org.freedesktop.portal.OpenURI"),
                                                       QStringLiteral("OpenFile"));
    QVariantMap options;
    options.insert(QStringLiteral("ask"), true);
    call << QString() << QVariant::fromValue(QDBusUnixFileDescriptor(fd)) << options;
    ::close(fd);  // the message holds its own duplicate
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call));
    QPointer<QWidget> owner(parent);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [watcher, path, owner] {
        watcher->deleteLater();
        if (watcher->isError())
            askForProgram(path, owner.data());
    });
}

}  // namespace veltrin
