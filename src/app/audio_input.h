#pragma once
// The station's audio input for a run: the sound card (through the capture
// hooks), or a source of audio_source.h, or a recording at a rate that
// "Decode From File" accepts, which is played through the WAV reader's own
// stages. Failures are shown once in a message box; a failed input leaves
// the station running without audio (the window) or ends it (headless).
#include <memory>
#include <string>

#include "audio/audio_source.h"

namespace veltrin {

class Station;

class AudioInput {
public:
    static constexpr const char* kErrorCaption = "Corvane - Device Open Error";
    // Silence after the end of a recording, so a message at its very end is
    // finished.
    static constexpr double kTrailingSilenceSeconds = 4.0;

    explicit AudioInput(Station& station);
    ~AudioInput();

    // spec: the AudioSource text ("" for the sound card); deviceId for it.
    void open(const std::string& spec, int deviceId);
    void close();
    // WM_PLAY_RECORDING: decodes the recording chosen by open().
    void playRecording();

    bool liveSourceOpen() const { return source_ != nullptr; }
    // A source that ends has ended and the decoders took all its audio.
    bool finished() const;
    std::string failure() const;

private:
    void fail(const std::string& text);

    Station& station_;
    std::unique_ptr<LiveAudioSource> source_;
    std::string recording_;     // a recording for the file path
    bool recordingDone_ = false;
    bool soundCard_ = false;
    std::string failure_;
};

}  // namespace veltrin
