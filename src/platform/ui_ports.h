#pragma once
// The small interfaces through which the Qt-free core reports to the window.
// The application implements them with widgets; tests with plain recorders.
// All texts are Windows-1251 bytes.
#include <string>

namespace veltrin {

// The main window's status bar (12 panels, 0-based).
class StatusPanels {
public:
    virtual ~StatusPanels() = default;
    virtual void setPanelText(int index, const std::string& text) = 0;
};

// Modal message boxes with an OK button. A headless run prints them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void showMessage(const std::string& text, const std::string& caption) = 0;
    // A question with OK and Cancel: true only for OK. Where nobody can
    // answer (headless), the answer is Cancel.
    virtual bool askOkCancel(const std::string& /*text*/, const std::string& /*caption*/) { return false; }
};

// Writes "caption: text" to standard error; used where no window exists.
class StderrMessageBoxes : public MessageBoxes {
public:
    void showMessage(const std::string& text, const std::string& caption) override;
};

class NullStatusPanels : public StatusPanels {
public:
    void setPanelText(int, const std::string&) override {}
};

}  // namespace veltrin
