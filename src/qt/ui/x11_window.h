// What the program needs from X11 that Qt has no public call for. Every
// function does nothing (and returns false) on other platforms, the offscreen
// one of the tests included.
#pragma once

class QWidget;

// Whether the application runs on the xcb platform with a live connection.
bool OnX11();

// Adds _NET_WM_STATE_SKIP_TASKBAR to the native window of the top-level
// `window`, creating the native window if needed. Call before the window is
// first shown: a window manager reads the state when it maps the window (Qt
// merges its own states into what it finds there).
bool SetSkipTaskbar(QWidget* window);

// Empties _NET_WM_NAME of a created native window. Qt shows the program's name
// in place of an empty title; this puts the empty title back.
void ClearNativeTitle(QWidget* window);

// Waits until the X server has handled every request sent so far, so that what
// was just painted is on the screen.
void SyncWithDisplay();
