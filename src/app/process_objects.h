#pragma once
// The process-wide objects: created once before the main window, in this
// order, and destroyed after it in the reverse order. Nothing else owns them.
#include <array>
#include <memory>

#include "app/interface_texts.h"
#include "audio/buf_buf_fifo.h"
#include "audio/decimators.h"
#include "audio/uni_resample.h"
#include "audio/wave_read.h"
#include "audio/wave_write.h"
#include "gateway/sock_work.h"
#include "modem/ifsk16_decoder.h"

namespace veltrin {

struct ProcessObjects {
    ProcessObjects();
    ~ProcessObjects();
    ProcessObjects(const ProcessObjects&) = delete;
    ProcessObjects& operator=(const ProcessObjects&) = delete;

    // Members are destroyed in the reverse order of their declaration.
    InterfaceTexts* texts;  // the defaults, process-wide (interfaceTexts())
    std::unique_ptr<SockWork> sockWork;
    std::unique_ptr<TWaveRead> waveRead;
    std::unique_ptr<TWaveWrite> waveWrite;
    std::array<std::unique_ptr<TIfsk16Decoder>, 4> decoders;
    std::unique_ptr<TBufBufFifo> fifo;
    std::unique_ptr<TUniResample> resampler;
    std::unique_ptr<Decimator2Ex> decimator1;
    std::unique_ptr<Decimator2> decimator2;

    std::array<TIfsk16Decoder*, 4> decoderPointers() const;

    // When a worker thread had to be abandoned at shutdown it may still use
    // these objects, so they are not destroyed: files are closed here (the
    // capture header patched) and the process ends without destructors.
    [[noreturn]] static void endProcessKeeping(std::unique_ptr<ProcessObjects> objects, int exitCode);
};

}  // namespace veltrin
