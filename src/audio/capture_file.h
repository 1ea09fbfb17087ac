#pragma once
// The WAV capture file of the live input: opening and closing it with the
// station's messages, the captureFileOpen flag and status panel 3. The
// window adds the file dialog and the menu items around it.
#include <string>

namespace veltrin {

struct AppState;
class TWaveWrite;
class MessageBoxes;
class StatusPanels;

class CaptureFileControl {
public:
    static constexpr int kPanel = 3;
    // Always 16-bit mono at the nominal device rate, whatever the calibration says.
    static constexpr int kChannels = 1;
    static constexpr int kBits = 16;
    static constexpr int kRate = 48000;

    CaptureFileControl(TWaveWrite& writer, AppState& state, MessageBoxes& boxes, StatusPanels& panels);

    // True when the file is open; a failure shows "Wave File Open Error!".
    bool open(const std::string& fileName);
    // Closes it and tells the user whether the file is sound.
    void close();

private:
    TWaveWrite& writer_;
    AppState& state_;
    MessageBoxes& boxes_;
    StatusPanels& panels_;
};

}  // namespace veltrin
