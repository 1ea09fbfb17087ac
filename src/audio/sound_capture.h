#pragma once
// Live audio from the sound card: openCapture, closeCapture, reopenCapture
// and the SoundThread. The device is opened at 48000 Hz, 16-bit, mono
// (captureChannel 0) or stereo (1, 2); the thread reads periods of 8192
// frames into the 16-buffer pool and hands each filled buffer to
// TBufBufFifo (always 32768 bytes), posts WM_AUDIO_BLOCK and sleeps 10 ms.
// Failures are shown once in a message box with the texts the user knows.
// Main thread only, except the SoundThread itself.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound_devices.h"
#include "platform/window_messages.h"

namespace veltrin {

class MessageBoxes;
class TBufBufFifo;
struct AppState;
struct Settings;

class SoundCapture {
public:
    static constexpr int kBuffers = 16;
    static constexpr int kFramesPerBuffer = 8192;
    static constexpr const char* kOpenErrorCaption = "Corvane - Device Open Error";
    // How long closeCapture waits for the SoundThread before it gives it up.
    static constexpr std::chrono::milliseconds kCloseLimit{3000};

    SoundCapture(TBufBufFifo& fifo, WindowMessagePoster& poster, MessageBoxes& boxes, Settings& settings,
                 AppState& state);
    ~SoundCapture();
    SoundCapture(const SoundCapture&) = delete;
    SoundCapture& operator=(const SoundCapture&) = delete;

    // Opens captureDeviceId (-1: ALSA's default device) with captureChannel
    // and starts the SoundThread. 0, or -1 after a message box.
    int openCapture();
    // Stops recording and waits (at most kCloseLimit) for the SoundThread.
    void closeCapture();
    // With captureReopening set: close, take deviceId (negative: -1), open.
    int reopenCapture(int deviceId);
    // WM_CAPTURE_FAILED: a device that failed while running (an unplugged
    // USB sound card) is reported once and closed.
    void captureFailed();

    bool isOpen() const { return run_ != nullptr; }
    // 1 running, 0 stopping, -1 the SoundThread has ended (or none runs).
    int captureState() const;
    // Buffers with the device: the 16 of the pool while the thread reads.
    int queuedBuffers() const;
    // Overruns recovered since the device was opened.
    std::uint64_t overruns() const;
    // The text of the last message box (empty when none was needed).
    const std::string& lastError() const { return lastError_; }
    // The device failed while running (and was closed).
    bool failedWhileRunning() const { return failedWhileRunning_; }
    // closeCapture had to leave a SoundThread that did not end.
    bool abandonedThread() const { return abandoned_; }

    // The devices, read from ALSA at the first call and kept for the run so
    // that device numbers stay what the user chose.
    const std::vector<SoundDevice>& captureDevices();
    const std::vector<SoundDevice>& playbackDevices();

private:
    struct Run;
    int fail(const std::string& text, const std::string& caption);

    TBufBufFifo& fifo_;
    WindowMessagePoster& poster_;
    MessageBoxes& boxes_;
    Settings& settings_;
    AppState& state_;
    // The open device and its thread's state; shared with the thread, so a
    // thread that has to be given up never uses freed memory of its own.
    std::shared_ptr<Run> run_;
    std::thread thread_;
    bool haveCaptureDevices_ = false;
    bool havePlaybackDevices_ = false;
    std::vector<SoundDevice> captureDevices_;
    std::vector<SoundDevice> playbackDevices_;
    std::string lastError_;
    bool failedWhileRunning_ = false;
    bool abandoned_ = false;
};

// The message-box text for an ALSA error while opening (the table of the
// wave-input result codes).
std::string captureOpenErrorText(int alsaError, bool whileSettingFormat);

}  // namespace veltrin
