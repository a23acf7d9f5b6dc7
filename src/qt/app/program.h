// The program on Qt from its start to its end: the platform choices, the
// application object, the main window with its close routes, the strip's
// start (TfrmMain::Start), and the event loop until the strip ends it; the
// program ends with the strip's exit status.
#pragma once

#include <functional>
#include <memory>

class MainWindow;

// Builds the main window once the application object exists: the program's
// own MainWindow, or a subclass in a program that watches the start-up from
// inside (the smoke test's, the start-up benchmark's).
using MainWindowMaker = std::function<std::unique_ptr<MainWindow>()>;

// Runs the program; returns its exit status.
int RunProgram(int argc, char** argv, const MainWindowMaker& make_main_window);
