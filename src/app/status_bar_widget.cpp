#include "app/status_bar_widget.h"

#include <QLabel>
#include <algorithm>

#include "platform/platform_qt.h"

namespace veltrin {

namespace {

// Initial texts and widths (pixels) of the panels.
struct PanelDesign {
    const char* text;
    int width;
};
constexpr PanelDesign kDesign[StatusBarPanels::kPanels] = {
    {"D0", 24},     {"1700 Hz", 60}, {"170 Hz", 60}, {"", 48},   {"o: ?+?", 70}, {"E=?", 60},
    {"", 70},       {"D1", 24},      {"", 160},      {"", 60},   {"Debug", 120}, {"ExtMess", 60},
};

// A panel that asks for its designed width but can shrink with the window.
class PanelLabel : public QLabel {
public:
    PanelLabel(const QString& text, int designWidth, QWidget* parent)
        : QLabel(text, parent), designWidth_(designWidth)
    {
    }
    QSize sizeHint() const override
    {
        QSize hint = QLabel::sizeHint();
        return {std::max(hint.width(), designWidth_), hint.height()};
    }
    QSize minimumSizeHint() const override { return {8, QLabel::minimumSizeHint().height()}; }

private:
    int designWidth_;
};

}  // namespace

StatusBarPanels::StatusBarPanels(QWidget* parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(true);
    for (int i = 0; i < kPanels; ++i) {
        auto* label = new PanelLabel(QString::fromLatin1(kDesign[i].text), kDesign[i].width, this);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        addWidget(label, i == 8 || i == 10 ? 1 : 0);  // the notice panels take the spare room
        panels_[i] = label;
    }
}

void StatusBarPanels::setPanelText(int index, const std::string& text)
{
    if (index < 0 || index >= kPanels)
        return;
    panels_[index]->setText(toQt(text));
}

QString StatusBarPanels::panelText(int index) const
{
    if (index < 0 || index >= kPanels)
        return {};
    return panels_[index]->text();
}

QLabel* StatusBarPanels::panel(int index) const
{
    return index >= 0 && index < kPanels ? panels_[index] : nullptr;
}

}  // namespace veltrin
