#include "audio/sound_capture.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "audio/alsa_capture.h"
#include "audio/buf_buf_fifo.h"
#include "config/app_state.h"
#include "config/settings.h"
#include "platform/ui_ports.h"

namespace veltrin {

namespace {

constexpr const char* kOutOfRange = "  Specified device identifier is out of range";
constexpr auto kStep = std::chrono::milliseconds(10);
// Each wait of the thread for the device is this short, so that a stop is
// seen soon whatever the device does.
constexpr int kWaitMs = 100;

std::string withCode(const char* format, int code)
{
    char text[96];
    std::snprintf(text, sizeof text, format, code);
    return text;
}

}  // namespace

std::string captureOpenErrorText(int alsaError, bool whileSettingFormat)
{
    switch (-alsaError) {
    case EBUSY:
        return "  Specified resource is already allocated";
    case ENOENT:  // no such device defined
    case ENODEV:  // its card is gone
    case ENXIO:
        return "  No device driver is present";
    case ENOMEM:
        return "  Unable to allocate or lock memory";
    case EINVAL:
        if (whileSettingFormat)
            return "  Attempted to open with an unsupported waveform-audio format\n";
        break;
    default:
        break;
    }
    return " Unrecognized ERROR ";
}

// One open device and what its SoundThread shares with the main thread.
struct SoundCapture::Run {
    Run(TBufBufFifo& f, WindowMessagePoster& p, int ch) : fifo(f), poster(p), channels(ch) {}

    void thread();
    void passOn(int slot, long frames);

    AlsaCapture device;
    TBufBufFifo& fifo;
    WindowMessagePoster& poster;
    const int channels;
    std::atomic<int> captureState{0};
    std::atomic<int> queuedBuffers{0};
    std::atomic<std::uint64_t> overruns{0};
    std::atomic<int> failure{0};  // the ALSA error that ended the thread
    // The 16 capture buffers, each in its own 32768-byte slot.
    std::int16_t pool[kBuffers][TBufBufFifo::kBufferBytes / sizeof(std::int16_t)] = {};
};

void SoundCapture::Run::passOn(int slot, long frames)
{
    std::int16_t* buffer = pool[slot];
    // A buffer cut short by the stop: the rest is silence, not older audio.
    std::memset(buffer + frames * channels, 0,
                sizeof pool[slot] - static_cast<std::size_t>(frames * channels) * sizeof(std::int16_t));
    fifo.Put(buffer);  // only a machine out of memory refuses; that buffer is lost
    poster.postWindowMessage(WM_AUDIO_BLOCK, 0);
    std::this_thread::sleep_for(kStep);
}

void SoundCapture::Run::thread()
{
    int slot = 0;
    long fill = 0;  // frames in the current buffer
    while (captureState.load(std::memory_order_acquire) > 0) {
        long got = device.wait(kWaitMs);
        if (got == 0)
            continue;
        if (got > 0) {
            got = device.read(pool[slot] + fill * channels, kFramesPerBuffer - fill);
            if (got == -EAGAIN)
                continue;
        }
        if (got == -EPIPE || got == -ESTRPIPE) {
            // An overrun (or a suspend): counted and recovered, never fatal.
            overruns.fetch_add(1, std::memory_order_relaxed);
            got = device.recover(static_cast<int>(got));
            if (got == 0)
                continue;
        }
        if (got < 0) {
            failure.store(static_cast<int>(got), std::memory_order_release);
            poster.postWindowMessage(WM_CAPTURE_FAILED, 0);
            break;
        }
        fill += got;
        if (fill == kFramesPerBuffer) {
            passOn(slot, fill);
            slot = (slot + 1) % kBuffers;
            fill = 0;
        }
    }
    if (fill > 0)
        passOn(slot, fill);
    queuedBuffers.store(0, std::memory_order_release);
    captureState.store(-1, std::memory_order_release);
}

SoundCapture::SoundCapture(TBufBufFifo& fifo, WindowMessagePoster& poster, MessageBoxes& boxes,
                           Settings& settings, AppState& state)
    : fifo_(fifo), poster_(poster), boxes_(boxes), settings_(settings), state_(state)
{
}

SoundCapture::~SoundCapture()
{
    closeCapture();
}

int SoundCapture::fail(const std::string& text, const std::string& caption)
{
    lastError_ = text;
    boxes_.showMessage(text, caption);
    return -1;
}

const std::vector<SoundDevice>& SoundCapture::captureDevices()
{
    if (!haveCaptureDevices_) {
        captureDevices_ = listSoundDevices(SoundDirection::Capture);
        haveCaptureDevices_ = true;
    }
    return captureDevices_;
}

const std::vector<SoundDevice>& SoundCapture::playbackDevices()
{
    if (!havePlaybackDevices_) {
        playbackDevices_ = listSoundDevices(SoundDirection::Playback);
        havePlaybackDevices_ = true;
    }
    return playbackDevices_;
}

int SoundCapture::openCapture()
{
    closeCapture();
    lastError_.clear();
    failedWhileRunning_ = false;
    const std::vector<SoundDevice>& devices = captureDevices();
    if (devices.empty())
        return fail("No sound input device", "Error");
    const int id = settings_.captureDeviceId;
    if (id >= static_cast<int>(devices.size()) || id < -1)
        return fail(kOutOfRange, kOpenErrorCaption);
    const std::string name = id < 0 ? std::string("default") : devices[static_cast<std::size_t>(id)].name;
    const int channels = settings_.captureChannel == 0 ? 1 : 2;

    auto run = std::make_shared<Run>(fifo_, poster_, channels);
    const int err = run->device.open(name, channels);
    if (err < 0) {
        switch (run->device.failedStage()) {
        case AlsaCapture::Stage::Prepare:
            return fail(withCode("  Error in Prepare Header (%d)! ", err), "*Error*");
        case AlsaCapture::Stage::Software:
            return fail(withCode("  Error in AddBuffer (%d)! ", err), "*Error*");
        default:
            return fail(captureOpenErrorText(err, run->device.failedStage() == AlsaCapture::Stage::Format),
                        kOpenErrorCaption);
        }
    }
    run->queuedBuffers.store(kBuffers, std::memory_order_relaxed);
    run->captureState.store(1, std::memory_order_release);
    if (run->device.start() < 0)
        return fail("  Error in Start! \n", "Error");
    try {
        thread_ = std::thread([run] { run->thread(); });
    } catch (const std::system_error&) {
        run->device.close();
        return fail("SoundThread start failed!", "Error");
    }
    run_ = std::move(run);
    state_.captureDeviceOpen = true;
    return 0;
}

void SoundCapture::closeCapture()
{
    if (!run_)
        return;
    run_->captureState.store(0, std::memory_order_release);
    const auto limit = std::chrono::steady_clock::now() + kCloseLimit;
    while (run_->captureState.load(std::memory_order_acquire) >= 0 && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(kStep);
    if (run_->captureState.load(std::memory_order_acquire) < 0) {
        thread_.join();
        run_->device.close();
    } else {
        // A device that never returns: the thread keeps its share of the
        // run (and the device) and the station ends without waiting for it.
        thread_.detach();
        abandoned_ = true;
    }
    run_.reset();
    state_.captureDeviceOpen = false;
}

int SoundCapture::reopenCapture(int deviceId)
{
    state_.captureReopening = true;
    closeCapture();
    settings_.captureDeviceId = deviceId < 0 ? -1 : deviceId;
    const int result = openCapture();
    state_.captureReopening = false;
    return result;
}

void SoundCapture::captureFailed()
{
    if (!run_)
        return;
    const int failure = run_->failure.load(std::memory_order_acquire);
    if (failure == 0)
        return;  // a message of an earlier device
    closeCapture();
    failedWhileRunning_ = true;
    fail("Sound input device failed: " + AlsaCapture::errorText(failure), "Error");
}

int SoundCapture::captureState() const
{
    return run_ ? run_->captureState.load(std::memory_order_acquire) : -1;
}

int SoundCapture::queuedBuffers() const
{
    return run_ ? run_->queuedBuffers.load(std::memory_order_acquire) : 0;
}

std::uint64_t SoundCapture::overruns() const
{
    return run_ ? run_->overruns.load(std::memory_order_relaxed) : 0;
}

}  // namespace veltrin
