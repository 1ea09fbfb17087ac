#include "display/display_pane_widget.h"

#include <QMouseEvent>

namespace veltrin {

DisplayPaneWidget::DisplayPaneWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    setToolTip(QStringLiteral("Ctrl-click or Ctrl-drag to tune"));
}

void DisplayPaneWidget::setMouseHandlers(const QWidget* columns, DisplayMouseHandler down, DisplayMouseHandler move)
{
    columns_ = columns;
    down_ = std::move(down);
    move_ = std::move(move);
}

void DisplayPaneWidget::forward(const DisplayMouseHandler& handler, QMouseEvent* event) const
{
    if (!handler)
        return;
    const QWidget* columns = columns_ ? columns_ : this;
    const int x = columns->mapFromGlobal(event->globalPosition().toPoint()).x();
    handler(x, event->modifiers() & Qt::ControlModifier, event->buttons() & Qt::LeftButton);
}

void DisplayPaneWidget::mousePressEvent(QMouseEvent* event)
{
    forward(down_, event);
}

void DisplayPaneWidget::mouseMoveEvent(QMouseEvent* event)
{
    forward(move_, event);
}

}  // namespace veltrin
