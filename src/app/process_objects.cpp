#include "app/process_objects.h"

#include <cstdio>
#include <cstdlib>

namespace veltrin {

ProcessObjects::ProcessObjects(ReceiveChainOptions& options, AppState& state)
    : texts(&interfaceTexts()),
      sockWork(std::make_unique<SockWork>()),
      waveRead(std::make_unique<TWaveRead>()),
      waveWrite(std::make_unique<TWaveWrite>()),
      receive(options, state)
{
}

ProcessObjects::~ProcessObjects() = default;

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
