// Decoding recordings as the command-line decoder does it: file read,
// decimation, resampling and all four decoders, on one core. The figure of
// interest is "x_realtime": seconds of audio decoded per second of wall time.
#include <benchmark/benchmark.h>

#include <string>

#include "config/settings.h"
#include "audio/recording_decoder.h"
#include "audio/wave_read.h"
#include "modem/msg_header.h"

namespace {

using namespace veltrin;

struct CountingSink : MessageSink {
    int messages = 0;
    void dispatchReceivedMessage(ReceivedMessage) override { ++messages; }
};

double audioSeconds(const std::string& path)
{
    TWaveRead reader;
    if (reader.Open(path) != 0 || reader.blockAlign() == 0 || reader.sampleRate() == 0)
        return 0.0;
    return static_cast<double>(reader.totalDataBytes()) / reader.blockAlign() / reader.sampleRate();
}

void decodeRecording(benchmark::State& state, const char* name)
{
    const std::string path = std::string(VELTRIN_TEST_DATA) + "/" + name;
    const double seconds = audioSeconds(path);
    Settings settings;
    applyRecordingOptions(RecordingOptions{}, settings);
    CountingSink sink;
    RecordingDecoder decoder(settings);
    decoder.setOutlets(&sink);
    for (auto _ : state) {
        if (decoder.decode(path) != FileDecodeResult::Finished) {
            state.SkipWithError("recording not readable");
            return;
        }
    }
    state.counters["x_realtime"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["messages"] = static_cast<double>(sink.messages) / static_cast<double>(state.iterations());
}

// The reader alone: RIFF, frames and the two decimator stages.
void readRecording(benchmark::State& state, const char* name)
{
    const std::string path = std::string(VELTRIN_TEST_DATA) + "/" + name;
    const double seconds = audioSeconds(path);
    TWaveRead reader;
    for (auto _ : state) {
        if (reader.Open(path) != 0) {
            state.SkipWithError("recording not readable");
            return;
        }
        long sum = 0;
        while (reader.blockAlign() <= reader.remaining())
            sum += reader.ReadSample();
        benchmark::DoNotOptimize(sum);
    }
    state.counters["x_realtime"] =
        benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(decodeRecording, s4_48k, "known_text_s4_48k.wav")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(decodeRecording, s1_12k, "known_text_s1.wav")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(readRecording, s4_48k, "known_text_s4_48k.wav")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
