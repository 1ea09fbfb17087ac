#pragma once
// A recording played as if it were live: the first channel of a 16-bit PCM
// file at its own rate (40 to 400 kHz), one buffer per buffer's time, or
// as fast as the station takes it. Silence follows, then ended().
#include <string>

#include "audio/audio_source_thread.h"
#include "audio/wave_read.h"

namespace veltrin {

class WavAudioSource final : public AudioSourceThread {
public:
    static constexpr std::uint32_t kMinSampleRate = 40000;
    static constexpr std::uint32_t kMaxSampleRate = 400000;

    WavAudioSource(std::string path, const AudioSourceOptions& options);
    ~WavAudioSource() override;

    std::string open() override;
    // The file's rate; 0 before a successful open().
    double sampleRate() const override { return rate_; }

private:
    void run() override;
    void closeInput() override;

    const std::string path_;
    TWaveRead reader_;
    double rate_ = 0;
};

}  // namespace veltrin
