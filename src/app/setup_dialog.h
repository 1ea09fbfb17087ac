#pragma once
// TSetupForm: the modeless setup dialog with its six pages. It only copies
// SetupValues into its controls and back; the rules of filling and applying
// are in setup_values.h and the station. "Save" writes the settings file
// through the main window.
#include <QDialog>
#include <QFont>
#include <functional>
#include <string>

#include "app/setup_values.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace veltrin {

class TSetupForm : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        // The dialog's values into effect; the values come back as the edits
        // show them afterwards.
        std::function<void(SetupValues&, const SetupLists&)> apply;
        std::function<void()> save;  // write the settings file
        std::function<void(int)> setDisplayHold;
        std::function<void(const QFont&)> fontChanged;  // the message font chosen
    };

    explicit TSetupForm(QWidget* parent = nullptr);
    void setActions(Actions actions) { actions_ = std::move(actions); }

    // fillSetupDialog: the values, the lists they index and the message font.
    void fill(const SetupValues& values, const SetupLists& lists, const QFont& messageFont,
              bool parallelDriverMissing);
    SetupValues values() const;

    // applySetupTexts: the captions of the "SetupForm" section of the
    // interface texts file, once, at the first showing.
    void applySetupTexts(const std::string& textsPath);

    void SetupOKClick();
    void SetupApplyClick();
    void SetupSaveClick();
    void SetupCancelClick();
    void MessageFontButtonClick();
    void PortTypeBoxChange();
    void PortNumberBoxChange();
    void PttPinBoxChange();
    // The font dialog's choice, as a confirmed MessageFontButtonClick gives it.
    void takeMessageFont(const QFont& font);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildInterfacePage(QTabWidget* pages);
    void buildSpeedsPage(QTabWidget* pages);
    void buildTextPage(QTabWidget* pages);
    void buildFontPage(QTabWidget* pages);
    void buildIGatePage(QTabWidget* pages);
    void buildTraccarPage(QTabWidget* pages);
    void holdDisplay(int ticks);
    void applyValues();
    void refillKeyingLists(int type, bool typeChosenByUser);

    Actions actions_;
    SetupLists lists_;
    bool filled_ = false;  // nothing to apply before the first filling
    bool fontChanged_ = false;
    bool textsLoaded_ = false;
    bool filling_ = false;
    bool parallelDriverMissing_ = false;
    std::string textsPath_;

    QTabWidget* PageControl1 = nullptr;
    QLineEdit* InSamplingRateEdit = nullptr;
    QComboBox* InCardNumBox = nullptr;
    QComboBox* InputCardChannelBox = nullptr;
    QCheckBox* ReverseBox = nullptr;
    QComboBox* GpsPortBox = nullptr;
    QComboBox* GpsSpeedBox = nullptr;
    QComboBox* OutputCardNumBox = nullptr;
    QComboBox* OutputCardChannelBox = nullptr;
    QLineEdit* OutSamplingRateEdit = nullptr;
    QComboBox* PortTypeBox = nullptr;
    QComboBox* PortNumberBox = nullptr;
    QLineEdit* XPortEdit = nullptr;
    QComboBox* PttPinBox = nullptr;
    QComboBox* Power1PinBox = nullptr;
    QComboBox* Power2PinBox = nullptr;
    QLabel* TessivalLabel1 = nullptr;
    QCheckBox* EnableX1box = nullptr;
    QCheckBox* EnableX4box = nullptr;
    QCheckBox* EnableX16box = nullptr;
    QCheckBox* EnableX32box = nullptr;
    QCheckBox* EnhancedDecoderBox = nullptr;
    QCheckBox* UseUtcBox = nullptr;
    QCheckBox* PutTimeBox = nullptr;
    QCheckBox* PutTimeFilesBox = nullptr;
    QCheckBox* AddCommentBox = nullptr;
    QLineEdit* CommentTextEdit = nullptr;
    QPlainTextEdit* MessageSampleMemo = nullptr;
    QCheckBox* EnableVeltrinBox1 = nullptr;
    QCheckBox* EnableCustomBox1 = nullptr;
    QLineEdit* AprsCallEdit = nullptr;
    QLineEdit* AprsPasswordEdit = nullptr;
    QLineEdit* AprsServerEdit1 = nullptr;
    QLineEdit* AprsServerEdit2 = nullptr;
    QLineEdit* AprsServerEdit3 = nullptr;
    QLineEdit* PositionBeaconEdit = nullptr;
    QLineEdit* StatusBeaconEdit = nullptr;
    QLineEdit* DefaultLatitudeEdit = nullptr;
    QLineEdit* DefaultLongitudeEdit = nullptr;
    QCheckBox* EnableTraccarBox0 = nullptr;
    QLineEdit* TraccarHostEdit0 = nullptr;
    QLineEdit* TraccartPortEdit0 = nullptr;
    QLineEdit* TraccarPathEdit0 = nullptr;
    QCheckBox* EnableTraccarBox1 = nullptr;
    QLineEdit* TraccarHostEdit1 = nullptr;
    QLineEdit* TraccartPortEdit1 = nullptr;
    QLineEdit* TraccarPathEdit1 = nullptr;
};

}  // namespace veltrin
