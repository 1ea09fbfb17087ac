#pragma once
// The WAV items of the main window: decoding a recording (File menu,
// Ctrl+Alt+G, the "FastD." button, a progress bar while it runs) and the
// capture file (File menu, Alt+Q, status panel 3).
#include <functional>
#include <string>


namespace veltrin {

class TRxForm;
enum class FileDecodeResult;

class WaveMenu {
public:
    // Which file to use; an empty result means the dialog was cancelled.
    using FileChooser = std::function<std::string()>;

    explicit WaveMenu(TRxForm& form);

    void DecodeFromFile1Click();
    void StopDecodingFromFile1Click();
    void FastDecodingButtonClick();
    void OpenWaveCaptureFile1Click();
    void CloseWaveCaptureFile1Click();

    // The dialogs by default; tests choose files themselves.
    void setDecodeFileChooser(FileChooser chooser) { chooseDecodeFile_ = std::move(chooser); }
    void setCaptureFileChooser(FileChooser chooser) { chooseCaptureFile_ = std::move(chooser); }
    bool decodeRunning() const { return decodeBusy_; }

private:
    std::string askDecodeFile();
    std::string askCaptureFile();
    // After the station opened or closed the capture file.
    void captureFileChanged();
    void finishDecoding(FileDecodeResult result);
    void setItemEnabled(const char* name, bool enabled);

    TRxForm& form_;
    FileChooser chooseDecodeFile_;
    FileChooser chooseCaptureFile_;
    bool decodeBusy_ = false;
    bool openBusy_ = false;
    bool closeBusy_ = false;
};

}  // namespace veltrin
