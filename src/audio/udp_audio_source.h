#pragma once
// Audio from an SDR program over UDP: each datagram carries signed 16-bit
// little-endian mono samples at 48000 Hz. Samples run on across datagrams
// into whole buffers; a datagram that cannot be all samples is dropped whole.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/audio_source_thread.h"

namespace veltrin {

class UdpAudioSource final : public AudioSourceThread {
public:
    static constexpr std::size_t kMaxDatagramBytes = 65536;

    // Port 0 lets the system choose one (see boundPort()).
    UdpAudioSource(const AudioSourceSpec& where, const AudioSourceOptions& options);
    // Takes over a datagram socket the caller has bound already; stop()
    // closes it.
    UdpAudioSource(int boundSocket, const AudioSourceOptions& options);
    ~UdpAudioSource() override;

    std::string open() override;
    double sampleRate() const override { return 48000.0; }
    // The port open() bound, 0 when there is none.
    int boundPort() const;

private:
    void run() override;
    void closeInput() override;
    // Takes one waiting datagram; false when none was waiting.
    bool receiveOne();

    AudioSourceSpec where_;
    std::string name_;  // how the user wrote the source, for messages
    int fd_ = -1;
    bool adopted_ = false;
    // One byte more than the largest datagram taken, so a larger one shows.
    std::vector<std::uint8_t> datagram_;
};

}  // namespace veltrin
