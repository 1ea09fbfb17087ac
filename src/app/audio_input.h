#pragma once
// The station's audio input for a run: the sound card (sound_capture.h), or
// a source of audio_source.h, or a recording at a rate that
// "Decode From File" accepts, which is played through the WAV reader's own
// stages. Failures are shown once in a message box; a failed input leaves
// the station running without audio (the window) or ends it (headless).
#include <memory>
#include <string>

#include "audio/audio_source.h"
#include "audio/sound_capture.h"

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
    // Whatever was open before is closed first; the FIFO keeps its buffers.
    void open(const std::string& spec, int deviceId);
    void close();
    // WM_CAPTURE_FAILED.
    void captureFailed() { capture_.captureFailed(); }
    // WM_PLAY_RECORDING: decodes the recording chosen by open().
    void playRecording();

    bool liveSourceOpen() const { return source_ != nullptr; }
    // A source that ends has ended and the decoders took all its audio; a
    // sound card that failed while running has ended too.
    bool finished() const;
    std::string failure() const;
    // The sound card and its device lists (for the setup dialog).
    SoundCapture& soundCapture() { return capture_; }

private:
    void fail(const std::string& text);
    void useRate(double rate);

    Station& station_;
    std::unique_ptr<LiveAudioSource> source_;
    std::string recording_;     // a recording for the file path
    bool recordingDone_ = false;
    bool soundCard_ = false;
    std::string failure_;
    SoundCapture capture_;
    // A recording played live sets the rate of the run; the setting's rate
    // comes back when it is closed.
    bool rateTaken_ = false;
    double savedRate_ = 0.0;
};

}  // namespace veltrin
