#include "display/lamp_images_qt.h"

#include <QPainter>
#include <QRadialGradient>

#include "display/lamps.h"

namespace veltrin {

namespace {

struct LampLook {
    QColor colour;
    bool lit;
    const char* tip;
};

LampLook lookOf(Lamp lamp, int index)
{
    const QColor dark(70, 74, 78);
    if (lamp == Lamp::Sync)
        return index == kLampSignal ? LampLook{QColor(40, 220, 60), true, "Signal heard"}
                                    : LampLook{dark, false, "No signal"};
    switch (index) {
    case kLampGps:
        return {QColor(40, 140, 255), true, "Receiving a GPS position"};
    case kLampBeacon:
        return {QColor(30, 210, 210), true, "Receiving a beacon"};
    case kLampHeadless:
        return {QColor(255, 80, 40), true, "Receiving a message without header"};
    case kLampMessage:
        return {QColor(60, 230, 60), true, "Receiving a message"};
    case kLampBusy:
        return {QColor(255, 176, 0), true, "Channel busy"};
    case kLampQuiet:
        return {dark, false, "Channel quiet"};
    default:
        return {dark, false, "No message"};
    }
}

}  // namespace

QPixmap lampImage(Lamp lamp, int index, int size)
{
    const LampLook look = lookOf(lamp, index);
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(1.0, 1.0, size - 2.0, size - 2.0);
    // A lit lamp glows from its upper left; a dark one only shows its glass.
    QRadialGradient glass(body.center() - QPointF(size * 0.15, size * 0.15), size * 0.6);
    glass.setColorAt(0.0, look.lit ? look.colour.lighter(170) : look.colour.lighter(140));
    glass.setColorAt(0.6, look.colour);
    glass.setColorAt(1.0, look.colour.darker(look.lit ? 160 : 130));
    painter.setBrush(glass);
    painter.setPen(QPen(QColor(30, 30, 30), 1.0));
    painter.drawEllipse(body);
    return pixmap;
}

QString lampToolTip(Lamp lamp, int index)
{
    return QString::fromLatin1(lookOf(lamp, index).tip);
}

}  // namespace veltrin
