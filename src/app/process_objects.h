#pragma once
// The process-wide objects: created once before the main window, in this
// order, and destroyed after it in the reverse order. The station owns them;
// nothing else does.
#include <memory>

#include "audio/receive_chain.h"
#include "audio/wave_read.h"
#include "audio/wave_write.h"
#include "config/interface_texts.h"
#include "gateway/sock_work.h"

namespace veltrin {

struct ProcessObjects {
    // The receive chain's blocks read options and state while they run.
    ProcessObjects(ReceiveChainOptions& options, AppState& state);
    ~ProcessObjects();
    ProcessObjects(const ProcessObjects&) = delete;
    ProcessObjects& operator=(const ProcessObjects&) = delete;

    // Members are destroyed in the reverse order of their declaration.
    InterfaceTexts* texts;  // the defaults, process-wide (interfaceTexts())
    std::unique_ptr<SockWork> sockWork;
    std::unique_ptr<TWaveRead> waveRead;
    std::unique_ptr<TWaveWrite> waveWrite;
    // The four decoders, the FIFO, the resampler and the decimator stages.
    ReceiveChain receive;

    // When a worker thread had to be abandoned at shutdown it may still use
    // these objects, so they are not destroyed: files are closed here (the
    // capture header patched) and the process ends without destructors.
    [[noreturn]] static void endProcessKeeping(std::unique_ptr<ProcessObjects> objects, int exitCode);
};

}  // namespace veltrin
