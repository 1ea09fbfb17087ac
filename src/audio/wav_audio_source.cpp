#include "audio/wav_audio_source.h"

#include <utility>

namespace veltrin {

WavAudioSource::WavAudioSource(std::string path, const AudioSourceOptions& options)
    : AudioSourceThread(options, options.fast ? Flow::Bounded : Flow::Paced), path_(std::move(path))
{
}

WavAudioSource::~WavAudioSource()
{
    stop();
}

std::string WavAudioSource::open()
{
    if (opened_)
        return {};
    if (reader_.Open(path_) != kWaveReadOk)
        return path_ + ": File Open Error!";
    if (reader_.formatTag() != kWaveFormatPcm || reader_.bitsPerSample() != 16 || reader_.channels() < 1) {
        reader_.Close();
        return path_ + ": Unsupported audio format!";
    }
    if (reader_.sampleRate() < kMinSampleRate || reader_.sampleRate() > kMaxSampleRate) {
        reader_.Close();
        return path_ + ": Unsupported sample rate!";
    }
    rate_ = reader_.sampleRate();
    opened_ = true;
    return {};
}

void WavAudioSource::closeInput()
{
    reader_.Close();
}

void WavAudioSource::run()
{
    std::int16_t block[4096];
    while (!stopRequested()) {
        const int n = reader_.ReadRawSamples(block, static_cast<int>(std::size(block)));
        if (n <= 0) {
            finishAudio();
            return;
        }
        if (!queueSamples(block, static_cast<std::size_t>(n)))
            return;
    }
}

}  // namespace veltrin
