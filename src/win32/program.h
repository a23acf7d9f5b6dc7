// The program on Win32 from its start to its end: the application window and
// its title, the main window (its creation behind the error boundary,
// shown), and the message loop until the application is told to end.
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
