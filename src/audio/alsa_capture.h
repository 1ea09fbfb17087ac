#pragma once
// One ALSA capture device opened the way the capture thread wants it:
// 48000 Hz, signed 16-bit host-order samples, one or two interleaved
// channels, periods of 8192 frames and a ring of 16 of them (the 16
// buffers the driver holds), non-blocking so that every wait is bounded.
// Results are 0 or ALSA's negative error codes.
#include <cstdint>
#include <string>

typedef struct _snd_pcm snd_pcm_t;

namespace veltrin {

class AlsaCapture {
public:
    static constexpr unsigned kRate = 48000;
    static constexpr long kPeriodFrames = 8192;
    static constexpr unsigned kPeriods = 16;

    // The step of opening that failed, for the right message.
    enum class Stage { None, Open, Format, Prepare, Software, Start };

    AlsaCapture() = default;
    ~AlsaCapture();
    AlsaCapture(const AlsaCapture&) = delete;
    AlsaCapture& operator=(const AlsaCapture&) = delete;

    // Opens and configures the device; on failure it is closed again and
    // failedStage() tells where it failed.
    int open(const std::string& name, int channels);
    int start();
    void close();
    bool isOpen() const { return pcm_ != nullptr; }
    Stage failedStage() const { return failedStage_; }

    // Waits at most timeoutMs for frames; 0 on time-out, >0 when frames (or
    // an error) are ready, negative on an error.
    int wait(int timeoutMs);
    // Reads up to `frames` frames; the number read, -EAGAIN when none are
    // there yet, or an error (-EPIPE after an overrun).
    long read(std::int16_t* into, long frames);
    // After an overrun or a suspend: ready to record again. 0 or an error.
    int recover(int error);

    // ALSA's text for an error code.
    static std::string errorText(int error);

private:
    int fail(Stage stage, int error);

    snd_pcm_t* pcm_ = nullptr;
    Stage failedStage_ = Stage::None;
};

}  // namespace veltrin
