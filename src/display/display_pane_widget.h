#pragma once
// The common part of FFTBox and ScaleImage: the display they paint from and
// the mouse presses and moves they pass on for Ctrl-click tuning, with x in
// the waterfall's columns.
#include <QWidget>
#include <functional>

class QMouseEvent;

namespace veltrin {

class SpectrumDisplay;

// x in FFTBox's columns, whether Ctrl and the left button are held.
using DisplayMouseHandler = std::function<void(int x, bool ctrl, bool leftButton)>;

class DisplayPaneWidget : public QWidget {
    Q_OBJECT
public:
    explicit DisplayPaneWidget(QWidget* parent = nullptr);

    // Not owned; null paints the pane empty.
    void setDisplay(const SpectrumDisplay* display) { display_ = display; }
    // columns: the widget whose columns the handlers get (null: this one).
    void setMouseHandlers(const QWidget* columns, DisplayMouseHandler down, DisplayMouseHandler move);

protected:
    const SpectrumDisplay* display() const { return display_; }
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void forward(const DisplayMouseHandler& handler, QMouseEvent* event) const;

    const SpectrumDisplay* display_ = nullptr;
    const QWidget* columns_ = nullptr;
    DisplayMouseHandler down_, move_;
};

}  // namespace veltrin
