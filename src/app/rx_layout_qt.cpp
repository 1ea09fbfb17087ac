// The main window's controls, top to bottom: waterfall, scale, lamps and
// receive window, button row, beacon strip, browser, status bar.
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/level_meter_widget.h"
#include "app/rx_form.h"
#include "app/rx_memo_widget.h"
#include "app/status_bar_widget.h"
#include "browser/message_list_widget.h"
#include "browser/message_tree_widget.h"
#include "display/scale_widget.h"
#include "display/waterfall_widget.h"
#include "gateway/beacon_grid_widget.h"

namespace veltrin {

namespace {

// Designed sizes; the settings file may override the window's, the
// waterfall's and the browser's (Window section).
constexpr int kDesignedWidth = 860;
constexpr int kDesignedHeight = 760;
constexpr int kFftBoxHeight = 160;
constexpr int kScaleHeight = 20;
constexpr int kBrowserHeight = 260;
constexpr int kBeaconPanelHeight = 24;
constexpr int kBeaconGridHeight = 22;

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* lamp(QWidget* parent, const char* name, const char* tip)
{
    auto* label = named(new QLabel(parent), name);
    label->setFixedSize(20, 20);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAutoFillBackground(true);
    label->setToolTip(QString::fromLatin1(tip));
    return label;
}

}  // namespace

void TRxForm::buildControls()
{
    auto* central = named(new QWidget(this), "RxFormClient");
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Spectrum and its frequency scale (painted by the display).
    FFTBox = named(new WaterfallWidget(central), "FFTBox");
    FFTBox->setFixedHeight(kFftBoxHeight);
    column->addWidget(FFTBox);

    // The scale image sits inside a one-pixel border, so its column x is the
    // waterfall's column x + 1 (the scale's ticks allow for that).
    auto* scaleFrame = named(new QFrame(central), "ScalePanel");
    scaleFrame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    scaleFrame->setLineWidth(1);
    ScalePanel = scaleFrame;
    ScalePanel->setFixedHeight(kScaleHeight);
    auto* scaleLayout = new QHBoxLayout(ScalePanel);
    scaleLayout->setContentsMargins(0, 0, 0, 0);
    ScaleImage = named(new ScaleWidget(ScalePanel), "ScaleImage");
    ScaleImage->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    scaleLayout->addWidget(ScaleImage);
    column->addWidget(ScalePanel);

    // Lamps and the receive window take the height the window has to spare.
    Panel4 = named(new QFrame(central), "Panel4");
    auto* indicator = new QHBoxLayout(Panel4);
    indicator->setContentsMargins(2, 2, 2, 2);
    auto* lamps = new QVBoxLayout;
    ImageSync = lamp(Panel4, "ImageSync", "Signal");
    ImageRx = lamp(Panel4, "ImageRx", "Reception");
    ImageRxBusy = lamp(Panel4, "ImageRxBusy", "Channel busy");
    lamps->addWidget(ImageSync);
    lamps->addWidget(ImageRx);
    lamps->addWidget(ImageRxBusy);
    lamps->addStretch(1);
    indicator->addLayout(lamps);
    RxMemo = new RxMemoWidget(Panel4);
    indicator->addWidget(RxMemo, 1);
    column->addWidget(Panel4, 1);

    // Button row.
    Panel1 = named(new QFrame(central), "Panel1");
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(2, 2, 2, 2);
    OnTopButton = named(new QToolButton(Panel1), "OnTopButton");
    OnTopButton->setText(QStringLiteral("OnTop"));
    OnTopButton->setCheckable(true);
    connect(OnTopButton, &QToolButton::clicked, this, [this] { OnTopButtonClick(); });
    row->addWidget(OnTopButton);
    FastDecodingButton = named(new QToolButton(Panel1), "FastDecodingButton");
    FastDecodingButton->setText(QStringLiteral("FastD."));
    FastDecodingButton->setToolTip(QStringLiteral("Fast decoding from file"));
    FastDecodingButton->setCheckable(true);
    FastDecodingButton->setEnabled(false);
    row->addWidget(FastDecodingButton);
    FileProgressBar = named(new QProgressBar(Panel1), "FileProgressBar");
    FileProgressBar->setRange(0, 1000);
    FileProgressBar->setMaximumWidth(140);
    FileProgressBar->setToolTip(QStringLiteral("Decoding from file"));
    FileProgressBar->setVisible(false);
    row->addWidget(FileProgressBar);
    row->addStretch(1);
    PeekValProgressBar = new LevelMeterWidget(Panel1);
    row->addWidget(PeekValProgressBar);
    struct Step {
        const char* name;
        const char* text;
        int hz;
    };
    for (const Step& step : {Step{"FreqM10Btn", "<<", -10}, Step{"FreqM1Btn", "<", -1},
                             Step{"FreqP1Btn", ">", 1}, Step{"FreqP10Btn", ">>", 10}}) {
        auto* button = named(new QPushButton(QString::fromLatin1(step.text), Panel1), step.name);
        button->setFixedWidth(32);
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
        const int hz = step.hz;
        connect(button, &QPushButton::clicked, this, [this, hz] {
            if (hooks_.stepTune)
                hooks_.stepTune(hz);
        });
        row->addWidget(button);
    }
    column->addWidget(Panel1);

    // The 24-hour beacon strip (drawn by the beacon marks).
    PanelBeacon4h = named(new QFrame(central), "PanelBeacon4h");
    PanelBeacon4h->setFixedHeight(kBeaconPanelHeight);
    Beacon4hGrid = new BeaconGridWidget(PanelBeacon4h);  // follows the panel's resizes
    Beacon4hGrid->setFixedHeight(kBeaconGridHeight);
    column->addWidget(PanelBeacon4h);

    // Message browser: tree, message list or log text, GPS line.
    Panel2 = named(new QFrame(central), "Panel2");
    Panel2->setFixedHeight(kBrowserHeight);
    auto* browser = new QVBoxLayout(Panel2);
    browser->setContentsMargins(0, 0, 0, 0);
    browser->setSpacing(1);
    auto* split = named(new QSplitter(Qt::Horizontal, Panel2), "BrowserSplitter");
    LeftTree = new MessageTreeWidget(split);
    auto* right = new QWidget(split);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    StringGrid1 = new MessageListWidget(right);
    rightLayout->addWidget(StringGrid1);
    LogMemo = named(new QPlainTextEdit(right), "LogMemo");
    LogMemo->setReadOnly(true);
    LogMemo->setVisible(false);
    rightLayout->addWidget(LogMemo);
    split->addWidget(LeftTree);
    split->addWidget(right);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({130, 700});
    browser->addWidget(split, 1);
    GpsMemo = named(new QPlainTextEdit(Panel2), "GpsMemo");
    GpsMemo->setReadOnly(true);
    GpsMemo->setFixedHeight(GpsMemo->fontMetrics().height() + 10);
    GpsMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    browser->addWidget(GpsMemo);
    column->addWidget(Panel2);

    setCentralWidget(central);
    statusBar_ = new StatusBarPanels(this);
    setStatusBar(statusBar_);
    resize(kDesignedWidth, kDesignedHeight);
}

}  // namespace veltrin
