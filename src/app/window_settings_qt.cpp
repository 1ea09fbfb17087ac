// The window's geometry and the browser font: applied from the settings at
// the first activation, read back from the widgets before a save.
#include "app/window_settings_qt.h"

#include <QPlainTextEdit>
#include <QTableWidget>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>

#include "app/rx_form.h"
#include "display/waterfall_widget.h"
#include "platform/ini_file.h"
#include "platform/platform_qt.h"

namespace veltrin {

namespace {

constexpr int kStyleBold = 1;
constexpr int kStyleItalic = 2;
constexpr int kStyleUnderline = 4;
constexpr int kStyleStrikeOut = 8;
constexpr int kMinSpectrumHeight = 50;

QPalette::ColorRole systemColourRole(int index)
{
    switch (index) {
    case 4:   // menu
    case 15:  // button face
        return QPalette::Button;
    case 5:   // window background
        return QPalette::Base;
    case 7:   // menu text
    case 18:  // button text
        return QPalette::ButtonText;
    case 13:
        return QPalette::Highlight;
    case 14:
        return QPalette::HighlightedText;
    case 12:  // application workspace
        return QPalette::Window;
    default:  // 8 window text and anything unknown
        return QPalette::Text;
    }
}

}  // namespace

QColor colourFromSetting(int value, const QPalette& palette)
{
    const auto bits = static_cast<unsigned>(value);
    if (bits & 0x80000000u)
        return palette.color(systemColourRole(static_cast<int>(bits & 0xFFu)));
    return QColor(static_cast<int>(bits & 0xFFu), static_cast<int>((bits >> 8) & 0xFFu),
                  static_cast<int>((bits >> 16) & 0xFFu));
}

QFont browserFontFromSettings(const Settings& s)
{
    QFont font(toQt(s.browserFontName));
    if (s.browserFontHeight != 0)
        font.setPixelSize(std::abs(s.browserFontHeight));
    if (s.browserFontPitch == 2) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::Monospace);
    } else if (s.browserFontPitch == 1) {
        font.setFixedPitch(false);
    }
    if (s.browserFontSize > 0)
        font.setPointSize(s.browserFontSize);
    font.setBold(s.browserFontStyle & kStyleBold);
    font.setItalic(s.browserFontStyle & kStyleItalic);
    font.setUnderline(s.browserFontStyle & kStyleUnderline);
    font.setStrikeOut(s.browserFontStyle & kStyleStrikeOut);
    return font;
}

void browserFontToSettings(const QFont& font, Settings& s)
{
    s.browserFontName = fromQt(font.family());
    if (font.pointSize() > 0)
        s.browserFontSize = font.pointSize();
    if (font.fixedPitch())
        s.browserFontPitch = 2;
    else if (s.browserFontPitch == 2)
        s.browserFontPitch = 0;
    s.browserFontStyle = (font.bold() ? kStyleBold : 0) | (font.italic() ? kStyleItalic : 0) |
                         (font.underline() ? kStyleUnderline : 0) | (font.strikeOut() ? kStyleStrikeOut : 0);
}

void TRxForm::applyWindowSettings()
{
    const Settings& s = settings_;
    if (s.windowLeft != -1)
        move(s.windowLeft, y());
    if (s.windowTop != -1)
        move(x(), s.windowTop);
    if (s.windowHeight != -1)
        resize(width(), std::max(s.windowHeight, minimumHeight()));
    if (s.windowWidth != -1)
        resize(std::max(s.windowWidth, 1), height());
    if (s.spectrumHeight != -1)
        FFTBox->setFixedHeight(std::max(s.spectrumHeight, kMinSpectrumHeight));
    if (s.browserHeight != -1)
        Panel2->setFixedHeight(std::max(s.browserHeight, 0));

    const QFont font = browserFontFromSettings(s);
    StringGrid1->setFont(font);
    LogMemo->setFont(font);
    for (QWidget* w : {static_cast<QWidget*>(StringGrid1), static_cast<QWidget*>(LogMemo)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Text, colourFromSetting(s.browserFontColor, p));
        w->setPalette(p);
    }
    QPalette grid = StringGrid1->palette();
    grid.setColor(QPalette::Base, colourFromSetting(s.browserGridColor, grid));
    StringGrid1->setPalette(grid);
}

void TRxForm::captureWindowSettings()
{
    Settings& s = settings_;
    s.OnTop = OnTopButton->isChecked() ? 1 : 0;
    s.windowLeft = x();
    s.windowTop = y();
    s.windowHeight = height();
    s.windowWidth = width();
    s.spectrumHeight = FFTBox->height();
    s.browserHeight = Panel2->height();
    browserFontToSettings(StringGrid1->font(), s);
}

bool TRxForm::saveSettingsFile()
{
    static bool saving = false;  // a message box below may re-enter
    if (saving)
        return false;
    saving = true;
    setDisplayHold(0);
    captureWindowSettings();
    IniFile ini(kSettingsFileName);
    const bool ok = saveSettings(ini, settings_);
    if (!ok)
        boxes_->showMessage("Can not write the settings file " + std::string(kSettingsFileName) + "!",
                            "File Error");
    saving = false;
    return ok;
}

}  // namespace veltrin
