#pragma once
// How the station reports to the face that runs it (the window or the
// headless station): status panels, message boxes, receive-window text,
// posting a window message, the level meter and the 100 ms timer. The
// station's parts hold the relay below from the start; a face attaches its
// own ports before the start-up runs. Unattached ports drop what they get
// (message boxes go to standard error).
#include <atomic>
#include <functional>
#include <string>

#include "audio/sample_chain.h"
#include "messages/receive_log.h"
#include "platform/ui_ports.h"
#include "platform/window_messages.h"

namespace veltrin {

// Timer1: ticks every 100 ms on the main thread while enabled.
class TimerPort {
public:
    virtual ~TimerPort() = default;
    virtual void startTimer() = 0;
    virtual void stopTimer() = 0;
};

struct StationPorts {
    StatusPanels* panels = nullptr;
    MessageBoxes* boxes = nullptr;
    WindowMessagePoster* poster = nullptr;  // must accept posts from any thread
    LevelMeterPort* levelMeter = nullptr;
    TimerPort* timer = nullptr;
    std::function<void(const RxTextChange&)> rxTextChanged;
    // The GPS status line (`GpsMemo`), on every WM_GPS_TEXT.
    std::function<void(const std::string&)> gpsTextChanged;
    // Lets the face handle its pending events (shutdown waits, paced file
    // decoding).
    std::function<void()> processPendingMessages;
};

class StationPortRelay : public StatusPanels,
                         public MessageBoxes,
                         public WindowMessagePoster,
                         public LevelMeterPort,
                         public TimerPort {
public:
    void attach(const StationPorts& ports);
    // After this, posts from worker threads are dropped (the face is gone).
    void detachPoster() { poster_.store(nullptr, std::memory_order_release); }

    void setPanelText(int index, const std::string& text) override;
    void showMessage(const std::string& text, const std::string& caption) override;
    void postWindowMessage(unsigned message, WParam wParam) override;
    void showLevel(int light, int dark, const std::string& text, bool red) override;
    void startTimer() override;
    void stopTimer() override;
    void processPendingMessages();
    void rxTextChanged(const RxTextChange& change);
    void gpsTextChanged(const std::string& text);

private:
    StationPorts ports_;
    StderrMessageBoxes stderrBoxes_;
    std::atomic<WindowMessagePoster*> poster_{nullptr};
};

}  // namespace veltrin
