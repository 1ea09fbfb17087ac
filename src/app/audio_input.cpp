#include "app/audio_input.h"

#include <array>

#include "app/station.h"
#include "audio/file_decoding.h"
#include "audio/wave_read.h"

namespace veltrin {

namespace {

// Whether the file path ("Decode From File") takes this recording.
bool decodableAsFile(const std::string& path)
{
    TWaveRead reader;
    if (reader.Open(path) != kWaveReadOk)
        return false;
    const bool decodable = checkWaveFormat(reader) == FileDecodeResult::Finished;
    reader.Close();
    return decodable;
}

}  // namespace

AudioInput::AudioInput(Station& station)
    : station_(station),
      capture_(station.receiveChain().fifo(), station.ports(), station.ports(), station.settings(), station.state())
{
}

AudioInput::~AudioInput()
{
    close();
}

void AudioInput::fail(const std::string& text)
{
    failure_ = text;
    station_.ports().showMessage(text, kErrorCaption);
}

void AudioInput::useRate(double rate)
{
    Settings& settings = station_.settings();
    settings.SamplingFreq = rate;
    settings.decimatedRate = settings.SamplingFreq * 0.25;
    station_.sampleChain().setupReceiveChain(settings.centreFreqMilliHz * 0.001);
}

void AudioInput::open(const std::string& specText, int deviceId)
{
    close();
    if (rateTaken_) {
        rateTaken_ = false;
        useRate(savedRate_);
    }
    recording_.clear();
    recordingDone_ = false;
    failure_.clear();
    AudioSourceSpec spec;
    const std::string error = parseAudioSourceSpec(specText, spec);
    if (!error.empty()) {
        fail(error);
        return;
    }
    Settings& settings = station_.settings();
    AppState& state = station_.state();
    if (spec.kind == AudioSourceSpec::Kind::SoundCard) {
        settings.captureDeviceId = deviceId;
        soundCard_ = true;
        if (capture_.reopenCapture(deviceId) != 0)
            failure_ = capture_.lastError();
        return;
    }
    if (spec.kind == AudioSourceSpec::Kind::Wav && decodableAsFile(spec.path)) {
        recording_ = spec.path;
        station_.ports().postWindowMessage(WM_PLAY_RECORDING, 0);
        return;
    }

    AudioSourceOptions options;
    options.fast = station_.environment().fastAudio;
    options.silenceSeconds = kTrailingSilenceSeconds;
    options.captureChannel = settings.captureChannel;
    std::unique_ptr<LiveAudioSource> source = makeAudioSource(spec, options);
    const std::string opened = source ? source->open() : std::string("no such audio source");
    if (!opened.empty()) {
        fail(opened);
        return;
    }
    // A recording played live sets the sampling rate of this run.
    if (source->sampleRate() != settings.SamplingFreq) {
        rateTaken_ = true;
        savedRate_ = settings.SamplingFreq;
        useRate(source->sampleRate());
    }
    source_ = std::move(source);
    state.captureDeviceOpen = true;
    source_->start(station_.receiveChain().fifo(), station_.ports());
}

void AudioInput::close()
{
    if (source_) {
        source_->stop();
        source_.reset();
        station_.state().captureDeviceOpen = false;
    }
    if (soundCard_) {
        soundCard_ = false;
        capture_.closeCapture();
    }

}

void AudioInput::playRecording()
{
    if (recording_.empty() || recordingDone_)
        return;
    AppState& state = station_.state();
    state.fastDecoding = station_.environment().fastAudio;
    FileDecodeHooks hooks;
    hooks.boxes = &station_.ports();
    hooks.processPendingMessages = [this] { station_.ports().processPendingMessages(); };
    hooks.blockPeriod = kFileBlockPeriodRealTime;
    const FileDecodeResult result = decodeWaveFile(recording_, *station_.objects().waveRead,
                                                   station_.sampleChain(), state, hooks);
    if (result == FileDecodeResult::Finished) {
        std::array<std::int16_t, SampleChain::kDecimatedPerBuffer> silence{};
        const int blocks = static_cast<int>(kTrailingSilenceSeconds * 12000.0 / silence.size()) + 1;
        for (int i = 0; i < blocks && !state.shuttingDown; ++i)
            station_.sampleChain().feedDecimatedBlock(silence.data(), true);
    } else if (result != FileDecodeResult::Stopped) {
        failure_ = recording_ + ": " + fileDecodeMessage(result);
    }
    recordingDone_ = true;
}

bool AudioInput::finished() const
{
    if (!recording_.empty())
        return recordingDone_;
    if (source_)
        return source_->ended() && station_.receiveChain().fifo().bufferCount() == 0 &&
               !station_.receiveChain().sampleChain().busy();
    return soundCard_ && capture_.failedWhileRunning();
}

std::string AudioInput::failure() const
{
    if (!failure_.empty())
        return failure_;
    if (soundCard_ && capture_.failedWhileRunning())
        return capture_.lastError();
    return source_ ? source_->failure() : std::string();
}

}  // namespace veltrin
