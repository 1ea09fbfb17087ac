#include "audio/audio_source_thread.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <system_error>

#include "platform/little_endian.h"

namespace veltrin {

namespace {

using Clock = std::chrono::steady_clock;

// Every wait is cut into steps this long so that stop() is answered soon.
constexpr auto kStopCheckStep = std::chrono::milliseconds(20);
// How often a source that is ahead looks whether the station caught up.
constexpr auto kRoomCheckStep = std::chrono::milliseconds(10);
// More silence than an hour is a mistake in the settings; it would only
// keep the source from ending.
constexpr double kMaxSilenceSeconds = 3600;

bool stereoLayout(int captureChannel)
{
    return captureChannel == 1 || captureChannel == 2;
}

}  // namespace

AudioSourceThread::AudioSourceThread(const AudioSourceOptions& options, Flow flow)
    : options_(options), flow_(flow)
{
}

AudioSourceThread::~AudioSourceThread()
{
    // Each source stops in its own destructor, while run() and closeInput()
    // still exist; this only keeps a forgotten thread from aborting.
    stop_.store(true, std::memory_order_release);
    if (thread_.joinable())
        thread_.join();
}

void AudioSourceThread::start(TBufBufFifo& fifo, WindowMessagePoster& poster)
{
    std::lock_guard<std::mutex> lock(control_);
    if (started_ || !opened_ || stopRequested())
        return;
    started_ = true;
    fifo_ = &fifo;
    poster_ = &poster;
    paceStart_ = Clock::now();
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error& e) {
        setFailure(std::string("cannot start the audio thread: ") + e.what());
        markEnded();
    }
}

void AudioSourceThread::stop()
{
    std::lock_guard<std::mutex> lock(control_);
    stop_.store(true, std::memory_order_release);
    if (thread_.joinable())
        thread_.join();
    closeInput();
}

std::string AudioSourceThread::errorText(int error)
{
    return std::system_category().message(error);
}

bool AudioSourceThread::sleepFor(Clock::duration duration)
{
    return sleepUntil(Clock::now() + duration);
}

bool AudioSourceThread::sleepUntil(Clock::time_point until)
{
    while (!stopRequested()) {
        const auto now = Clock::now();
        if (now >= until)
            return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, kStopCheckStep));
    }
    return false;
}

bool AudioSourceThread::waitForTurn()
{
    switch (flow_) {
    case Flow::Live:
        break;
    case Flow::Bounded:
        while (fifo_->bufferCount() >= kMaxBuffersAhead)
            if (!sleepFor(kRoomCheckStep))
                return false;
        break;
    case Flow::Paced: {
        // Against the start time, not the previous buffer, so that late
        // wake-ups do not add up.
        const double rate = sampleRate() > 0 ? sampleRate() : 48000.0;
        ++buffersPaced_;
        const std::chrono::duration<double> due(static_cast<double>(buffersPaced_) * kFramesPerBuffer / rate);
        if (!sleepUntil(paceStart_ + std::chrono::duration_cast<Clock::duration>(due)))
            return false;
        break;
    }
    }
    return !stopRequested();
}

void AudioSourceThread::post()
{
    if (poster_)
        poster_->postWindowMessage(WM_AUDIO_BLOCK, 0);
}

bool AudioSourceThread::queueBuffer(std::size_t audioFrames)
{
    if (!waitForTurn())
        return false;
    if (fifo_->Put(buffer_) == 0) {
        buffersQueued_.fetch_add(1, std::memory_order_relaxed);
        framesQueued_.fetch_add(audioFrames, std::memory_order_relaxed);
        post();
    } else {
        // The FIFO is unbounded; it refuses only when memory runs out.
        setFailure("audio lost: no memory for more audio buffers");
    }
    return true;
}

bool AudioSourceThread::queueSamples(const std::int16_t* samples, std::size_t count)
{
    const bool stereo = stereoLayout(options_.captureChannel);
    for (std::size_t i = 0; i < count; ++i) {
        if (stereo) {
            buffer_[2 * fill_] = samples[i];
            buffer_[2 * fill_ + 1] = samples[i];
        } else {
            buffer_[fill_] = samples[i];
        }
        if (++fill_ == kFramesPerBuffer) {
            fill_ = 0;
            if (!queueBuffer(kFramesPerBuffer))
                return false;
        }
    }
    return !stopRequested();
}

bool AudioSourceThread::queueLittleEndian(const std::uint8_t* bytes, std::size_t sampleCount)
{
    // Explicitly little-endian, so that the host's byte order does not matter.
    constexpr std::size_t kStep = 1024;
    std::int16_t samples[kStep];
    for (std::size_t done = 0; done < sampleCount;) {
        const std::size_t n = std::min(kStep, sampleCount - done);
        for (std::size_t i = 0; i < n; ++i)
            samples[i] = static_cast<std::int16_t>(le16(bytes + 2 * (done + i)));
        if (!queueSamples(samples, n))
            return false;
        done += n;
    }
    return !stopRequested();
}

void AudioSourceThread::finishAudio()
{
    const std::size_t channels = stereoLayout(options_.captureChannel) ? 2 : 1;
    if (fill_ > 0) {
        const std::size_t audioFrames = fill_;
        std::fill(buffer_ + fill_ * channels, buffer_ + kFramesPerBuffer * channels, std::int16_t{0});
        fill_ = 0;
        if (!queueBuffer(audioFrames))
            return;
    }
    std::fill(std::begin(buffer_), std::end(buffer_), std::int16_t{0});
    double seconds = options_.silenceSeconds;
    if (!(seconds > 0))
        seconds = 0;  // also NaN
    seconds = std::min(seconds, kMaxSilenceSeconds);
    // Whole buffers; the small allowance keeps 8192 frames' worth of
    // seconds, rounded in decimal, from becoming two buffers.
    const double buffers = std::ceil(seconds * sampleRate() / kFramesPerBuffer - 1e-9);
    for (double i = 0; i < buffers; ++i)
        if (!queueBuffer(kFramesPerBuffer))
            return;
    markEnded();
}

void AudioSourceThread::markEnded()
{
    ended_.store(true, std::memory_order_release);
    post();
}

}  // namespace veltrin
