// The spectrum display in the main window, offscreen: menus, buttons and
// panels, what FFTBox and ScaleImage paint, Ctrl-click tuning on both, the
// lamps, and a recording played through the window whose tones show at
// their columns.
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include "gateway/loopback_server.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

#include "../app_gui/gui_fixture.h"
#include "gateway/loopback_server.h"
#include "app/status_bar_widget.h"
#include "audio/sample_chain.h"
#include "display/lamp_images_qt.h"
#include "display/spectrum_display.h"
#include "modem/decoder_shared.h"
#include "platform/window_messages.h"

namespace veltrin::testing {
namespace {

namespace fs = std::filesystem;

constexpr double kBin = 12000.0 / 8192.0;

class DisplayWindow : public WindowFixture {
protected:
    TRxForm& open(StationEnvironment env)
    {
        TRxForm& w = createWindow(environment(), std::move(env));
        showAndActivate();
        return w;
    }
    // No audio at all: the spectra a test hands over are the only ones (the
    // quiet test card would deliver spectra of its own).
    TRxForm& open()
    {
        StationEnvironment env = stationEnvironment();
        env.audioSource = "udp:127.0.0.1:" + std::to_string(test::freeLoopbackUdpPort());
        return open(std::move(env));
    }

    QWidget* widget(const char* name) { return form->findChild<QWidget*>(QString::fromLatin1(name)); }
    DecoderShared& shared() { return form->station().decoderShared(); }

    // Hands a spectrum to the window as the speed-1 decoder does.
    void postSpectrum()
    {
        shared().spectrumPending = 1;
        form->poster().postWindowMessage(WM_SPECTRUM_READY, 0);
        ASSERT_TRUE(pumpUntil([&] { return shared().spectrumPending == 0; }));
        QCoreApplication::processEvents();
    }

    // A Ctrl or plain mouse event at column x of the widget, left button held.
    void mouse(QWidget* target, QEvent::Type type, int x, Qt::KeyboardModifiers modifiers)
    {
        const QPointF local(x, 5);
        QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(target, &event);
    }

    int tunedHz() { return form->settings().centreFreqMilliHz / 1000; }
};

// The palette index behind a painted colour (the highest of equal colours).
std::map<QRgb, int> paletteIndexByColour(const WaterfallPalette& palette)
{
    std::map<QRgb, int> index;
    for (int i = 0; i < WaterfallPalette::kColours; ++i) {
        const Rgb c = palette.colour(i);
        index[qRgb(c.red, c.green, c.blue)] = i;
    }
    return index;
}

TEST_F(DisplayWindow, FrequencyMenuButtonsAndBrightnessTuneAndShowInPanelOne)
{
    TRxForm& w = open();
    EXPECT_EQ(w.findChild<QMenu*>(QStringLiteral("CnterFreq1"))->title(), QStringLiteral("Frequency"));
    EXPECT_EQ(w.findChild<QMenu*>(QStringLiteral("Waterfall1"))->title(), QStringLiteral("Waterfall Brightness"));
    EXPECT_EQ(w.statusPanels().panelText(1), QStringLiteral("1700 Hz"));
    EXPECT_TRUE(w.action(QStringLiteral("CF_1700"))->isChecked());

    w.action(QStringLiteral("CF_1200"))->trigger();
    EXPECT_TRUE(w.action(QStringLiteral("CF_1200"))->isChecked());
    EXPECT_FALSE(w.action(QStringLiteral("CF_1700"))->isChecked());
    EXPECT_EQ(w.statusPanels().panelText(1), QStringLiteral("1200 Hz"));
    EXPECT_EQ(w.settings().displayCentre, 1200);
    EXPECT_EQ(tunedHz(), 1200);
    EXPECT_TRUE(w.state().fullRedraw);

    struct Press {
        const char* button;
        int hz;
    };
    for (const Press& p : {Press{"FreqP10Btn", 1210}, Press{"FreqP1Btn", 1211}, Press{"FreqM1Btn", 1210},
                           Press{"FreqM10Btn", 1200}, Press{"FreqM10Btn", 1190}}) {
        w.findChild<QPushButton*>(QString::fromLatin1(p.button))->click();
        EXPECT_EQ(tunedHz(), p.hz) << p.button;
    }
    EXPECT_EQ(w.settings().displayCentre, 1200);  // steps between menu values leave the centre
    postSpectrum();
    EXPECT_EQ(w.statusPanels().panelText(2), QStringLiteral("1190 Hz"));

    w.action(QStringLiteral("PreampX64"))->trigger();
    EXPECT_EQ(w.settings().waterfallGain, 64);
    EXPECT_TRUE(w.action(QStringLiteral("PreampX64"))->isChecked());
}

TEST_F(DisplayWindow, WaterfallAndScalePaintTheSpectrumMarkersAndTicks)
{
    TRxForm& w = open();
    const SpectrumDisplay& display = w.spectrumDisplay();
    QWidget* box = widget("FFTBox");
    const DisplayGeometry g = display.geometry();
    ASSERT_EQ(g.width, box->width());
    // One full-scale bin at 1500 Hz, the rest silent.
    const int bin = static_cast<int>(std::lround(1500.0 / kBin));
    shared().SpectrumRe[bin] = 134217728.0f;
    for (int i = 0; i < 3; ++i)
        postSpectrum();
    ASSERT_EQ(display.linesDrawn(), 3);

    const QImage shot = box->grab().toImage();
    auto colour = [&](int i) {
        const Rgb c = display.palette().colour(i);
        return qRgb(c.red, c.green, c.blue);
    };
    const int x = bin - g.firstBin;
    for (int y : {0, 1, 2})
        EXPECT_EQ(shot.pixel(x, y), colour(10000)) << y;
    EXPECT_EQ(shot.pixel(x + 3, 0), colour(1));   // silence: the weakest
    EXPECT_EQ(shot.pixel(x, 3), colour(0));       // below the three lines
    EXPECT_NE(colour(1), colour(10000));
    // The yellow lines of the speed-1 band from top to bottom.
    const int yellow = g.columnOf(w.station().receiveChain().decoder(0).bandLo());
    EXPECT_EQ(shot.pixel(yellow, 0), qRgb(255, 255, 0));
    EXPECT_EQ(shot.pixel(yellow, box->height() - 1), qRgb(255, 255, 0));
    // A search marker only in the lower third.
    const int search = g.columnOf(w.station().receiveChain().decoder(1).searchLo());
    EXPECT_EQ(shot.pixel(search, box->height() - 1), qRgb(240, 240, 240));
    EXPECT_NE(shot.pixel(search, 0), qRgb(240, 240, 240));

    // The scale: black ticks and their labels on the button face.
    QWidget* scale = widget("ScaleImage");
    const QImage ruler = scale->grab().toImage();
    ASSERT_FALSE(display.scale().empty());
    const QRgb face = scale->palette().color(QPalette::Button).rgb();
    for (const ScaleTick& tick : display.scale()) {
        EXPECT_EQ(ruler.pixel(tick.x, 0), qRgb(0, 0, 0)) << tick.hz;
        EXPECT_EQ(ruler.pixel(tick.x, tick.length - 1), qRgb(0, 0, 0)) << tick.hz;
        if (tick.length < 17) {
            EXPECT_EQ(ruler.pixel(tick.x, tick.length + 1), face) << tick.hz;
        }
        int ink = 0;  // the label right of the tick
        for (int dx = 2; dx < 24 && tick.x + dx < ruler.width(); ++dx)
            for (int y = 5; y < ruler.height(); ++y)
                ink += qGray(ruler.pixel(tick.x + dx, y)) < 128;
        EXPECT_GT(ink, 10) << tick.hz;
    }
    // Its column 0 is the waterfall's column 1.
    EXPECT_EQ(scale->mapTo(&w, QPoint(0, 0)).x(), box->mapTo(&w, QPoint(0, 0)).x() + 1);
}

TEST_F(DisplayWindow, CtrlClickOnWaterfallOrScaleTunesToTheFrequencyThere)
{
    TRxForm& w = open();
    postSpectrum();
    QWidget* box = widget("FFTBox");
    QWidget* scale = widget("ScaleImage");
    const DisplayGeometry g = w.spectrumDisplay().geometry();

    mouse(box, QEvent::MouseButtonPress, 300, Qt::NoModifier);  // a plain click does nothing
    EXPECT_EQ(tunedHz(), 1700);

    // Each label of the scale and its waterfall column tune alike.
    for (const ScaleTick& tick : w.spectrumDisplay().scale()) {
        mouse(scale, QEvent::MouseButtonPress, tick.x, Qt::ControlModifier);
        const int fromScale = tunedHz();
        EXPECT_LE(std::abs(fromScale - tick.hz), 1) << tick.hz;
        w.action(QStringLiteral("CF_1700"))->trigger();
        mouse(box, QEvent::MouseButtonPress, tick.x + 1, Qt::ControlModifier);
        EXPECT_EQ(tunedHz(), fromScale) << tick.hz;
        w.action(QStringLiteral("CF_1700"))->trigger();
    }

    // A Ctrl-drag retunes at every move and leaves the display centre.
    mouse(box, QEvent::MouseButtonPress, 200, Qt::ControlModifier);
    std::set<int> tuned;
    for (int x = 200; x <= 260; x += 15) {
        mouse(box, QEvent::MouseMove, x, Qt::ControlModifier);
        tuned.insert(tunedHz());
        EXPECT_EQ(tunedHz(), static_cast<int>(std::floor(g.frequencyAt(x) + 0.5)));
    }
    EXPECT_EQ(tuned.size(), 5u);
    EXPECT_EQ(w.settings().displayCentre, 1700);
}

TEST_F(DisplayWindow, LampsShowThePicturesOfTheirIndices)
{
    TRxForm& w = open();
    auto picture = [&](const char* name) {
        return form->findChild<QLabel*>(QString::fromLatin1(name))->pixmap().toImage();
    };
    EXPECT_EQ(picture("ImageSync"), lampImage(Lamp::Sync, 0).toImage());
    EXPECT_EQ(picture("ImageRx"), lampImage(Lamp::Rx, 7).toImage());
    EXPECT_EQ(picture("ImageRxBusy"), lampImage(Lamp::RxBusy, 4).toImage());

    std::uint8_t* masks = shared().StatusMasks;
    masks[kMaskSignal] = 32;
    masks[kMaskMessage] = 32;
    masks[kMaskGps] = 32;
    w.spectrumDisplay().UpdateLamps();
    EXPECT_EQ(picture("ImageSync"), lampImage(Lamp::Sync, 1).toImage());
    EXPECT_EQ(picture("ImageRx"), lampImage(Lamp::Rx, 5).toImage());
    EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("ImageRx"))->toolTip(),
              QStringLiteral("Receiving a GPS position"));
    masks[kMaskMessage] = masks[kMaskGps] = 0;
    masks[kMaskSygn] = 32;
    w.spectrumDisplay().UpdateLamps();
    EXPECT_EQ(picture("ImageRx"), lampImage(Lamp::Rx, 7).toImage());
    EXPECT_EQ(picture("ImageRxBusy"), lampImage(Lamp::RxBusy, 13).toImage());
    // Every index has a picture of its own.
    const int indices[] = {5, 6, 7, 8, 12, 13};
    for (int a : indices)
        for (int b : indices)
            if (a < b) {
                EXPECT_NE(lampImage(Lamp::Rx, a).toImage(), lampImage(Lamp::Rx, b).toImage()) << a << " " << b;
            }
    EXPECT_NE(lampImage(Lamp::Sync, 0).toImage(), lampImage(Lamp::Sync, 1).toImage());
}

// A speed-32 transmission made by veltrin-gen, with a long tuning pattern,
// played through the window's wav: audio source in real time. The pattern
// steps between three tones, 1312.5, 1593.75 and 1875 Hz (bins 896, 1088 and
// 1280); while it plays, the newest waterfall line is brightest in exactly
// those columns (the lowest is where the speed-32 band marker stands). The
// message after it lights the lamps. Recordings are decoded a block at a
// time, so about six lines a second are drawn.
TEST_F(DisplayWindow, RecordingPlayedThroughTheWindowShowsItsTonesAtTheirColumns)
{
    const fs::path wav = root / "tones.wav";
    const std::string command = std::string(VELTRIN_BIN_DIR) + "/veltrin-gen --quiet -o " + wav.string() +
                                " --speed 32 --tuning 200 --text 'waterfall check'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    StationEnvironment env = stationEnvironment();
    env.audioSource = "wav:" + wav.string();

    createWindow(environment(), std::move(env));
    TRxForm& w = *form;
    QWidget* box = widget("FFTBox");
    const int bins[3] = {896, 1088, 1280};
    int snapshots = 0, matching = 0;
    std::set<QString> syncTips, rxTips;
    std::map<QRgb, int> index;
    const double lead = 0.37, tuning = 200 / 46.875;
    QTimer sampler;
    sampler.setInterval(40);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        syncTips.insert(w.findChild<QLabel*>(QStringLiteral("ImageSync"))->toolTip());
        rxTips.insert(w.findChild<QLabel*>(QStringLiteral("ImageRx"))->toolTip());
        const double t = w.sampleChain().audioSeconds();
        if (t < lead + 1.0 || t > lead + tuning - 0.2)
            return;
        if (index.empty())
            index = paletteIndexByColour(w.spectrumDisplay().palette());
        const QImage shot = box->grab().toImage();
        const int b0 = static_cast<int>(std::floor(1700 / kBin + 0.5)) - box->width() / 2;
        auto level = [&](int x) {
            auto it = index.find(shot.pixel(x, 0) | 0xff000000);
            return it == index.end() ? -1 : it->second;
        };
        ++snapshots;
        // The lowest tone is the speed-32 band's lower edge: its marker covers it.
        bool all = shot.pixel(bins[0] - b0, 0) == qRgb(240, 240, 240);
        for (int bin : {bins[1], bins[2]}) {
            const int x = bin - b0;
            int best = x - 8;
            for (int c = x - 8; c <= x + 8; ++c)
                if (level(c) > level(best))
                    best = c;
            all = all && best == x && level(x) > 5000;
        }
        matching += all;
    });
    sampler.start();
    showAndActivate();
    ASSERT_TRUE(pumpUntil([&] { return w.station().audioFinished(); }, 120000));
    sampler.stop();

    EXPECT_GT(w.spectrumDisplay().linesDrawn(), 40);
    EXPECT_GE(snapshots, 5);
    EXPECT_GE(matching, snapshots - 1) << matching << " of " << snapshots;
    EXPECT_TRUE(syncTips.count(QStringLiteral("Signal heard")));
    EXPECT_TRUE(rxTips.count(QStringLiteral("Receiving a message")));
    EXPECT_TRUE(w.statusPanels().panelText(2) == QStringLiteral("1700 Hz"));
}

}  // namespace
}  // namespace veltrin::testing
