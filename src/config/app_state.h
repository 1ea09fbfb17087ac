#pragma once
// Flags of the running application that several subsystems read. Main
// thread only.

namespace veltrin {

struct AppState {
    bool shuttingDown = false;      // set once when shutdown starts
    bool captureReopening = false;  // the capture device is being closed and reopened
    bool captureDeviceOpen = false; // a capture device is open
    bool decodingFromFile = false;  // a WAV file is being decoded
    bool fastDecoding = false;
    bool stopFileDecoding = false;
    bool captureFileOpen = false;   // the WAV capture file is open
    bool blockFromFile = false;     // source of the block last fed to the decoders
    bool fullRedraw = false;        // the display must redraw everything
    int displayHoldTicks = 0;       // timer ticks without spectrum drawing
};

}  // namespace veltrin
