#include "audio/capture_file.h"

#include "config/app_state.h"
#include "audio/wave_write.h"
#include "platform/ui_ports.h"

namespace veltrin {

CaptureFileControl::CaptureFileControl(TWaveWrite& writer, AppState& state, MessageBoxes& boxes,
                                       StatusPanels& panels)
    : writer_(writer), state_(state), boxes_(boxes), panels_(panels)
{
}

bool CaptureFileControl::open(const std::string& fileName)
{
    if (writer_.Open(fileName, kChannels, kBits, kRate) != 0) {
        boxes_.showMessage("Wave File Open Error!", "File Error");
        return false;
    }
    state_.captureFileOpen = true;
    panels_.setPanelText(kPanel, "W.Capt");
    return true;
}

void CaptureFileControl::close()
{
    state_.captureFileOpen = false;
    if (writer_.Close() == 0)
        boxes_.showMessage("Wave capture file was closed", "File Closed");
    else
        boxes_.showMessage("There was errors in wave capture file!", "File Error");
    panels_.setPanelText(kPanel, "");
}

}  // namespace veltrin
