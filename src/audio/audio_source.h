#pragma once
// Live audio from elsewhere than the sound card: an SDR program streaming
// over UDP, raw samples on standard input, or a recording played as if it
// were live. Each source runs its own thread that fills TBufBufFifo with
// buffers of 8192 frames and posts WM_AUDIO_BLOCK after each one, exactly as
// the capture thread does, so everything after it is the live path.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/window_messages.h"

namespace veltrin {

class TBufBufFifo;

// Where the station's audio comes from ("--audio" and the AudioSource setting).
struct AudioSourceSpec {
    enum class Kind { SoundCard, Udp, Stdin, Wav };
    Kind kind = Kind::SoundCard;
    std::string address = "127.0.0.1";  // Udp: the address to listen on
    int port = 0;                       // Udp
    std::string path;                   // Wav
};

// "" (the sound card), "udp:PORT", "udp:ADDRESS:PORT", "stdin" or
// "wav:FILE". ADDRESS is a numeric IPv4 address or an IPv6 address in
// brackets ("udp:[::1]:7355"). Returns an error text, empty on success;
// on an error `where` is left as it was.
std::string parseAudioSourceSpec(const std::string& text, AudioSourceSpec& where);
// The source written the way parseAudioSourceSpec reads it ("udp:PORT" when
// the address is the default one).
std::string audioSourceText(const AudioSourceSpec& where);

struct AudioSourceOptions {
    bool fast = false;            // Wav: as fast as the station takes it, not paced
    double silenceSeconds = 4.0;  // Stdin, Wav: silence queued after the end of the audio
    int captureChannel = 0;       // layout of the buffers: 0 mono, 1 left, 2 right (both get the samples)
};

struct AudioSourceStats {
    // Frames of audio put into the FIFO, and of the silence after it; not the
    // zeros that fill up the last buffer of the audio.
    std::uint64_t framesQueued = 0;
    std::uint64_t buffersQueued = 0;
    std::uint64_t datagramsReceived = 0;  // all of them, the dropped ones too
    std::uint64_t datagramsDropped = 0;   // odd length, empty or over 64 KiB
};

class LiveAudioSource {
public:
    virtual ~LiveAudioSource() = default;

    // Binds the port, checks standard input, opens and checks the file.
    // Returns an error text for the user (one line), empty on success.
    virtual std::string open() = 0;
    // Starts the thread. Call once, after a successful open().
    virtual void start(TBufBufFifo& fifo, WindowMessagePoster& poster) = 0;
    // Ends the thread (within about 200 ms whatever it waits for) and closes
    // the input. Safe to call more than once, and without start().
    virtual void stop() = 0;

    // The sampling rate of the audio: 48000 for UDP and standard input, the
    // file's rate for a recording.
    virtual double sampleRate() const = 0;
    // The end of the audio was reached and its last buffer and the silence
    // after it are in the FIFO (never for UDP). Also set, with failure(),
    // when standard input ended without a byte or a read failed.
    bool ended() const { return ended_.load(std::memory_order_acquire); }
    // Set when the input failed while running (a read error); text for the user.
    std::string failure() const;
    AudioSourceStats stats() const;

protected:
    std::atomic<bool> ended_{false};
    // Written by the source's thread, read by anyone.
    std::atomic<std::uint64_t> framesQueued_{0};
    std::atomic<std::uint64_t> buffersQueued_{0};
    std::atomic<std::uint64_t> datagramsReceived_{0};
    std::atomic<std::uint64_t> datagramsDropped_{0};
    // The first failure is kept. Called by the source's thread only (or
    // before it runs).
    void setFailure(const std::string& text);

private:
    mutable std::atomic<bool> failed_{false};
    std::string failure_;  // written once before failed_ is set
};

// The source for `where` (not SoundCard); nullptr for SoundCard.
std::unique_ptr<LiveAudioSource> makeAudioSource(const AudioSourceSpec& where, const AudioSourceOptions& options);

}  // namespace veltrin
