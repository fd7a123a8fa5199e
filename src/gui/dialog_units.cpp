#include "gui/dialog_units.h"

#include <QFontMetrics>
#include <cmath>

namespace gui {

QFont DialogFont() {
  QFont font("DejaVu Sans");
  font.setPixelSize(11);
  return font;
}

BaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int extent =
      metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return {static_cast<int>(std::lround(extent / 52.0)), metrics.height()};
}

QRect ToPixels(const ui::DialogRect& rect, BaseUnits units) {
  return QRect(rect.x * units.x / 4, rect.y * units.y / 8, rect.width * units.x / 4,
               rect.height * units.y / 8);
}

QFont ToQFont(const ui::FontSpec& spec, const QFont& base) {
  QFont font = base;
  if (!spec.faceName.empty()) font.setFamily(QString::fromStdString(spec.faceName));
  // A negative height is the character height in pixels; a positive one the cell height.
  if (spec.height < 0) font.setPixelSize(-spec.height);
  if (spec.height > 0) font.setPixelSize(spec.height * 4 / 5);
  if (spec.weight > 0) font.setWeight(spec.weight >= 600 ? QFont::Bold : QFont::Normal);
  font.setItalic(spec.italic != 0);
  return font;
}

}  // namespace gui
