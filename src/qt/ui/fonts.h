// The fonts of the program's windows, as the strip's tables name them
// (strip/form_design.h). Their layouts are in logical pixels, so their fonts
// are sized in pixels too, not in points that the screen's resolution would
// scale.
//
// The tables name the faces of the classic desktop, which Linux lacks; each
// is drawn in its stand-in, named here once: Liberation Sans, the metric twin
// of Arial and the nearest match for the small sans serif MS Sans Serif, for
// both; Standard Symbols PS, the free twin of the classic Symbol font, for
// Symbol.
#pragma once

#include <QFont>
#include <QString>

#include "strip/form_design.h"

// `font` as drawn here: its face's stand-in at its pixel height, bold or
// not. (Its colour is the control's to apply.)
QFont ScreenFont(const FormFont& font);

// `text` as a control draws it in `font`. Standard Symbols PS keeps the
// classic Symbol font's own encoding: its characters sit at the codes
// 0x20..0xFF (0xE3 is the sans-serif copyright sign, 0xA9 a heart) and it has
// no Unicode Greek. So text in Symbol is drawn by those codes; where the
// stand-in cannot be had so, the ordinary characters are drawn in the text
// face (Arial's stand-in) instead.
struct ScreenText {
  QFont font;
  QString text;
};
ScreenText InScreenFont(const FormFont& font, const QString& text);
