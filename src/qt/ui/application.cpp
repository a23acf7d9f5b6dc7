#include "qt/ui/application.h"

#include <QMetaObject>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {
bool EnvSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}
}  // namespace

Application& Application::Instance() {
  // Every program here constructs a Application before it shows or ends
  // anything.
  return *static_cast<Application*>(QCoreApplication::instance());
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  setQuitOnLastWindowClosed(false);
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    if (boundary_) {
      boundary_(error);
    } else {
      std::fprintf(stderr, "%s: %s\n", qPrintable(applicationName()), error.what());
    }
    return true;
  }
}

void Application::InstallErrorBoundary(const void* owner, ErrorBoundary boundary) {
  boundary_owner_ = owner;
  boundary_ = std::move(boundary);
}

void Application::RemoveErrorBoundary(const void* owner) {
  if (owner != boundary_owner_) return;
  boundary_owner_ = nullptr;
  boundary_ = nullptr;
}

void Application::EndMessageLoops() {
  loops_ended_ = true;
  // exit(), unlike quit(), neither closes windows nor makes an open message
  // box answer: it ends every running loop where it stands.
  QCoreApplication::exit(0);
}

void Application::RunMessageLoop() {
  // Loops ended before this one started ended nothing. That is passed on
  // here rather than queued when it happens: the main window's creation runs
  // events itself while it waits for the window to appear, and would take
  // such a wake-up away.
  if (loops_ended_) {
    QMetaObject::invokeMethod(
        this, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
  }
  exec();
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
