// The main menu: File, Setup, Frequency, (hidden) Zoom, Waterfall
// Brightness and Help. Every menu and item carries its control name.
#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "app/rx_form.h"

namespace veltrin {

QAction* TRxForm::addItem(QMenu* menu, const char* name, const QString& text)
{
    QAction* item = menu->addAction(text);
    item->setObjectName(QString::fromLatin1(name));
    actions_[item->objectName()] = item;
    return item;
}

QAction* TRxForm::action(const QString& objectName) const
{
    auto it = actions_.find(objectName);
    return it == actions_.end() ? nullptr : it->second;
}

void TRxForm::buildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto newMenu = [&](const char* name, const char* title) {
        QMenu* menu = bar->addMenu(QString::fromLatin1(title));
        menu->setObjectName(QString::fromLatin1(name));
        menu->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Action"));
        return menu;
    };
    // The waterfall is not redrawn while a menu is open.
    auto holdWhileOpen = [this](QMenu* menu) {
        connect(menu, &QMenu::aboutToShow, this, [this] { setDisplayHold(40); });
    };

    QMenu* file = newMenu("File1", "File");
    holdWhileOpen(file);
    addItem(file, "OpenWaveCaptureFile1", QStringLiteral("Open Wave Capture File"));
    addItem(file, "CloseWaveCaptureFile1", QStringLiteral("Close Wave Capture File "))->setEnabled(false);
    file->addSeparator();
    QAction* decode = addItem(file, "DecodeFromFile1", QStringLiteral("Decode From File"));
    // Shown in the menu; the window's key handling does the work.
    decode->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_G));
    decode->setShortcutContext(Qt::WidgetShortcut);
    addItem(file, "StopDecodingFromFile1", QStringLiteral("Stop Decoding From File"))->setEnabled(false);
    file->addSeparator();
    connect(addItem(file, "SendPositionBeacon1", QStringLiteral("Send Position Beacon")), &QAction::triggered,
            this, [this] { SendPositionBeacon1Click(); });
    connect(addItem(file, "SendStatusBeacon1", QStringLiteral("Send Status Beacon")), &QAction::triggered,
            this, [this] { SendStatusBeacon1Click(); });
    file->addSeparator();
    connect(addItem(file, "Exit", QStringLiteral("Exit")), &QAction::triggered, this, [this] { ExitClick(); });

    QAction* setup = bar->addAction(QStringLiteral("Setup"));
    setup->setObjectName(QStringLiteral("Setup11"));
    actions_[setup->objectName()] = setup;
    connect(setup, &QAction::triggered, this, [this] { Setup11Click(); });

    buildTuningMenus();

    QMenu* help = newMenu("Help1", "Help");
    holdWhileOpen(help);
    QAction* contents = addItem(help, "HelpContents1", QStringLiteral("Contents"));
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    contents->setShortcutContext(Qt::WidgetShortcut);
    connect(contents, &QAction::triggered, this, [this] { HelpContents1Click(); });
    connect(addItem(help, "About1", QStringLiteral("About")), &QAction::triggered, this, [this] { About1Click(); });
    help->addSeparator();
    connect(addItem(help, "Donation1", QStringLiteral("Support Veltrin ...")), &QAction::triggered, this,
            [this] { Donation1Click(); });
    connect(addItem(help, "Shop1", QStringLiteral("Corvane pagers shop ...")), &QAction::triggered, this,
            [this] { Shop1Click(); });
}

void TRxForm::buildTuningMenus()
{
    QMenuBar* bar = menuBar();

    QMenu* frequency = bar->addMenu(QStringLiteral("Frequency"));
    frequency->setObjectName(QStringLiteral("CnterFreq1"));
    auto* centres = new QActionGroup(frequency);
    centres->setExclusive(true);
    for (int hz = 500; hz <= 2500; hz += 100) {
        const QByteArray name = "CF_" + QByteArray::number(hz);
        QAction* item = addItem(frequency, name.constData(), QString::number(hz));
        item->setCheckable(true);
        item->setChecked(hz == settings_.displayCentre);
        centres->addAction(item);
        connect(item, &QAction::triggered, this, [this, hz] {
            if (hooks_.tuneTo)
                hooks_.tuneTo(hz);
            state_.fullRedraw = true;
        });
    }

    // The zoom comes only from the settings file; its menu stays hidden.
    QMenu* zoom = bar->addMenu(QStringLiteral("Zoom"));
    zoom->setObjectName(QStringLiteral("Zoom1x"));
    zoom->menuAction()->setVisible(false);
    auto* zooms = new QActionGroup(zoom);
    for (int n = 1; n <= 5; ++n) {
        const QByteArray name = "Zoom" + QByteArray::number(n);
        QAction* item = addItem(zoom, name.constData(), QStringLiteral("%1:1").arg(n));
        item->setCheckable(true);
        item->setChecked(n == 1);
        zooms->addAction(item);
    }

    QMenu* brightness = bar->addMenu(QStringLiteral("Waterfall Brightness"));
    brightness->setObjectName(QStringLiteral("Waterfall1"));
    auto* gains = new QActionGroup(brightness);
    for (int step = 0, gain = 1; step <= 10; ++step, gain *= 2) {
        const QByteArray name = "PreampX" + QByteArray::number(gain);
        QAction* item = addItem(brightness, name.constData(),
                                QStringLiteral("%1 dB").arg(step * 6, 2, 10, QLatin1Char(' ')));
        item->setCheckable(true);
        item->setChecked(gain == 1);
        gains->addAction(item);
        connect(item, &QAction::triggered, this, [this, gain] { SetWaterfallGain(gain); });
    }
}

}  // namespace veltrin
