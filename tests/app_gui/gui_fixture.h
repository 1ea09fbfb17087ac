#pragma once
// The offscreen application and a main window in a temporary working
// directory with its own configuration folder, message-box recorder and
// shell recorder.
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/rx_form.h"
#include "capture/alsa_test_config.h"
#include "app/station.h"
#include "platform/shell.h"
#include "platform/ui_ports.h"

namespace veltrin::testing {

inline QApplication& application()
{
    static int argc = 1;
    static char name[] = "test_app_gui";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        auto* created = new QApplication(argc, argv);
        std::setlocale(LC_NUMERIC, "C");  // as the program's entry does
        return created;
    }();
    return *app;
}

struct RecordingBoxes : MessageBoxes {
    void showMessage(const std::string& text, const std::string& caption) override
    {
        shown.push_back(caption + ": " + text);
    }
    std::vector<std::string> shown;
};

// Processes events until done() or the time limit.
inline bool pumpUntil(const std::function<bool()>& done, int limitMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class WindowFixture : public ::testing::Test {
protected:
    std::filesystem::path root;     // working directory of the window
    std::filesystem::path exeDir;   // where STRINGS.INI and the help file would sit
    std::filesystem::path config;   // XDG_CONFIG_HOME
    RecordingBoxes boxes;
    NullShell shell;
    std::unique_ptr<Station> station;
    std::unique_ptr<TRxForm> form;

    void SetUp() override
    {
        application();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = std::filesystem::temp_directory_path() /
               ("veltrin_gui_" + std::to_string(::getpid()) + "_" + info->name());
        std::filesystem::remove_all(root);
        exeDir = root / "bin";
        config = root / "config";
        std::filesystem::create_directories(exeDir);
        std::filesystem::create_directories(root / "work");
        savedCwd_ = std::filesystem::current_path();
        std::filesystem::current_path(root / "work");
        if (const char* x = std::getenv("XDG_CONFIG_HOME"))
            savedXdg_ = x;
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        // The window records from the sound card: a quiet one made for the
        // test, never the machine's own.
        quietCard_.emplace(root, std::vector<test::AlsaTestPcm>{{"default", "/dev/zero", "Quiet test card"}});
    }

    void TearDown() override
    {
        form.reset();
        station.reset();
        quietCard_.reset();
        QCoreApplication::processEvents();
        std::filesystem::current_path(savedCwd_);
        if (savedXdg_)
            ::setenv("XDG_CONFIG_HOME", savedXdg_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(root);
    }

    RxFormEnvironment environment()
    {
        RxFormEnvironment env;
        env.boxes = &boxes;
        env.shell = &shell;
        env.quitOnExit = false;  // the tests' event loop is their own
        return env;
    }
    StationEnvironment stationEnvironment()
    {
        StationEnvironment env;
        env.executableDir = exeDir.string();
        return env;
    }

    // Creates the station, the window (FormCreate) and its dialogs; the
    // hooks are set before the first activation by the caller.
    TRxForm& createWindow(RxFormEnvironment env, StationEnvironment stationEnv)
    {
        station = std::make_unique<Station>(std::move(stationEnv));
        form = std::make_unique<TRxForm>(*station, std::move(env));
        form->createDialogs();
        return *form;
    }
    TRxForm& createWindow(RxFormEnvironment env) { return createWindow(std::move(env), stationEnvironment()); }
    TRxForm& createWindow() { return createWindow(environment()); }

    // Shows and activates it as the first activation would.
    void showAndActivate()
    {
        form->show();
        form->FormActivate();
        QCoreApplication::processEvents();
    }

private:
    std::filesystem::path savedCwd_;
    std::optional<std::string> savedXdg_;
    std::optional<test::ScopedAlsaConfig> quietCard_;
};

}  // namespace veltrin::testing
