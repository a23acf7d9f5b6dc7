#include "shell/application.h"

#include <QMetaObject>

#include "shell/app_title.h"
#include "shell/display_text.h"
#include "shell/message_boxes.h"

namespace {
bool g_terminate_requested = false;
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowUncaughtError(error);
    return true;
  }
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

void TerminateApplication() {
  g_terminate_requested = true;
  // exit() before exec() is forgotten by Qt, so the request also goes through
  // the event queue: the loop ends as soon as it runs, without waiting for input.
  QCoreApplication::exit(0);
  if (QCoreApplication* app = QCoreApplication::instance()) {
    QMetaObject::invokeMethod(app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
  }
}

bool TerminateRequested() { return g_terminate_requested; }

void ResetTerminateRequest() { g_terminate_requested = false; }
