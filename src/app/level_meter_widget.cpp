#include "app/level_meter_widget.h"

#include <QPainter>
#include <algorithm>

#include "platform/platform_qt.h"

namespace veltrin {

LevelMeterWidget::LevelMeterWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PeekValProgressBar"));
    setMinimumSize(80, 16);
    setToolTip(QStringLiteral("Input level (bits)"));
}

void LevelMeterWidget::showLevel(int light, int dark, const std::string& text, bool red)
{
    light_ = std::clamp(light, 0, kScale);
    dark_ = std::clamp(dark, 0, kScale);
    red_ = red;
    text_ = toQt(text);
    update();
}

void LevelMeterWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    p.fillRect(frame, palette().color(QPalette::Base));
    const int inner = frame.width() - 1;
    // The dark part runs on from the light part up to its own value.
    const int lightPx = inner * light_ / kScale;
    const int darkPx = inner * std::max(dark_, light_) / kScale;
    p.fillRect(QRect(1, 1, lightPx, frame.height() - 1), QColor(0, 200, 0));
    if (darkPx > lightPx)
        p.fillRect(QRect(1 + lightPx, 1, darkPx - lightPx, frame.height() - 1), QColor(230, 210, 0));
    const QColor ink = red_ ? QColor(255, 0, 0) : QColor(0, 0, 0);
    p.setPen(ink);
    p.drawRect(frame);
    p.drawText(frame.adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, text_);
}

}  // namespace veltrin
