#include "browser/kind_icons_qt.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <map>
#include <utility>

#include "browser/file_names.h"

namespace veltrin {

namespace {

// All drawing is on a 32 x 32 canvas, scaled to the size asked for.
constexpr double kCanvas = 32.0;

enum class Emblem { None, Message, Beacon, Position };
enum class Badge { None, Ok, Errors };

const QColor kOutline(60, 60, 70);

void drawEnvelope(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(245, 245, 235));
    p.drawRoundedRect(r, 1.5, 1.5);
    QPainterPath flap;
    flap.moveTo(r.topLeft() + QPointF(0.5, 0.5));
    flap.lineTo(r.center().x(), r.top() + r.height() * 0.58);
    flap.lineTo(r.topRight() + QPointF(-0.5, 0.5));
    p.setBrush(QColor(225, 225, 210));
    p.drawPath(flap);
}

void drawBeacon(QPainter& p, const QRectF& r)
{
    const double cx = r.center().x();
    const double w = r.width();
    // The mast: a narrow triangle on a foot.
    QPainterPath mast;
    mast.moveTo(cx, r.top() + r.height() * 0.30);
    mast.lineTo(cx + w * 0.16, r.bottom());
    mast.lineTo(cx - w * 0.16, r.bottom());
    mast.closeSubpath();
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(90, 110, 140));
    p.drawPath(mast);
    p.setBrush(QColor(230, 60, 40));
    p.drawEllipse(QPointF(cx, r.top() + r.height() * 0.28), w * 0.09, w * 0.09);
    // Waves on both sides.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 120, 220), 1.6, Qt::SolidLine, Qt::RoundCap));
    for (int i = 1; i <= 2; ++i) {
        const double radius = w * 0.17 * i;
        const QRectF arc(cx - radius, r.top() + r.height() * 0.28 - radius, 2 * radius, 2 * radius);
        p.drawArc(arc, -45 * 16, 90 * 16);
        p.drawArc(arc, 135 * 16, 90 * 16);
    }
}

void drawPin(QPainter& p, const QRectF& r)
{
    const double cx = r.center().x();
    const double radius = r.width() * 0.30;
    const double cy = r.top() + radius + 1;
    QPainterPath pin;
    pin.moveTo(cx, r.bottom());
    pin.cubicTo(cx - radius * 0.4, r.bottom() - r.height() * 0.25, cx - radius * 1.15, cy + radius * 0.6,
                cx - radius, cy);
    pin.arcTo(QRectF(cx - radius, cy - radius, 2 * radius, 2 * radius), 180, -180);
    pin.cubicTo(cx + radius * 1.15, cy + radius * 0.6, cx + radius * 0.4, r.bottom() - r.height() * 0.25, cx,
                r.bottom());
    p.setPen(QPen(QColor(120, 20, 20), 1.2));
    p.setBrush(QColor(220, 50, 50));
    p.drawPath(pin);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(cx, cy), radius * 0.42, radius * 0.42);
}

void drawGlobe(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(20, 70, 130), 1.2));
    p.setBrush(QColor(80, 160, 230));
    p.drawEllipse(r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(230, 245, 255), 1.0));
    p.drawEllipse(QRectF(r.center().x() - r.width() * 0.22, r.top(), r.width() * 0.44, r.height()));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
    for (double f : {0.28, 0.5, 0.72}) {
        const double y = r.top() + r.height() * f;
        const double half = r.width() / 2 * std::sqrt(1 - (2 * f - 1) * (2 * f - 1));
        p.drawLine(QPointF(r.center().x() - half, y), QPointF(r.center().x() + half, y));
    }
}

void drawFolder(QPainter& p)
{
    p.setPen(QPen(QColor(150, 110, 20), 1.2));
    p.setBrush(QColor(235, 190, 70));
    QPainterPath back;
    back.moveTo(2, 7);
    back.lineTo(12, 7);
    back.lineTo(14.5, 9.5);
    back.lineTo(30, 9.5);
    back.lineTo(30, 28);
    back.lineTo(2, 28);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(250, 215, 110));
    p.drawRoundedRect(QRectF(2, 12, 28, 16), 1.5, 1.5);
}

void drawSheet(QPainter& p)
{
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(Qt::white);
    QPainterPath sheet;
    sheet.moveTo(6, 2);
    sheet.lineTo(21, 2);
    sheet.lineTo(27, 8);
    sheet.lineTo(27, 30);
    sheet.lineTo(6, 30);
    sheet.closeSubpath();
    p.drawPath(sheet);
    p.drawLine(QPointF(21, 2), QPointF(21, 8));
    p.drawLine(QPointF(21, 8), QPointF(27, 8));
    p.setPen(QPen(QColor(90, 130, 200), 1.2));
    for (int y = 12; y <= 26; y += 4)
        p.drawLine(QPointF(9, y), QPointF(24, y));
}

void drawEmblem(QPainter& p, Emblem emblem, const QRectF& r)
{
    switch (emblem) {
    case Emblem::Message: drawEnvelope(p, r.adjusted(0, r.height() * 0.18, 0, -r.height() * 0.12)); break;
    case Emblem::Beacon: drawBeacon(p, r); break;
    case Emblem::Position: drawPin(p, r); break;
    case Emblem::None: break;
    }
}

void drawBadge(QPainter& p, Badge badge)
{
    if (badge == Badge::None)
        return;
    const QRectF circle(19, 19, 12, 12);
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(badge == Badge::Ok ? QColor(40, 160, 60) : QColor(210, 40, 40));
    p.drawEllipse(circle);
    p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    if (badge == Badge::Ok) {
        QPainterPath tick;
        tick.moveTo(22, 25);
        tick.lineTo(24.5, 27.5);
        tick.lineTo(28.5, 22.5);
        p.drawPath(tick);
    } else {
        p.drawLine(QPointF(22.5, 22.5), QPointF(27.5, 27.5));
        p.drawLine(QPointF(27.5, 22.5), QPointF(22.5, 27.5));
    }
}

// What each kind shows: a folder with an emblem, or the emblem alone.
struct Look {
    bool folder = false;
    bool sheet = false;
    bool globe = false;
    Emblem emblem = Emblem::None;
    Badge badge = Badge::None;
};

bool lookOf(int kind, Look& look)
{
    switch (kind) {
    case kKindTextFolder: look = {true, false, false, Emblem::Message, Badge::None}; return true;
    case kKindBeaconFolder: look = {true, false, false, Emblem::Beacon, Badge::None}; return true;
    case kKindGpsFolder: look = {true, false, false, Emblem::Position, Badge::None}; return true;
    case kKindLog: look = {false, true, false, Emblem::None, Badge::None}; return true;
    case kKindMessage: look = {false, false, false, Emblem::Message, Badge::None}; return true;
    case kKindMessageErrors: look = {false, false, false, Emblem::Message, Badge::Errors}; return true;
    case kKindMessageOk: look = {false, false, false, Emblem::Message, Badge::Ok}; return true;
    case kKindBeacon: look = {false, false, false, Emblem::Beacon, Badge::None}; return true;
    case kKindBeaconErrors: look = {false, false, false, Emblem::Beacon, Badge::Errors}; return true;
    case kKindBeaconOk: look = {false, false, false, Emblem::Beacon, Badge::Ok}; return true;
    case kKindGps: look = {false, false, false, Emblem::Position, Badge::None}; return true;
    case kKindGpsErrors: look = {false, false, false, Emblem::Position, Badge::Errors}; return true;
    case kKindKml: look = {false, false, true, Emblem::None, Badge::None}; return true;
    default: return false;
    }
}

void paintKind(QPainter& p, const Look& look)
{
    if (look.folder) {
        drawFolder(p);
        drawEmblem(p, look.emblem, QRectF(9, 13, 14, 14));
        return;
    }
    if (look.sheet) {
        drawSheet(p);
        return;
    }
    if (look.globe) {
        drawGlobe(p, QRectF(3, 3, 26, 26));
        return;
    }
    drawEmblem(p, look.emblem, QRectF(2, 3, 26, 26));
    drawBadge(p, look.badge);
}

}  // namespace

QPixmap kindPixmap(int kind, int size)
{
    Look look;
    if (!lookOf(kind, look) || size <= 0)
        return {};
    static std::map<std::pair<int, int>, QPixmap> cache;
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    const auto key = std::make_pair(kind, size);
    auto found = cache.find(key);
    if (found != cache.end() && found->second.devicePixelRatio() == ratio)
        return found->second;
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kCanvas, size / kCanvas);
    paintKind(p, look);
    p.end();
    cache[key] = pixmap;
    return pixmap;
}

QIcon kindIcon(int kind)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        const QPixmap pixmap = kindPixmap(kind, size);
        if (pixmap.isNull())
            return {};
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace veltrin
