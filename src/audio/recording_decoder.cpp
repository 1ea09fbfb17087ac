#include "audio/recording_decoder.h"

#include <cmath>
#include <memory>

#include "app/app_state.h"
#include "app/settings.h"
#include "audio/buf_buf_fifo.h"
#include "audio/decimators.h"
#include "audio/sample_chain.h"
#include "audio/uni_resample.h"
#include "audio/wave_read.h"
#include "modem/ifsk16_decoder.h"

namespace veltrin {

namespace {

// Everything one file runs through; large (the decoders hold their FFT
// buffers), so it lives on the heap.
struct Station {
    Station(Settings& settings, const DecoderLinks& links)
        : chain(settings, state, fifo, first, second, resampler,
                {&decoders[0], &decoders[1], &decoders[2], &decoders[3]})
    {
        first.Setup(57, kDecimator57Taps);
        for (TIfsk16Decoder& d : decoders)
            d.setLinks(links);
    }

    AppState state;
    TBufBufFifo fifo;
    Decimator2Ex first;
    Decimator2 second;
    TUniResample resampler;
    std::array<TIfsk16Decoder, 4> decoders;
    SampleChain chain;
    TWaveRead reader;
};

}  // namespace

void applyRecordingOptions(const RecordingOptions& options, Settings& settings)
{
    settings.SamplingFreq = options.samplingFreq;
    settings.decimatedRate = options.samplingFreq * 0.25;
    settings.inverseManipulation = options.inverse ? 1 : 0;
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
    const DecoderLinks links{panels_, rx_, sink_, nullptr, &settings_};
    auto station = std::make_unique<Station>(settings_, links);
    station->chain.setupReceiveChain(settings_.centreFreqMilliHz * 0.001);
    return decodeWaveFile(path, station->reader, station->chain, station->state, hooks);
}

}  // namespace veltrin
