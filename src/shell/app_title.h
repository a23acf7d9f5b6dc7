// The application title: the text of the application's taskbar entry.
//
// The main window is a tool window without a taskbar entry of its own; on X11
// a small proxy top-level window carries the entry, titled with the
// application title, and brings the strip forward when the user activates it.
#pragma once

#include <QString>

class QWidget;

void SetApplicationTitle(const QString& title);
QString ApplicationTitle();
// The window that the taskbar entry brings forward; nullptr for none.
void SetTaskbarProxyTarget(QWidget* window);
