#include "audio/file_decoding.h"

#include <array>
#include <thread>

#include "config/app_state.h"
#include "audio/buf_buf_fifo.h"
#include "audio/sample_chain.h"
#include "audio/wave_read.h"
#include "platform/ui_ports.h"
#include "platform/window_messages.h"

namespace veltrin {

namespace {

constexpr auto kPauseStep = std::chrono::milliseconds(30);

FileDecodeResult refuse(FileDecodeResult result, const FileDecodeHooks& hooks)
{
    if (hooks.boxes)
        hooks.boxes->showMessage(fileDecodeMessage(result), kFileErrorCaption);
    return result;
}

// Between two blocks: keep the window alive, drain live buffers, and wait
// for the block's deadline unless fast decoding is on.
void pace(std::chrono::steady_clock::time_point deadline, SampleChain& chain,
          const AppState& state, const FileDecodeHooks& hooks)
{
    do {
        if (hooks.fifo && hooks.fifo->bufferCount() > 0)
            chain.processAudioBlocks();
        hooks.processPendingMessages();
        if (state.fastDecoding)
            break;
        if (hooks.sleep)
            hooks.sleep(kPauseStep);
        else
            std::this_thread::sleep_for(kPauseStep);
    } while (std::chrono::steady_clock::now() < deadline);
}

}  // namespace

const char* fileDecodeMessage(FileDecodeResult result)
{
    switch (result) {
    case FileDecodeResult::OpenError:
        return "File Open Error!";
    case FileDecodeResult::UnsupportedFormat:
        return "Unsupported audio format!";
    case FileDecodeResult::UnsupportedRate:
        return "Unsupported sample rate!";
    case FileDecodeResult::Finished:
    case FileDecodeResult::Stopped:
    case FileDecodeResult::AlreadyDecoding:
        break;
    }
    return "";
}

FileDecodeResult checkWaveFormat(TWaveRead& reader)
{
    // 24- and 32-bit PCM would be read as the low bytes of each sample,
    // which is noise; only 8 and 16 bits are decoded.
    const std::uint16_t bits = reader.bitsPerSample();
    if (reader.formatTag() != kWaveFormatPcm || (bits != 8 && bits != 16)) {
        reader.Close();
        return FileDecodeResult::UnsupportedFormat;
    }
    const std::uint32_t rate = reader.sampleRate();
    if (rate != 12000 && rate != 24000 && rate != 48000) {
        reader.Close();
        return FileDecodeResult::UnsupportedRate;
    }
    return FileDecodeResult::Finished;
}

FileDecodeResult decodeWaveFile(const std::string& fileName, TWaveRead& reader,
                                SampleChain& chain, AppState& state,
                                const FileDecodeHooks& hooks)
{
    // A second decoding started from the event processing inside the loop
    // would reopen the reader under the first one.
    if (state.decodingFromFile)
        return FileDecodeResult::AlreadyDecoding;
    if (state.shuttingDown)
        return FileDecodeResult::Stopped;
    const int opened = reader.Open(fileName);
    if (opened == kWaveReadBadBlockAlign || opened == kWaveReadFrameTooLong)
        return refuse(FileDecodeResult::UnsupportedFormat, hooks);
    if (opened != kWaveReadOk)
        return refuse(FileDecodeResult::OpenError, hooks);
    const FileDecodeResult format = checkWaveFormat(reader);
    if (format != FileDecodeResult::Finished)
        return refuse(format, hooks);

    state.decodingFromFile = true;
    state.displayHoldTicks = 0;
    if (hooks.started)
        hooks.started();

    const bool paced = static_cast<bool>(hooks.processPendingMessages);
    const std::int64_t total = reader.totalDataBytes();
    std::array<std::int16_t, SampleChain::kDecimatedPerBuffer> block{};
    FileDecodeProgress progress;
    FileDecodeResult result = FileDecodeResult::Finished;
    // Open guarantees a block align of at least 1, so every pass consumes
    // data and the loop ends.
    while (reader.blockAlign() <= reader.remaining()) {
        const auto deadline = std::chrono::steady_clock::now() + hooks.blockPeriod;
        reader.ReadSamples(block.data(), static_cast<int>(block.size()));
        progress.samplesFed += static_cast<std::int64_t>(block.size());
        progress.fraction =
            total > 0 ? 1.0 - static_cast<double>(reader.remaining()) / static_cast<double>(total)
                      : 1.0;
        if (hooks.progress)
            hooks.progress(progress);
        chain.feedDecimatedBlock(block.data(), true);
        if (paced)
            pace(deadline, chain, state, hooks);
        if (state.shuttingDown || state.stopFileDecoding) {
            if (reader.blockAlign() <= reader.remaining())
                result = FileDecodeResult::Stopped;
            break;
        }
    }

    state.decodingFromFile = false;
    reader.Close();
    if (hooks.fifo && hooks.poster) {
        for (int posted = 0; posted < hooks.fifo->bufferCount(); ++posted)
            hooks.poster->postWindowMessage(WM_AUDIO_BLOCK, 0);
    }
    return result;
}

}  // namespace veltrin
