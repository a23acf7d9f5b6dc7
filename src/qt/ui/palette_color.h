// The palette's colours as the screen shows them. The ticker's colours and
// the options dialog's colour grid come from here.
#pragma once

#include <QColor>

#include "store/palette.h"

inline QColor ToQColor(PaletteColor color) { return QColor(color.red, color.green, color.blue); }

// The colour of palette index `index` (store/palette.h): outside 0..15 the
// fixed out-of-range colour.
inline QColor PaletteQColor(int index) { return ToQColor(PaletteColorAt(index)); }
