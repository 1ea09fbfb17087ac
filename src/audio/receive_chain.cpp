#include "audio/receive_chain.h"

namespace veltrin {

ReceiveChain::ReceiveChain(ReceiveChainOptions& options, AppState& state) : options_(options)
{
    for (auto& decoder : decoders_)
        decoder = std::make_unique<TIfsk16Decoder>();
    fifo_ = std::make_unique<TBufBufFifo>();
    resampler_ = std::make_unique<TUniResample>();
    decimator1_ = std::make_unique<Decimator2Ex>();
    decimator2_ = std::make_unique<Decimator2>();
    chain_ = std::make_unique<SampleChain>(options, state, *fifo_, *decimator1_, *decimator2_, *resampler_,
                                           decoderPointers());
    DecoderLinks links;
    links.options = &options_;
    setDecoderLinks(links);
}

ReceiveChain::~ReceiveChain()
{
    // Reverse order of creation, spelled out: the decoders' array would
    // otherwise be the only member whose inner order is implicit.
    chain_.reset();
    decimator2_.reset();
    decimator1_.reset();
    resampler_.reset();
    fifo_.reset();
    for (int i = 3; i >= 0; --i)
        decoders_[static_cast<std::size_t>(i)].reset();
}

void ReceiveChain::setupFirstDecimator()
{
    decimator1_->Setup(57, kDecimator57Taps);
}

void ReceiveChain::setDecoderLinks(DecoderLinks links)
{
    links.options = &options_;
    for (auto& decoder : decoders_)
        decoder->setLinks(links);
}

std::array<TIfsk16Decoder*, 4> ReceiveChain::decoderPointers() const
{
    return {decoders_[0].get(), decoders_[1].get(), decoders_[2].get(), decoders_[3].get()};
}

}  // namespace veltrin
