#pragma once
// Beacon4hGrid: the strip of 24 ten-minute cells under the receive window,
// grey, green or yellow from the beacon marks, each with a one-pixel black
// gap to its neighbours. It places itself in its parent panel and follows
// the panel's resizes; the colours come from the Qt-free BeaconMarks.
#include <QWidget>

namespace veltrin {

class BeaconMarks;

class BeaconGridWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 22;

    // Lays itself out in panel (when given) and again on every resize of it.
    explicit BeaconGridWidget(QWidget* panel = nullptr);

    // Not owned; null paints every cell grey.
    void setMarks(const BeaconMarks* marks);
    const BeaconMarks* marks() const { return marks_; }

    // Columns of the width the panel's client width gives, the grid centred.
    void layoutInPanel();
    int columnWidth() const { return columnWidth_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const BeaconMarks* marks_ = nullptr;
    int columnWidth_ = 5;
};

}  // namespace veltrin
