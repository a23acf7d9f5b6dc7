// Where there is no X11 (Windows), the window system does by itself what
// these calls add on X11: a tool window has no taskbar entry, an empty title
// stays empty, and painting reaches the screen without a round trip.
#include "ui/x11_window.h"

bool OnX11() { return false; }

bool SetSkipTaskbar(QWidget*) { return false; }

void ClearNativeTitle(QWidget*) {}

void SyncWithDisplay() {}
