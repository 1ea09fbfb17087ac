#include "display/waterfall_widget.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

#include "display/spectrum_display.h"

namespace veltrin {

namespace {

QColor qColour(const Rgb& c)
{
    return QColor(c.red, c.green, c.blue);
}

}  // namespace

void WaterfallWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const SpectrumDisplay* shown = display();
    if (!shown || !shown->palette().built()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    const Waterfall& waterfall = shown->waterfall();
    painter.fillRect(rect(), qColour(shown->palette().colour(0)));
    if (waterfall.empty())
        return;
    // The bitmap's rows waterfallRow .. + H - 1 are the picture as they are.
    const int w = std::min(waterfall.width(), width());
    const int h = std::min(waterfall.height(), height());
    if (w > 0 && h > 0) {
        const QImage picture(waterfall.picture(), w, h, waterfall.stride(), QImage::Format_BGR888);
        painter.drawImage(0, 0, picture);
    }
    for (const MarkerLine& line : shown->markers()) {
        painter.setPen(QPen(qColour(line.colour), 1));
        painter.drawLine(line.x, line.bottom, line.x, line.top);
    }
}

}  // namespace veltrin
