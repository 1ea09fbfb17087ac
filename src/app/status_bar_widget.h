#pragma once
// StatusBar1: the main window's status bar with its 12 panels (0-based),
// each a label named "StatusPanel<n>".
#include <QStatusBar>
#include <array>

#include "platform/ui_ports.h"

class QLabel;

namespace veltrin {

class StatusBarPanels : public QStatusBar, public StatusPanels {
    Q_OBJECT
public:
    static constexpr int kPanels = 12;
    explicit StatusBarPanels(QWidget* parent = nullptr);

    // Windows-1251 text; an index outside 0..11 is ignored.
    void setPanelText(int index, const std::string& text) override;
    QString panelText(int index) const;
    QLabel* panel(int index) const;

private:
    std::array<QLabel*, kPanels> panels_{};
};

}  // namespace veltrin
