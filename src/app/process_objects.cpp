#include "app/process_objects.h"

#include <cstdio>
#include <cstdlib>

namespace veltrin {

ProcessObjects::ProcessObjects()
    : texts(&interfaceTexts()),
      sockWork(std::make_unique<SockWork>()),
      waveRead(std::make_unique<TWaveRead>()),
      waveWrite(std::make_unique<TWaveWrite>())
{
    for (auto& decoder : decoders)
        decoder = std::make_unique<TIfsk16Decoder>();
    fifo = std::make_unique<TBufBufFifo>();
    resampler = std::make_unique<TUniResample>();
    decimator1 = std::make_unique<Decimator2Ex>();
    decimator2 = std::make_unique<Decimator2>();
}

ProcessObjects::~ProcessObjects()
{
    // Reverse order of creation, spelled out: the decoders' array would
    // otherwise be the only member whose inner order is implicit.
    decimator2.reset();
    decimator1.reset();
    resampler.reset();
    fifo.reset();
    for (int i = 3; i >= 0; --i)
        decoders[i].reset();
    waveWrite.reset();
    waveRead.reset();
    sockWork.reset();
}

std::array<TIfsk16Decoder*, 4> ProcessObjects::decoderPointers() const
{
    return {decoders[0].get(), decoders[1].get(), decoders[2].get(), decoders[3].get()};
}

void ProcessObjects::endProcessKeeping(std::unique_ptr<ProcessObjects> objects, int exitCode)
{
    if (objects) {
        objects->waveWrite->Close();
        objects->waveRead->Close();
        objects.release();  // deliberately kept alive for the abandoned thread
    }
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace veltrin
