#pragma once
// Decoding a WAV recording: the checks of the file's format and the loop
// that hands its samples, 2048 at a time, to the sample chain. The window
// and the command-line decoder run this same code; the window passes its
// hooks (event processing, sleeping, the FIFO of live buffers) and is paced
// to about 1.7 times real time, the command line passes none and runs flat
// out.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace veltrin {

class TWaveRead;
class SampleChain;
class TBufBufFifo;
class MessageBoxes;
class WindowMessagePoster;
struct AppState;

enum class FileDecodeResult {
    Finished,           // the data was used up
    Stopped,            // stopFileDecoding or shuttingDown ended it early
    OpenError,          // "File Open Error!"
    UnsupportedFormat,  // "Unsupported audio format!"
    UnsupportedRate,    // "Unsupported sample rate!"
    AlreadyDecoding,    // called again from inside the loop (decodingFromFile set): nothing done
};

// One block of 2048 samples at 12000 Hz: the period of real-time playing.
inline constexpr std::chrono::microseconds kFileBlockPeriodRealTime{170667};

// The message a refusal shows (empty for Finished and Stopped).
const char* fileDecodeMessage(FileDecodeResult result);
inline constexpr const char* kFileErrorCaption = "File Error";

struct FileDecodeProgress {
    std::int64_t samplesFed = 0;  // 12000 Hz samples handed over, this block included
    double fraction = 0.0;        // of the file's data read so far, 0..1
};

struct FileDecodeHooks {
    // Refusals are shown here with the caption "File Error"; none: only the
    // result tells.
    MessageBoxes* boxes = nullptr;
    // After the checks passed and decodingFromFile is set, before the first
    // block (the window raises and enables its fast-decoding button).
    std::function<void()> started;
    // Lets the window process its pending events between blocks. When set,
    // decoding is paced: one block per 100 ms unless fastDecoding is set.
    // When not set, blocks follow one another without any pause.
    std::function<void()> processPendingMessages;
    // The pace when paced: one block per period (the window's 100 ms make
    // about 1.7 times real time).
    std::chrono::microseconds blockPeriod{100000};
    // How to wait between passes; default std::this_thread::sleep_for.
    std::function<void(std::chrono::milliseconds)> sleep;
    // Once per block, after it was read and before it is fed.
    std::function<void(const FileDecodeProgress&)> progress;
    // Live buffers arriving meanwhile are taken out (not decoded) while the
    // file plays, and WM_AUDIO_BLOCK is posted for each one still waiting
    // at the end so that live decoding resumes with the backlog.
    TBufBufFifo* fifo = nullptr;
    WindowMessagePoster* poster = nullptr;
};

// Opens and checks the file, then decodes it through chain.
//
// The window's "Decode From File" handler, in outline:
//     FileDecodeHooks hooks;
//     hooks.boxes = &messageBoxes;
//     hooks.started = [&] { raise and enable FastDecodingButton; };
//     hooks.processPendingMessages = [] { QCoreApplication::processEvents(); };
//     hooks.progress = [&](const FileDecodeProgress& p) { show p.fraction; };
//     hooks.fifo = &fifo;
//     hooks.poster = &poster;
//     decodeWaveFile(name, waveRead, sampleChain, appState, hooks);
// "FastD." toggles appState.fastDecoding, "Stop Decoding From File" sets
// appState.stopFileDecoding; both are read between blocks. Sets
// decodingFromFile while the loop runs; reads fastDecoding, stopFileDecoding
// and shuttingDown from state on every pass. The reader is closed on return.
FileDecodeResult decodeWaveFile(const std::string& fileName, TWaveRead& reader,
                                SampleChain& chain, AppState& state,
                                const FileDecodeHooks& hooks = {});

// The format checks alone, on an open reader (closes it when refused).
FileDecodeResult checkWaveFormat(TWaveRead& reader);

}  // namespace veltrin
