#include "display/scale_widget.h"

#include <QPainter>

#include "display/spectrum_display.h"

namespace veltrin {

ScaleWidget::ScaleWidget(QWidget* parent) : DisplayPaneWidget(parent)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(10);
    setFont(font);
}

void ScaleWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    if (!display())
        return;
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font());
    for (const ScaleTick& tick : display()->scale()) {
        painter.drawLine(tick.x, 0, tick.x, tick.length - 1);
        // The label's cell starts at row 5, two columns right of the tick.
        painter.drawText(tick.x + 2, 5 + metrics.ascent(), QString::number(tick.hz));
    }
}

}  // namespace veltrin
