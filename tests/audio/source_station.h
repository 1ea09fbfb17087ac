#pragma once
// Test helpers for the live audio sources: the receiving side (a real FIFO
// and a poster that counts), waiting with a generous limit, and samples as
// bytes. test::testSamples (noisy, so a lost or shifted sample shows) gives
// the audio.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "audio/audio_source.h"
#include "audio/buf_buf_fifo.h"
#include "platform/window_messages.h"
#include "wav/wav_files.h"

namespace veltrin::test {

constexpr std::size_t kFrames = 8192;
constexpr std::size_t kBufferSamples = TBufBufFifo::kBufferBytes / 2;

struct CountingPoster : WindowMessagePoster {
    std::atomic<int> audioBlocks{0};
    std::atomic<int> others{0};
    void postWindowMessage(unsigned message, WParam wParam) override
    {
        if (message == WM_AUDIO_BLOCK && wParam == 0)
            ++audioBlocks;
        else
            ++others;
    }
};

// "It does not hang": true once done() holds, false after 5 s.
inline bool waitUntil(const std::function<bool()>& done)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

inline std::vector<std::uint8_t> littleEndian(const std::vector<std::int16_t>& samples, std::size_t from = 0,
                                              std::size_t count = SIZE_MAX)
{
    std::vector<std::uint8_t> b;
    for (std::size_t i = from; i < samples.size() && i - from < count; ++i) {
        const auto v = static_cast<std::uint16_t>(samples[i]);
        b.push_back(static_cast<std::uint8_t>(v & 0xFF));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    return b;
}

// The samples followed by zeros up to a whole number of buffers (and more).
inline std::vector<std::int16_t> padded(std::vector<std::int16_t> samples, std::size_t buffers)
{
    samples.resize(buffers * kFrames, 0);
    return samples;
}

// The station's side: what the source queued, checked for the layout that
// captureChannel asks for and turned back into one channel.
struct Station {
    std::unique_ptr<TBufBufFifo> fifo = std::make_unique<TBufBufFifo>();
    CountingPoster poster;
    std::vector<std::int16_t> frames;
    std::size_t buffers = 0;
    int layoutFaults = 0;

    void start(LiveAudioSource& source) { source.start(*fifo, poster); }
    // A message follows each buffer and the end, so once n have come, all
    // before them is in the FIFO and in the source's counts.
    bool waitForBlocks(int n)
    {
        return waitUntil([&] { return poster.audioBlocks >= n; });
    }

    void drain(int captureChannel = 0)
    {
        std::vector<std::int16_t> b(kBufferSamples);
        const bool stereo = captureChannel == 1 || captureChannel == 2;
        while (fifo->Get(b.data()) == 0) {
            ++buffers;
            for (std::size_t k = 0; k < kFrames; ++k) {
                frames.push_back(stereo ? b[2 * k] : b[k]);
                if (stereo ? b[2 * k + 1] != b[2 * k] : b[kFrames + k] != 0)
                    ++layoutFaults;
            }
        }
    }

    // Takes buffers as they come, as the station would, until the source
    // has ended; false when it does not end.
    bool drainUntilEnded(const LiveAudioSource& source, int captureChannel = 0)
    {
        const bool ended = waitUntil([&] {
            drain(captureChannel);
            return source.ended();
        });
        drain(captureChannel);
        return ended;
    }
};

// How long a call took, in seconds.
inline double secondsFor(const std::function<void()>& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace veltrin::test
