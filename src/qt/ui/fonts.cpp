#include "qt/ui/fonts.h"

QFont PixelFont(const QString& family, int pixels, bool bold) {
  QFont font(family);
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QFont ArialFont(int pixels, bool bold) {
  return PixelFont(QStringLiteral("Liberation Sans"), pixels, bold);
}
