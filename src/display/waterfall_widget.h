#pragma once
// FFTBox: paints the newest rows of the display's waterfall bitmap and the
// marker lines over them. All logic lives in the Qt-free SpectrumDisplay.
#include "display/display_pane_widget.h"

namespace veltrin {

class WaterfallWidget : public DisplayPaneWidget {
    Q_OBJECT
public:
    using DisplayPaneWidget::DisplayPaneWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace veltrin
