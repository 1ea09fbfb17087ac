#pragma once
// TSetupForm: the setup dialog. For now it holds only its four buttons; the
// pages with the settings' controls are added with the dialog's own work.
// "Save" writes the settings file through the main window.
#include <QDialog>
#include <functional>

class QPushButton;

namespace veltrin {

class TSetupForm : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> apply;  // the dialog's values into effect
        std::function<void()> save;   // write the settings file
        std::function<void(int)> setDisplayHold;
    };

    explicit TSetupForm(QWidget* parent = nullptr);
    void setActions(Actions actions) { actions_ = std::move(actions); }

    void SetupOKClick();
    void SetupApplyClick();
    void SetupSaveClick();
    void SetupCancelClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void holdDisplay(int ticks);
    Actions actions_;
};

}  // namespace veltrin
