#include "qt/ui/application.h"

#include <QMetaObject>
#include <cstdlib>
#include <cstring>

#include "qt/ui/app_title.h"
#include "qt/ui/display_text.h"
#include "qt/ui/message_boxes.h"

namespace {
TApplication& Application() {
  // Every program here constructs a TApplication before it shows or ends
  // anything.
  return *static_cast<TApplication*>(QCoreApplication::instance());
}

bool EnvSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}
}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setQuitOnLastWindowClosed(false);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowUncaughtError(error);
    return true;
  }
}

void PreferX11UnderWayland(int argc, char** argv) {
  if (EnvSet("QT_QPA_PLATFORM")) return;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0 ||
        std::strncmp(argv[i], "-platform=", 10) == 0 ||
        std::strncmp(argv[i], "--platform=", 11) == 0) {
      return;
    }
  }
  const char* session = std::getenv("XDG_SESSION_TYPE");
  const bool wayland =
      EnvSet("WAYLAND_DISPLAY") || (session && std::strcmp(session, "wayland") == 0);
  if (wayland && EnvSet("DISPLAY")) qputenv("QT_QPA_PLATFORM", "xcb");
}

void PreferPlainImageTransfer() {
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
}

void ShowUncaughtError(const std::exception& error) {
  Boxes().ShowUncaughtError(ApplicationTitle(), ToDisplay(error.what()) + QLatin1Char('.'));
}

bool RunGuarded(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const std::exception& error) {
    ShowUncaughtError(error);
    return false;
  }
}

void TApplication::Terminate(int exit_status) {
  terminate_requested_ = true;
  if (exit_status_ == 0) exit_status_ = exit_status;
  // exit(), unlike quit(), neither closes windows nor makes an open message
  // box answer: it ends every running loop where it stands.
  QCoreApplication::exit(exit_status_);
}

int TApplication::RunMessageLoop() {
  // A request made before the loop started ended no loop. It is passed on
  // here rather than queued when it is made: the main window's creation runs
  // events itself while it waits for the window to appear, and would take
  // such a wake-up away.
  if (TerminateRequested()) {
    QMetaObject::invokeMethod(
        this, [this] { QCoreApplication::exit(exit_status_); }, Qt::QueuedConnection);
  }
  exec();
  return exit_status_;
}

void TerminateApplication(int exit_status) { Application().Terminate(exit_status); }

int RunMessageLoop() { return Application().RunMessageLoop(); }

bool TerminateRequested() { return Application().TerminateRequested(); }
