// The program on Win32 from its start to its end: the application window,
// the main window and the strip's start (TfrmMain::Start), and the message
// loop until the strip ends it; the strip's exit status.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

class TWin32Application;
class TWin32Strip;

// Builds the main window once the application exists: the program's own
// TWin32Strip, or one a test program watches.
using StripMaker = std::function<std::unique_ptr<TWin32Strip>(TWin32Application&)>;

// Runs the program; returns its exit status.
int RunProgram(HINSTANCE instance, const StripMaker& make_strip);
