#pragma once
// "Open with ...": the desktop portal's chooser where a session has one,
// otherwise a small dialog that asks for the program. The path always
// reaches the program as one argument of its own, never through a shell.
#include <QDialog>
#include <QString>
#include <QStringList>

class QLineEdit;

namespace veltrin {

// Starts program (a command line split into words the way a shell would
// split it, but without running one) with path appended as the last
// argument. False when it cannot be started.
bool startProgramWith(const QString& commandLine, const QString& path);

// Splits a typed command line into program and arguments; empty when it
// holds no program.
QStringList programWords(const QString& commandLine);

class OpenWithDialog : public QDialog {
    Q_OBJECT
public:
    OpenWithDialog(const QString& path, QWidget* parent = nullptr);
    QString commandLine() const;
    void setCommandLine(const QString& commandLine);

private:
    QLineEdit* program_ = nullptr;
};

// The whole "Open with ..." for one path: the portal, else the dialog.
void openWithChooser(const QString& path, QWidget* parent);

}  // namespace veltrin
