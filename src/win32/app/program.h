// The program on Win32 from its start to its end: the application window,
// the main window and the strip's start (TfrmMain::Start), and the message
// loop until the strip ends it; the strip's exit status.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

class Application;
class MainWindow;

// Builds the main window once the application exists: the program's own
// MainWindow, or one a test program watches.
using MainWindowMaker = std::function<std::unique_ptr<MainWindow>(Application&)>;

// Runs the program; returns its exit status.
int RunProgram(HINSTANCE instance, const MainWindowMaker& make_main_window);
