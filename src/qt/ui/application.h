// The application object: the event loops, the boundary for errors that
// escape a handler, and the platform choices made before it exists.
#pragma once

#include <QApplication>
#include <exception>
#include <functional>

// The application object. It never ends by itself when windows close (the
// main window is a tool window and ends the program through its strip), and
// its notify() is where the error boundary meets Qt's event loop: an
// exception escaping the handler of an event ends that handler, is shown by
// the boundary the main window installed (TfrmMain::ShowUncaught, which
// decides the box's text and title), and the event loop goes on.
//
// EndMessageLoops and RunMessageLoop below act on the application object of
// the process, which every program here constructs before anything else.
class Application : public QApplication {
  Q_OBJECT
 public:
  Application(int& argc, char** argv);
  // The application object of the process.
  static Application& Instance();

  bool notify(QObject* receiver, QEvent* event) override;

  // What shows an error that escaped a handler, installed by `owner` (the
  // main window, for its strip) until it takes it away again. Without one, the
  // error goes to standard error.
  using ErrorBoundary = std::function<void(const std::exception&)>;
  void InstallErrorBoundary(const void* owner, ErrorBoundary boundary);
  void RemoveErrorBoundary(const void* owner);

  // Ends every running loop at once, nested modal loops included (their
  // exec() returns), and a main loop started afterwards returns at once.
  // Windows are not closed by this. Virtual so that a program that drives
  // windows without this object's loops (a test program) can record it.
  virtual void EndMessageLoops();
  // Runs the main event loop until EndMessageLoops. Returns at once when that
  // came before the loop started (during the main window's creation),
  // without waiting for input.
  void RunMessageLoop();

 protected:
  // As if no loop had been ended yet (a test program that builds one main
  // window after another).
  void ForgetEndedLoops() { loops_ended_ = false; }

 private:
  bool loops_ended_ = false;
  const void* boundary_owner_ = nullptr;
  ErrorBoundary boundary_;
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
