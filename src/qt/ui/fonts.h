// The fonts of the program's windows. Their layouts are in logical pixels, so
// their fonts are sized in pixels too, not in points that the screen's
// resolution would scale.
#pragma once

#include <QFont>
#include <QString>

// `family` at `pixels` logical pixels.
QFont PixelFont(const QString& family, int pixels, bool bold = false);
// Arial, as the dialogs were laid out in it: Liberation Sans, its metric twin
// and the nearest match on Linux.
QFont ArialFont(int pixels, bool bold = false);
