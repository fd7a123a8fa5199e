#pragma once
// Dialog units to pixels: a template's layout scales with the dialog font, as on the platform the
// templates were drawn for. x * baseX / 4 and y * baseY / 8, where baseX is the average width of
// the letters A-Z a-z and baseY the font's height.

#include <QFont>
#include <QRect>

#include "ui/control_state.h"

namespace gui {

struct BaseUnits {
  int x = 6;
  int y = 13;
};

// The font every dialog is drawn with unless a control has its own.
QFont DialogFont();
BaseUnits BaseUnitsOf(const QFont& font);
QRect ToPixels(const ui::DialogRect& rect, BaseUnits units);
QFont ToQFont(const ui::FontSpec& spec, const QFont& base);

}  // namespace gui
