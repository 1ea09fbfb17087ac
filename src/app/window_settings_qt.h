#pragma once
// The settings that live in widgets: the toolkit colour values of the font
// section, and the browser font as the settings file describes it.
#include <QColor>
#include <QFont>
#include <QPalette>

namespace veltrin {

struct Settings;

// A stored colour value: red in the lowest byte, then green, then blue; or
// the highest bit set and a system-colour index in the lowest byte, which
// is taken from the palette (5 window background, 8 window text, ...).
QColor colourFromSetting(int value, const QPalette& palette);

// The browser font from name, height, pitch, size and style bits, in this
// order (the size, set after the height, decides).
QFont browserFontFromSettings(const Settings& settings);
// The font's name, size, pitch and style bits back into the settings; the
// height, charset and colours keep their stored values (Qt holds no such
// fields of its own).
void browserFontToSettings(const QFont& font, Settings& settings);

}  // namespace veltrin
