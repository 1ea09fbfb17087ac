#pragma once
// A receiving station without a window or sound card, for decoding WAV
// recordings: its own reader, sample chain and four decoders, built afresh
// for every file so that files do not influence each other. Used by the
// command-line decoder and its benchmark.
#include <array>
#include <string>

#include "audio/file_decoding.h"

namespace veltrin {

struct Settings;
class MessageSink;
class RxTextSink;
class StatusPanels;

// Decoding options of a run, applied over the station's settings.
struct RecordingOptions {
    double samplingFreq = 48000.0;  // calibrated rate of the recording's sound card
    double centreHz = 1700.0;       // speed-1 and speed-4 decoders
    bool inverse = false;           // tones stepping downwards (LSB)
    bool enhanced = false;          // the enhanced (weak-signal) decoding
    std::array<bool, 4> enabled{true, true, true, true};  // speeds 1, 4, 16, 32
};

// SamplingFreq, decimatedRate, inverseManipulation, enhancedDecoder, EnableX*Rx and the
// centre frequency from the options.
void applyRecordingOptions(const RecordingOptions& options, Settings& settings);

class RecordingDecoder {
public:
    // settings must outlive the decoder; the decoders read it while they run.
    explicit RecordingDecoder(Settings& settings);

    // Where finished messages, receive-window text and panel texts go; any
    // may be null.
    void setOutlets(MessageSink* sink, RxTextSink* rx = nullptr, StatusPanels* panels = nullptr);

    // Decodes one file from the beginning with a freshly set-up chain.
    FileDecodeResult decode(const std::string& path, const FileDecodeHooks& hooks = {});

private:
    Settings& settings_;
    MessageSink* sink_ = nullptr;
    RxTextSink* rx_ = nullptr;
    StatusPanels* panels_ = nullptr;
};

}  // namespace veltrin
