#pragma once
// ScaleImage: the frequency scale under the waterfall, ticks every 100 Hz
// with their labels, painted from the display's tick list. Its mouse events
// reach the handlers in the waterfall's columns, so Ctrl-clicking a tick
// tunes to the frequency it shows.
#include "display/display_pane_widget.h"

namespace veltrin {

class ScaleWidget : public DisplayPaneWidget {
    Q_OBJECT
public:
    explicit ScaleWidget(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace veltrin
