#pragma once
// Raw audio on standard input (or another descriptor): signed 16-bit
// little-endian mono samples at 48000 Hz, as an SDR program writes them to
// a pipe. A pipe can be faster than real time, so the source waits while
// the station is behind. At the end of the stream comes silence, so that
// the decoders finish the last message, and then ended().
#include "audio/audio_source_thread.h"

namespace veltrin {

class StreamAudioSource final : public AudioSourceThread {
public:
    // The descriptor is the caller's: the source never closes it.
    explicit StreamAudioSource(const AudioSourceOptions& options, int fd = 0);
    ~StreamAudioSource() override;

    std::string open() override;
    double sampleRate() const override { return 48000.0; }

private:
    void run() override;
    void endOfInput(bool anyBytes);

    const int fd_;
};

}  // namespace veltrin
