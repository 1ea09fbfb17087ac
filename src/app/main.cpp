// Program entry: the process-wide objects, the main window, the about box
// and the setup dialog, the event loop, and the end in reverse order.
#include <QApplication>
#include <clocale>
#include <exception>
#include <memory>

#include "app/command_line.h"
#include "app/process_objects.h"
#include "app/rx_form.h"
#include "platform/platform_qt.h"

int main(int argc, char** argv)
{
    using namespace veltrin;
    QApplication app(argc, argv);  // takes its own options (e.g. -platform) out of argv
    QApplication::setApplicationName(QStringLiteral("Veltrin"));
    // QApplication adopts the user's locale for the C library too; files,
    // settings and the command line use decimal points whatever it is.
    std::setlocale(LC_NUMERIC, "C");

    int exitCode = 0;
    auto objects = std::make_unique<ProcessObjects>();
    try {
        RxFormEnvironment environment;
        environment.commandLine = joinArguments(argc, argv);
        auto form = std::make_unique<TRxForm>(*objects, environment);
        form->createDialogs();
        closeWindowOnTerminationSignals(form.get());
        form->show();
        exitCode = app.exec();
        form->shutDown();  // returns at once when "Exit" or the close already ran it
        if (form->lastShutdown().abandonedAny()) {
            // The abandoned thread may still touch the window or the
            // process-wide objects: end without destroying them.
            form.release();
            ProcessObjects::endProcessKeeping(std::move(objects), exitCode);
        }
    } catch (const std::exception& e) {
        QtMessageBoxes().showMessage(e.what(), "Error");
    }
    objects.reset();
    return exitCode;
}
