#include "ui/palette_color.h"

#include "store/palette.h"

QColor PaletteQColor(int index) {
  const PaletteColor color = PaletteColorAt(index);
  return QColor(color.red, color.green, color.blue);
}
