#include "ui/application.h"

#include <QMetaObject>
#include <cstdlib>
#include <cstring>

#include "ui/app_title.h"
#include "ui/display_text.h"
#include "ui/message_boxes.h"

namespace {
bool g_terminate_requested = false;
int g_exit_status = 0;
std::function<void()> g_terminate_hook;

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
  if (wayland && EnvSet("DISPLAY")) setenv("QT_QPA_PLATFORM", "xcb", 1);
}

void PreferPlainImageTransfer() { setenv("QT_XCB_NO_MITSHM", "1", 0); }

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

void TerminateApplication(int exit_status) {
  g_terminate_requested = true;
  if (exit_status != 0) g_exit_status = exit_status;
  if (g_terminate_hook) {
    g_terminate_hook();
    return;
  }
  // exit(), unlike quit(), neither closes windows nor makes an open message
  // box answer: it ends every running loop where it stands.
  QCoreApplication::exit(g_exit_status);
}

int RunMessageLoop() {
  // A request made before the loop started ended no loop. It is passed on
  // here rather than queued when it is made: the main window's creation runs
  // events itself while it waits for the window to appear, and would take
  // such a wake-up away.
  if (g_terminate_requested) {
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(g_exit_status); }, Qt::QueuedConnection);
  }
  QApplication::exec();
  return g_exit_status;
}

bool TerminateRequested() { return g_terminate_requested; }

void ResetTerminateRequest() {
  g_terminate_requested = false;
  g_exit_status = 0;
}

void SetTerminateHook(std::function<void()> hook) { g_terminate_hook = std::move(hook); }
