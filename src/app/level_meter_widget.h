#pragma once
// PeekValProgressBar: the input level meter beside the tuning buttons. A
// bar of scale 10 with a light (green) part and a dark (yellow) part, a
// short text, and a red or black frame colour for overload.
#include <QWidget>

#include "audio/sample_chain.h"

namespace veltrin {

class LevelMeterWidget : public QWidget, public LevelMeterPort {
    Q_OBJECT
public:
    static constexpr int kScale = 10;
    explicit LevelMeterWidget(QWidget* parent = nullptr);

    void showLevel(int light, int dark, const std::string& text, bool red) override;

    int light() const { return light_; }
    int dark() const { return dark_; }
    bool red() const { return red_; }
    QString text() const { return text_; }

    QSize sizeHint() const override { return {110, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int light_ = 0;
    int dark_ = 0;
    bool red_ = false;
    QString text_;
};

}  // namespace veltrin
