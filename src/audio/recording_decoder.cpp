#include "audio/recording_decoder.h"

#include <cmath>
#include <memory>

#include "config/app_state.h"
#include "config/settings.h"
#include "audio/receive_chain.h"
#include "audio/wave_read.h"

namespace veltrin {

namespace {

// Everything one file runs through; large (the decoders hold their FFT
// buffers), so it lives on the heap.
struct Station {
    Station(Settings& settings, const DecoderLinks& links) : receive(settings, state)
    {
        receive.setupFirstDecimator();
        receive.setDecoderLinks(links);
    }

    AppState state;
    ReceiveChain receive;
    TWaveRead reader;
};

}  // namespace

void applyRecordingOptions(const RecordingOptions& options, Settings& settings)
{
    settings.SamplingFreq = options.samplingFreq;
    settings.decimatedRate = options.samplingFreq * 0.25;
    settings.inverseManipulation = options.inverse ? 1 : 0;
    settings.enhancedDecoder = options.enhanced ? 1 : 0;
    settings.EnableX1Rx = options.enabled[0] ? 1 : 0;
    settings.EnableX4Rx = options.enabled[1] ? 1 : 0;
    settings.EnableX16Rx = options.enabled[2] ? 1 : 0;
    settings.EnableX32Rx = options.enabled[3] ? 1 : 0;
    settings.centreFreqMilliHz = static_cast<int>(std::lround(options.centreHz * 1000.0));
}

RecordingDecoder::RecordingDecoder(Settings& settings) : settings_(settings) {}

void RecordingDecoder::setOutlets(MessageSink* sink, RxTextSink* rx, StatusPanels* panels)
{
    sink_ = sink;
    rx_ = rx;
    panels_ = panels;
}

FileDecodeResult RecordingDecoder::decode(const std::string& path, const FileDecodeHooks& hooks)
{
    DecoderLinks links;
    links.status = panels_;
    links.rx = rx_;
    links.sink = sink_;
    auto station = std::make_unique<Station>(settings_, links);
    SampleChain& chain = station->receive.sampleChain();
    chain.setupReceiveChain(settings_.centreFreqMilliHz * 0.001);
    return decodeWaveFile(path, station->reader, chain, station->state, hooks);
}

}  // namespace veltrin
