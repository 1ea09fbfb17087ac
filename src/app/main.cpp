// Program entry: the window, or with --headless the station without one.
// The station (and with it the process-wide objects) exists before the main
// window and is destroyed after it.
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <exception>
#include <memory>

#include "app/command_line.h"
#include "app/headless_station.h"
#include "app/rx_form.h"
#include "app/station.h"
#include "platform/platform_qt.h"

namespace {

int runWindow(int argc, char** argv)
{
    using namespace veltrin;
    QApplication app(argc, argv);  // takes its own options (e.g. -platform) out of argv
    QApplication::setApplicationName(QStringLiteral("Veltrin"));
    // QApplication adopts the user's locale for the C library too; files,
    // settings and the command line use decimal points whatever it is.
    std::setlocale(LC_NUMERIC, "C");

    HeadlessOptions options;  // the window takes --audio and --fast too
    const std::string error = parseHeadlessOptions(argc, argv, options);
    int exitCode = 0;
    StationEnvironment environment;
    // Paths after --audio may hold slashes: only the "/" options proper
    // are options here. A bad --audio value is shown when the input opens.
    environment.commandLine = error.empty() ? options.slashOptions : joinArguments(argc, argv);
    environment.audioSource = options.audio;
    environment.fastAudio = options.fast;
    environment.enhancedDecoder = options.enhanced;
    auto station = std::make_unique<Station>(environment);
    try {
        auto form = std::make_unique<TRxForm>(*station);
        form->createDialogs();
        closeWindowOnTerminationSignals(form.get());
        form->show();
        exitCode = app.exec();
        form->shutDown();  // returns at once when "Exit" or the close already ran it
        if (form->lastShutdown().abandonedAny()) {
            // The abandoned thread may still touch the window or the
            // process-wide objects: end without destroying them.
            form.release();
            ProcessObjects::endProcessKeeping(station->releaseObjects(), exitCode);
        }
    } catch (const std::exception& e) {
        QtMessageBoxes().showMessage(e.what(), "Error");
    }
    station.reset();
    return exitCode;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace veltrin;
    if (!wantsHeadless(argc, argv))
        return runWindow(argc, argv);
    std::setlocale(LC_ALL, "C");
    HeadlessOptions options;
    const std::string error = parseHeadlessOptions(argc, argv, options);
    if (options.help) {
        std::fputs(headlessUsageText(), stdout);
        return 0;
    }
    if (!error.empty()) {
        std::fprintf(stderr, "veltrin: %s\n\n%s", error.c_str(), headlessUsageText());
        return kHeadlessExitUsage;
    }
    return runHeadless(options);
}
