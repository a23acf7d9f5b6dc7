// The application object, the one boundary for errors that escape a handler,
// and the end of the program.
#pragma once

#include <QApplication>
#include <exception>
#include <functional>

// The application object. It never ends by itself when windows close (the
// main window is a tool window and ends the program on its own terms, see
// TerminateApplication), and its notify() is the error boundary: an exception
// escaping the handler of an event ends that handler, is shown by
// ShowUncaughtError, and the event loop goes on.
//
// It also keeps whether the program was told to end: TerminateApplication,
// TerminateRequested and RunMessageLoop below act on the application object
// of the process, which every program here constructs before anything else.
class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // Records the request and ends the running loops (see TerminateApplication).
  // Both are virtual so that a program that drives windows without this
  // object's loops (a test program) can record the end its own way.
  virtual void Terminate(int exit_status = 0);
  // Whether the application was told to end.
  virtual bool TerminateRequested() const { return terminate_requested_; }
  // See RunMessageLoop.
  int RunMessageLoop();

 private:
  bool terminate_requested_ = false;
  int exit_status_ = 0;  // the first non-zero status asked for
};

// Under a Wayland session a client cannot place its own window; when an X
// server is reachable too (DISPLAY), run on it through the xcb platform,
// unless the user chose a platform (QT_QPA_PLATFORM or -platform). Call
// before the application object is constructed.
void PreferX11UnderWayland(int argc, char** argv);

// The program's windows are small and repaint a strip of text several times
// a second; X11 shared-memory image transfer costs more than it saves there
// (a completion event and two wake-ups per paint), so it is left off unless
// the user set QT_XCB_NO_MITSHM. Call before the application object is
// constructed.
void PreferPlainImageTransfer();

// Shows `error` in the standard error box: its message followed by ".", stop
// icon, titled with the application title at that moment.
void ShowUncaughtError(const std::exception& error);
// Runs `step` behind the same boundary (for code that does not run from the
// event loop, such as window creation). Returns whether it ran to its end.
bool RunGuarded(const std::function<void()>& step);

// Tells the application to end. Every running loop ends at once, nested modal
// loops included (their exec() returns), and a loop started afterwards returns
// at once. A request made before the main loop has started is kept for
// RunMessageLoop. Windows are not closed by this: the caller has closed what
// it needs. A non-zero `exit_status` (something could not be done on the way
// out) is what the program ends with, whatever later requests say.
void TerminateApplication(int exit_status = 0);
// Runs the main event loop until the application is told to end, and returns
// the exit status (0 unless a request said otherwise). Returns at once when it
// was told so before the loop started (during the main window's creation),
// without waiting for input.
int RunMessageLoop();
// Whether the application was told to end.
bool TerminateRequested();
