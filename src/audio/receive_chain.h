#pragma once
// The receive chain, set up in one place for the station, the command-line
// decoder, the tests and the benchmarks: the capture FIFO, the four
// decoders (speeds 1, 4, 16, 32), the resampler, the two decimator stages
// and the sample chain that joins them. Members are created in the order of
// the station's process-wide objects and destroyed in the reverse order.
#include <array>
#include <memory>

#include "audio/buf_buf_fifo.h"
#include "audio/decimators.h"
#include "audio/sample_chain.h"
#include "audio/uni_resample.h"
#include "modem/ifsk16_decoder.h"

namespace veltrin {

class ReceiveChain {
public:
    // options and state must outlive the chain; its blocks read them live.
    ReceiveChain(ReceiveChainOptions& options, AppState& state);
    ~ReceiveChain();
    ReceiveChain(const ReceiveChain&) = delete;
    ReceiveChain& operator=(const ReceiveChain&) = delete;

    // The 57 coefficients of the first decimator stage (once, at start).
    void setupFirstDecimator();
    // Where all four decoders report; options are the chain's own.
    void setDecoderLinks(DecoderLinks links);

    TIfsk16Decoder& decoder(int index) { return *decoders_[static_cast<std::size_t>(index)]; }
    std::array<TIfsk16Decoder*, 4> decoderPointers() const;
    TBufBufFifo& fifo() { return *fifo_; }
    TUniResample& resampler() { return *resampler_; }
    Decimator2Ex& firstDecimator() { return *decimator1_; }
    Decimator2& secondDecimator() { return *decimator2_; }
    SampleChain& sampleChain() { return *chain_; }

private:
    ReceiveChainOptions& options_;
    std::array<std::unique_ptr<TIfsk16Decoder>, 4> decoders_;
    std::unique_ptr<TBufBufFifo> fifo_;
    std::unique_ptr<TUniResample> resampler_;
    std::unique_ptr<Decimator2Ex> decimator1_;
    std::unique_ptr<Decimator2> decimator2_;
    std::unique_ptr<SampleChain> chain_;
};

}  // namespace veltrin
