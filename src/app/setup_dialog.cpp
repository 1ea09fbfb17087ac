#include "app/setup_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "keying/keying_controls.h"
#include "platform/ini_file.h"
#include "platform/platform_qt.h"

namespace veltrin {

namespace {

constexpr int kHoldWhileOpen = 3000;
constexpr const char* kTextsSection = "SetupForm";

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(const char* name, const char* text, QWidget* parent)
{
    return named(new QLabel(QString::fromUtf8(text), parent), name);
}

QLineEdit* edit(const char* name, int maxLength, QWidget* parent)
{
    auto* e = named(new QLineEdit(parent), name);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

QCheckBox* check(const char* name, const char* text, QWidget* parent)
{
    return named(new QCheckBox(QString::fromUtf8(text), parent), name);
}

void setItems(QComboBox* box, const std::vector<std::string>& items)
{
    box->clear();
    for (const std::string& item : items)
        box->addItem(toQt(item));
}

void select(QComboBox* box, int index) { box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0); }

}  // namespace

TSetupForm::TSetupForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SetupForm"));
    setWindowTitle(QStringLiteral("Setup"));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);

    auto* layout = new QVBoxLayout(this);
    PageControl1 = named(new QTabWidget(this), "PageControl1");
    PageControl1->setUsesScrollButtons(false);  // all six page tabs in sight
    buildInterfacePage(PageControl1);
    buildSpeedsPage(PageControl1);
    buildTextPage(PageControl1);
    buildFontPage(PageControl1);
    buildIGatePage(PageControl1);
    buildTraccarPage(PageControl1);
    layout->addWidget(PageControl1);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto addButton = [&](const char* name, const char* text, void (TSetupForm::*handler)()) {
        auto* button = named(new QPushButton(QString::fromLatin1(text), this), name);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, handler);
        row->addWidget(button);
    };
    addButton("SetupOK", "OK", &TSetupForm::SetupOKClick);
    addButton("SetupApply", "Apply", &TSetupForm::SetupApplyClick);
    addButton("SetupSave", "Save", &TSetupForm::SetupSaveClick);
    addButton("SetupCancel", "Cancel", &TSetupForm::SetupCancelClick);
    layout->addLayout(row);
}

void TSetupForm::buildInterfacePage(QTabWidget* pages)
{
    auto* page = named(new QWidget(pages), "TabSheet1");
    auto* form = new QFormLayout(page);
    InSamplingRateEdit = edit("InSamplingRateEdit", 0, page);
    form->addRow(label("Label5", "Real input sampling rate:", page), InSamplingRateEdit);
    InCardNumBox = named(new QComboBox(page), "InCardNumBox");
    form->addRow(label("Label8", "Input soundcard:", page), InCardNumBox);
    InputCardChannelBox = named(new QComboBox(page), "InputCardChannelBox");
    InputCardChannelBox->addItems({QStringLiteral("Mono"), QStringLiteral("Left"), QStringLiteral("Right")});
    form->addRow(QString(), InputCardChannelBox);
    ReverseBox = check("ReverseBox", "Inverse manipulation (LSB)", page);
    form->addRow(QString(), ReverseBox);
    GpsPortBox = named(new QComboBox(page), "GpsPortBox");
    form->addRow(label("Label13", "GPS port:", page), GpsPortBox);
    GpsSpeedBox = named(new QComboBox(page), "GpsSpeedBox");
    GpsSpeedBox->setEditable(true);
    for (const char* speed : {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"})
        GpsSpeedBox->addItem(QString::fromLatin1(speed));
    form->addRow(label("Label14", "GPS port speed:", page), GpsSpeedBox);
    connect(GpsPortBox, &QComboBox::currentIndexChanged, this, [this] { PortNumberBoxChange(); });

    // The output device and the keying port are settings written by hand:
    // their controls exist, hidden, so that they travel with the others.
    OutputCardNumBox = named(new QComboBox(page), "OutputCardNumBox");
    OutputCardChannelBox = named(new QComboBox(page), "OutputCardChannelBox");
    OutputCardChannelBox->addItems({QStringLiteral("Mono"), QStringLiteral("Left"), QStringLiteral("Right")});
    OutSamplingRateEdit = edit("OutSamplingRateEdit", 0, page);
    PortTypeBox = named(new QComboBox(page), "PortTypeBox");
    PortNumberBox = named(new QComboBox(page), "PortNumberBox");
    XPortEdit = edit("XPortEdit", 4, page);
    PttPinBox = named(new QComboBox(page), "PttPinBox");
    Power1PinBox = named(new QComboBox(page), "Power1PinBox");
    Power2PinBox = named(new QComboBox(page), "Power2PinBox");
    TessivalLabel1 = label("TessivalLabel1", "+pins 16,1", page);
    for (QWidget* w : std::initializer_list<QWidget*>{
             OutputCardNumBox, OutputCardChannelBox, OutSamplingRateEdit, PortTypeBox, PortNumberBox, XPortEdit,
             PttPinBox, Power1PinBox, Power2PinBox, TessivalLabel1, label("Label29", "Output soundcard:", page),
             label("Label30", "Real output sampling rate:", page), label("Label2", "PTT port type:", page),
             label("Label4", "PTT port number:", page), label("PttLabel", "PTT pin:", page),
             label("Pwr1Label", "Power1 pin:", page), label("Pwr2Label", "Power2 pin:", page)})
        w->hide();
    connect(PortTypeBox, &QComboBox::currentIndexChanged, this, [this] { PortTypeBoxChange(); });
    connect(PortNumberBox, &QComboBox::currentIndexChanged, this, [this] { PortNumberBoxChange(); });
    connect(PttPinBox, &QComboBox::currentIndexChanged, this, [this] { PttPinBoxChange(); });
    pages->addTab(page, QStringLiteral(" Interface "));
}

void TSetupForm::buildSpeedsPage(QTabWidget* pages)
{
    auto* page = named(new QWidget(pages), "TabSheet3");
    auto* box = new QVBoxLayout(page);
    EnableX1box = check("EnableX1box", "Enable 1.46 Bd decoder", page);
    EnableX4box = check("EnableX4box", "Enable 5.86 Bd decoder", page);
    EnableX16box = check("EnableX16box", "Enable 23.44 Bd decoder", page);
    EnableX32box = check("EnableX32box", "Enable 46.88 Bd decoder", page);
    EnhancedDecoderBox = check("EnhancedDecoderBox", "Enhanced decoding of weak signals (more CPU)", page);
    for (QCheckBox* c : {EnableX1box, EnableX4box, EnableX16box, EnableX32box, EnhancedDecoderBox})
        box->addWidget(c);
    box->addStretch(1);
    pages->addTab(page, QStringLiteral("RX Speeds"));
}

void TSetupForm::buildTextPage(QTabWidget* pages)
{
    auto* page = named(new QWidget(pages), "TabSheet2");
    auto* box = new QVBoxLayout(page);
    UseUtcBox = check("UseUtcBox", "Use UTC time", page);
    PutTimeBox = check("PutTimeBox", "Put time marks to raw log files", page);
    PutTimeFilesBox = check("PutTimeFilesBox", "Put time marks to messages files", page);
    AddCommentBox = check("AddCommentBox", "Add this comment to messages files:", page);
    CommentTextEdit = edit("CommentTextEdit", 0, page);
    for (QWidget* w : std::initializer_list<QWidget*>{UseUtcBox, PutTimeBox, PutTimeFilesBox, AddCommentBox,
                                                      CommentTextEdit})
        box->addWidget(w);
    box->addStretch(1);
    pages->addTab(page, QStringLiteral(" Text "));
}

void TSetupForm::buildFontPage(QTabWidget* pages)
{
    auto* page = named(new QWidget(pages), "TabSheet4");
    auto* box = new QVBoxLayout(page);
    box->addWidget(label("Label12", "RX window font", page));
    MessageSampleMemo = named(new QPlainTextEdit(page), "MessageSampleMemo");
    MessageSampleMemo->setReadOnly(true);
    MessageSampleMemo->setPlainText(QString::fromUtf8("Sample text ABCD АБВГ\nABCD abcd АБВГ абвг"));
    box->addWidget(MessageSampleMemo);
    auto* button = named(new QPushButton(QStringLiteral("Set"), page), "MessageFontButton");
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, &TSetupForm::MessageFontButtonClick);
    box->addWidget(button, 0, Qt::AlignLeft);
    pages->addTab(page, QStringLiteral(" Fonts && colors"));
}

void TSetupForm::buildIGatePage(QTabWidget* pages)
{
    auto* page = named(new QWidget(pages), "TabSheet5");
    auto* form = new QFormLayout(page);
    EnableVeltrinBox1 = check("EnableVeltrinBox1", "Enable I-GATE", page);
    EnableCustomBox1 = check("EnableCustomBox1", "Enable custom APRS packets", page);
    form->addRow(EnableVeltrinBox1);
    form->addRow(EnableCustomBox1);
    struct Row {
        QLineEdit*& field;
        const char* name;
        const char* text;
        int max;
    };
    const Row rows[] = {
        {AprsCallEdit, "AprsCallEdit", "APRS Callsign:", kAprsCallInputMax},
        {AprsPasswordEdit, "AprsPasswordEdit", "APRS Password:", 0},
        {AprsServerEdit1, "AprsServerEdit1", "Main server address:", kAprsServerInputMax},
        {AprsServerEdit2, "AprsServerEdit2", "2nd server address:", kAprsServerInputMax},
        {AprsServerEdit3, "AprsServerEdit3", "Third server address:", kAprsServerInputMax},
        {PositionBeaconEdit, "PositionBeaconEdit", "Position beacon:", kPositionBeaconInputMax},
        {StatusBeaconEdit, "StatusBeaconEdit", "Status beacon:", kStatusBeaconInputMax},
    };
    for (const Row& r : rows) {
        r.field = edit(r.name, r.max, page);
        form->addRow(QString::fromLatin1(r.text), r.field);
    }
    form->addRow(new QLabel(QStringLiteral("Use these coordinates if GPS is not used:"), page));
    DefaultLatitudeEdit = edit("DefaultLatitudeEdit", kCoordinateInputMax, page);
    DefaultLongitudeEdit = edit("DefaultLongitudeEdit", kCoordinateInputMax, page);
    form->addRow(QStringLiteral("Latitude:"), DefaultLatitudeEdit);
    form->addRow(QStringLiteral("Longitude:"), DefaultLongitudeEdit);
    pages->addTab(page, QStringLiteral("I-GATE"));
}

void TSetupForm::buildTraccarPage(QTabWidget* pages)
{
    auto* page = named(new QWidget(pages), "TabSheet6");
    auto* form = new QFormLayout(page);
    auto client = [&](int n, QCheckBox*& enable, QLineEdit*& host, QLineEdit*& port, QLineEdit*& path) {
        const std::string i = std::to_string(n);
        enable = check(("EnableTraccarBox" + i).c_str(), ("Enable TracCar (OsmAnd) client #" + i).c_str(), page);
        host = edit(("TraccarHostEdit" + i).c_str(), kTraccarTextInputMax, page);
        port = edit(("TraccartPortEdit" + i).c_str(), kTraccarPortInputMax, page);
        path = edit(("TraccarPathEdit" + i).c_str(), kTraccarTextInputMax, page);
        form->addRow(enable);
        form->addRow(QString::fromStdString("Server" + i + " address:"), host);
        form->addRow(QString::fromStdString("Server" + i + " port:"), port);
        form->addRow(QString::fromStdString("Server" + i + " path"), path);
    };
    client(0, EnableTraccarBox0, TraccarHostEdit0, TraccartPortEdit0, TraccarPathEdit0);
    client(1, EnableTraccarBox1, TraccarHostEdit1, TraccartPortEdit1, TraccarPathEdit1);
    pages->addTab(page, QStringLiteral("Traccar Gate"));
}

void TSetupForm::fill(const SetupValues& v, const SetupLists& lists, const QFont& messageFont,
                      bool parallelDriverMissing)
{
    filling_ = true;
    filled_ = true;
    lists_ = lists;
    parallelDriverMissing_ = parallelDriverMissing;
    ReverseBox->setChecked(v.reverse);
    InCardNumBox->clear();
    for (const AudioSourceChoice& choice : lists.audioChoices)
        InCardNumBox->addItem(toQt(choice.label));
    select(InCardNumBox, v.inCardIndex);
    setItems(OutputCardNumBox, lists.outputItems);
    select(OutputCardNumBox, v.outCardIndex);
    select(InputCardChannelBox, v.inputChannel);
    select(OutputCardChannelBox, v.outChannel);
    InSamplingRateEdit->setText(toQt(v.inSamplingRate));
    OutSamplingRateEdit->setText(toQt(v.outSamplingRate));

    setItems(PortTypeBox, keyingPortTypeItems(parallelDriverMissing));
    select(PortTypeBox, v.portType);
    refillKeyingLists(PortTypeBox->currentIndex(), false);
    select(PortNumberBox, v.portNumberIndex);
    select(PttPinBox, v.pttIndex);
    select(Power1PinBox, v.power1Index);
    select(Power2PinBox, v.power2Index);
    XPortEdit->setText(toQt(v.portAddress));

    setItems(GpsPortBox, lists.gpsPortItems);
    select(GpsPortBox, v.gpsPortIndex);
    GpsSpeedBox->setCurrentText(toQt(v.gpsSpeed));
    filling_ = false;
    PortNumberBoxChange();

    UseUtcBox->setChecked(v.useUtc);
    PutTimeBox->setChecked(v.putTime);
    PutTimeFilesBox->setChecked(v.putTimeFiles);
    AddCommentBox->setChecked(v.addComment);
    CommentTextEdit->setText(toQt(v.commentText));
    fontChanged_ = false;
    MessageSampleMemo->setFont(messageFont);

    EnableVeltrinBox1->setChecked(v.veltrinEnabled);
    EnableCustomBox1->setChecked(v.customEnabled);
    AprsCallEdit->setText(toQt(v.aprsCall));
    AprsPasswordEdit->setText(toQt(v.aprsPassword));
    AprsServerEdit1->setText(toQt(v.aprsServer1));
    AprsServerEdit2->setText(toQt(v.aprsServer2));
    AprsServerEdit3->setText(toQt(v.aprsServer3));
    PositionBeaconEdit->setText(toQt(v.positionBeacon));
    StatusBeaconEdit->setText(toQt(v.statusBeacon));
    DefaultLatitudeEdit->setText(toQt(v.defaultLatitude));
    DefaultLongitudeEdit->setText(toQt(v.defaultLongitude));

    EnableTraccarBox0->setChecked(v.traccar0);
    EnableTraccarBox1->setChecked(v.traccar1);
    TraccarHostEdit0->setText(toQt(v.traccarHost0));
    TraccarHostEdit1->setText(toQt(v.traccarHost1));
    TraccartPortEdit0->setText(toQt(v.traccarPort0));
    TraccartPortEdit1->setText(toQt(v.traccarPort1));
    TraccarPathEdit0->setText(toQt(v.traccarPath0));
    TraccarPathEdit1->setText(toQt(v.traccarPath1));

    EnableX1box->setChecked(v.enableX1);
    EnableX4box->setChecked(v.enableX4);
    EnableX16box->setChecked(v.enableX16);
    EnableX32box->setChecked(v.enableX32);
    EnhancedDecoderBox->setChecked(v.enhanced);
}

SetupValues TSetupForm::values() const
{
    SetupValues v;
    v.reverse = ReverseBox->isChecked();
    v.inCardIndex = InCardNumBox->currentIndex();
    v.outCardIndex = OutputCardNumBox->currentIndex();
    v.inputChannel = InputCardChannelBox->currentIndex();
    v.outChannel = OutputCardChannelBox->currentIndex();
    v.inSamplingRate = fromQt(InSamplingRateEdit->text());
    v.outSamplingRate = fromQt(OutSamplingRateEdit->text());
    v.portType = PortTypeBox->currentIndex();
    v.portNumberIndex = PortNumberBox->currentIndex();
    v.portAddress = fromQt(XPortEdit->text());
    v.pttIndex = PttPinBox->currentIndex();
    v.power1Index = Power1PinBox->currentIndex();
    v.power2Index = Power2PinBox->currentIndex();
    v.gpsPortIndex = GpsPortBox->currentIndex();
    v.gpsSpeed = fromQt(GpsSpeedBox->currentText());
    v.useUtc = UseUtcBox->isChecked();
    v.putTime = PutTimeBox->isChecked();
    v.putTimeFiles = PutTimeFilesBox->isChecked();
    v.addComment = AddCommentBox->isChecked();
    v.commentText = fromQt(CommentTextEdit->text());
    v.veltrinEnabled = EnableVeltrinBox1->isChecked();
    v.customEnabled = EnableCustomBox1->isChecked();
    v.aprsCall = fromQt(AprsCallEdit->text());
    v.aprsPassword = fromQt(AprsPasswordEdit->text());
    v.aprsServer1 = fromQt(AprsServerEdit1->text());
    v.aprsServer2 = fromQt(AprsServerEdit2->text());
    v.aprsServer3 = fromQt(AprsServerEdit3->text());
    v.positionBeacon = fromQt(PositionBeaconEdit->text());
    v.statusBeacon = fromQt(StatusBeaconEdit->text());
    v.defaultLatitude = fromQt(DefaultLatitudeEdit->text());
    v.defaultLongitude = fromQt(DefaultLongitudeEdit->text());
    v.traccar0 = EnableTraccarBox0->isChecked();
    v.traccar1 = EnableTraccarBox1->isChecked();
    v.traccarHost0 = fromQt(TraccarHostEdit0->text());
    v.traccarHost1 = fromQt(TraccarHostEdit1->text());
    v.traccarPort0 = fromQt(TraccartPortEdit0->text());
    v.traccarPort1 = fromQt(TraccartPortEdit1->text());
    v.traccarPath0 = fromQt(TraccarPathEdit0->text());
    v.traccarPath1 = fromQt(TraccarPathEdit1->text());
    v.enableX1 = EnableX1box->isChecked();
    v.enableX4 = EnableX4box->isChecked();
    v.enableX16 = EnableX16box->isChecked();
    v.enableX32 = EnableX32box->isChecked();
    v.enhanced = EnhancedDecoderBox->isChecked();
    return v;
}

void TSetupForm::refillKeyingLists(int type, bool typeChosenByUser)
{
    const bool wasFilling = filling_;
    filling_ = true;
    const int previousNumber = PortNumberBox->currentIndex();
    setItems(PortNumberBox, keyingPortNumberItems(type));
    const std::vector<std::string> pins = keyingPinItems(type);
    for (QComboBox* box : {PttPinBox, Power1PinBox, Power2PinBox})
        setItems(box, pins);
    const KeyingPositions p = keyingPositionsForType(type, previousNumber);
    select(PortNumberBox, p.portNumber);
    if (typeChosenByUser) {
        select(PttPinBox, p.ptt);
        select(Power1PinBox, p.power1);
        select(Power2PinBox, p.power2);
    }
    TessivalLabel1->setProperty("shownForType", type == 3);
    filling_ = wasFilling;
}

void TSetupForm::PortTypeBoxChange()
{
    if (filling_)
        return;
    int type = PortTypeBox->currentIndex();
    // Without a parallel port the LPT items read "NONE" and mean it.
    if (type < 0 || type > 3 || (parallelDriverMissing_ && type >= 2)) {
        type = 0;
        filling_ = true;
        PortTypeBox->setCurrentIndex(0);
        filling_ = false;
    }
    refillKeyingLists(type, true);
    PortNumberBoxChange();
}

void TSetupForm::PortNumberBoxChange()
{
    if (filling_)
        return;
    XPortEdit->setProperty("shownForNumber",
                           keyingAddressShown(PortTypeBox->currentIndex(), PortNumberBox->currentIndex()));
    // The GPS receiver and the keying port cannot share a COM port.
    if (PortTypeBox->currentIndex() == 1 && GpsPortBox->currentIndex() == PortNumberBox->currentIndex() + 1)
        GpsPortBox->setCurrentIndex(0);
}

void TSetupForm::PttPinBoxChange()
{
    if (filling_)
        return;
    const int ptt = PttPinBox->currentIndex();
    for (QComboBox* power : {Power1PinBox, Power2PinBox}) {
        if (power->currentIndex() != 0 && power->currentIndex() == ptt)
            power->setCurrentIndex(0);
    }
}

void TSetupForm::MessageFontButtonClick()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, MessageSampleMemo->font(), this, QStringLiteral("Font"));
    if (ok)
        takeMessageFont(font);
}

void TSetupForm::takeMessageFont(const QFont& font)
{
    MessageSampleMemo->setFont(font);
    fontChanged_ = true;
}

void TSetupForm::applySetupTexts(const std::string& textsPath)
{
    textsPath_ = textsPath;
    if (textsLoaded_ || !isVisible())
        return;
    textsLoaded_ = true;
    std::error_code ec;
    if (!std::filesystem::exists(textsPath, ec))
        return;
    const IniFile ini(textsPath);
    static const char* const kKeys[] = {
        "SetupOK", "SetupApply", "SetupSave", "SetupCancel", "TabSheet1", "Label5", "Label8", "Label29", "Label30",
        "Label2", "Label4", "PttLabel", "TessivalLabel1", "Pwr1Label", "Pwr2Label", "Label13", "Label14",
        "ReverseBox", "TabSheet2", "UseUtcBox", "PutTimeBox", "PutTimeFilesBox", "AddCommentBox", "TabSheet4",
        "Label12", "MessageFontButton",
    };
    for (const char* key : kKeys) {
        const std::string value = ini.readString(kTextsSection, key, "");
        if (value.empty())
            continue;
        const QString text = toQt(value);
        const QString name = QString::fromLatin1(key);
        if (auto* page = PageControl1->findChild<QWidget*>(name); page && name.startsWith(QStringLiteral("TabSheet")))
            PageControl1->setTabText(PageControl1->indexOf(page), text);
        else if (auto* button = findChild<QAbstractButton*>(name))
            button->setText(text);
        else if (auto* l = findChild<QLabel*>(name))
            l->setText(text);
    }
}

void TSetupForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    applySetupTexts(textsPath_);
}

void TSetupForm::holdDisplay(int ticks)
{
    if (actions_.setDisplayHold)
        actions_.setDisplayHold(ticks);
}

void TSetupForm::applyValues()
{
    if (!filled_)
        return;
    SetupValues v = values();
    if (actions_.apply)
        actions_.apply(v, lists_);
    // The edits show what was stored (a Traccar port "50x5" reads 50).
    TraccartPortEdit0->setText(toQt(v.traccarPort0));
    TraccartPortEdit1->setText(toQt(v.traccarPort1));
    if (fontChanged_) {
        fontChanged_ = false;
        if (actions_.fontChanged)
            actions_.fontChanged(MessageSampleMemo->font());
    }
}

void TSetupForm::SetupOKClick()
{
    applyValues();
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    hide();
    holdDisplay(0);
}

void TSetupForm::SetupApplyClick()
{
    holdDisplay(kHoldWhileOpen);
    applyValues();
}

void TSetupForm::SetupSaveClick()
{
    holdDisplay(kHoldWhileOpen);
    applyValues();
    if (actions_.save)
        actions_.save();
}

void TSetupForm::SetupCancelClick()
{
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    hide();
    holdDisplay(0);
}

void TSetupForm::closeEvent(QCloseEvent* event)
{
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    holdDisplay(0);
    event->accept();
}

}  // namespace veltrin
