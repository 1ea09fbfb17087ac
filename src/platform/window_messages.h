#pragma once
// Numbers of the application's own window messages and the interface through
// which any thread posts one to the main window. Posting never blocks.
#include <cstdint>

namespace veltrin {

constexpr unsigned WM_APP = 32768;
constexpr unsigned WM_SPECTRUM_READY = WM_APP + 408;        // 33176
constexpr unsigned WM_AUDIO_BLOCK = WM_APP + 501;           // 33269
constexpr unsigned WM_GPS_TEXT = WM_APP + 510;              // 33278
constexpr unsigned WM_NET_LOG_TEXT = WM_APP + 511;          // 33279
constexpr unsigned WM_SEND_POSITION_BEACON = WM_APP + 512;  // 33280
constexpr unsigned WM_SEND_STATUS_BEACON = WM_APP + 513;    // 33281
// Our own: play the recording chosen as the audio input (posted once by the
// first activation, so that the start-up finishes before the recording runs).
constexpr unsigned WM_PLAY_RECORDING = WM_APP + 520;        // 33288
// Our own: the capture thread's device failed while running (posted once).
constexpr unsigned WM_CAPTURE_FAILED = WM_APP + 525;        // 33293

using WParam = std::uintptr_t;

class WindowMessagePoster {
public:
    virtual ~WindowMessagePoster() = default;
    // Safe to call from any thread.
    virtual void postWindowMessage(unsigned message, WParam wParam) = 0;
};

}  // namespace veltrin
