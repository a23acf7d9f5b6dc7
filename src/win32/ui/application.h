// The application on Win32: its hidden window, which carries the taskbar
// button, the application title shown on that button, and the main message
// loop.
//
// The main window is a tool window and has no taskbar button of its own; the
// application window is a top-level window of no size that stays "shown", so
// the taskbar gives it the button. Its text is the application title (which
// the ticker may mirror). A click on the button activates it, and it passes
// the activation on to the main window; closing it (the button's menu, a
// task manager) closes the main window.
//
// Ending: EndMessageLoops posts WM_QUIT. Every message loop of the program
// (the main one, the modal runs of win32/ui/message_boxes.h, the system's own
// message boxes) ends on it and posts it again, so nested loops all end; loops
// ended before the main loop started end that loop at once. The program's exit
// status is the strip's (TfrmMain::ExitStatus).
#pragma once

#include <windows.h>

#include <string_view>

class Application {
 public:
  explicit Application(HINSTANCE instance);
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  HINSTANCE Instance() const { return instance_; }
  // The application window (the taskbar button's).
  HWND Handle() const { return hwnd_; }

  // The title: bytes in the system's ANSI code page, shown as they are (up
  // to a NUL).
  void SetTitle(std::string_view title);

  // The window the taskbar button brings forward and its close closes.
  void SetMainWindow(HWND main) { main_ = main; }
  // Shows the taskbar button (the application window, of no size).
  void ShowTaskbarButton();

  // Ends every running message loop, and the main loop as soon as it
  // starts.
  void EndMessageLoops();
  bool LoopsEnded() const { return loops_ended_; }
  // Runs the main message loop until the loops are ended.
  void RunMessageLoop();

  // The session is ending: the system ends the process once the end of the
  // session has been answered, so the program ends here, with its status.
  // Tests observe it instead.
  virtual void EndProcess(int exit_status);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HWND main_ = nullptr;
  bool loops_ended_ = false;
};
