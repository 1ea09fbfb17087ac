#include "gateway/beacon_grid_widget.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

#include "gateway/beacon_marks.h"
#include "platform/clock.h"

namespace veltrin {

namespace {

QColor cellRgb(BeaconColour colour)
{
    switch (colour) {
    case BeaconColour::Green: return {0, 128, 0};
    case BeaconColour::Yellow: return {255, 255, 0};
    case BeaconColour::Grey: break;
    }
    return {128, 128, 128};
}

}  // namespace

BeaconGridWidget::BeaconGridWidget(QWidget* panel) : QWidget(panel)
{
    setObjectName(QStringLiteral("Beacon4hGrid"));
    setFixedHeight(kHeight);
    // Every pixel is painted, so nothing behind needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kBeaconColumns * columnWidth_, kHeight);
    if (panel) {
        panel->installEventFilter(this);
        layoutInPanel();
    }
}

void BeaconGridWidget::setMarks(const BeaconMarks* marks)
{
    marks_ = marks;
    update();
}

void BeaconGridWidget::layoutInPanel()
{
    QWidget* panel = parentWidget();
    if (!panel)
        return;
    const QRect client = panel->contentsRect();
    const BeaconStripLayout layout = beaconStripLayout(client.width());
    columnWidth_ = layout.columnWidth;
    const int top = client.top() + std::max((client.height() - kHeight) / 2, 0);
    setGeometry(client.left() + layout.gridLeft, top, layout.gridWidth, kHeight);
    update();
}

bool BeaconGridWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        layoutInPanel();
    return QWidget::eventFilter(watched, event);
}

void BeaconGridWidget::paintEvent(QPaintEvent*)
{
    if (!isVisible())
        return;
    QPainter p(this);
    const std::time_t now = clockNow();
    // Black under everything (also any width beyond the 24 columns); each
    // cell's colour leaves a pixel of it on either side.
    p.fillRect(rect(), Qt::black);
    for (int c = 0; c < kBeaconColumns; ++c) {
        const QRect cell(c * columnWidth_, 0, columnWidth_, height());
        const BeaconColour colour = marks_ ? marks_->cellColour(c, now) : BeaconColour::Grey;
        p.fillRect(cell.adjusted(1, 0, -1, 0), cellRgb(colour));
    }
}

}  // namespace veltrin
