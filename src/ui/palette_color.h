// The palette's colours as the screen shows them. The ticker's colours and
// the options dialog's colour grid come from here.
#pragma once

#include <QColor>

// The colour of palette index `index` (store/palette.h): outside 0..15 the
// fixed out-of-range colour.
QColor PaletteQColor(int index);
