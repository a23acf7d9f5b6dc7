// The program's application object for the Qt test programs, with the end of
// the message loops observed: every request to end them is counted, a test
// may keep its own event loops running through one, and a test that builds
// one main window after another forgets the request between them.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

#include "qt/ui/application.h"

class TestApplication : public Application {
 public:
  using Application::Application;

  // The application object of the test program.
  static TestApplication& Current() {
    return *static_cast<TestApplication*>(QCoreApplication::instance());
  }

  void EndMessageLoops() override {
    ++end_loops_calls;
    if (end_loops) Application::EndMessageLoops();
  }
  // As if no loop had been ended yet.
  void ForgetEndedLoops() {
    end_loops_calls = 0;
    Application::ForgetEndedLoops();
  }

  // Whether a request ends the running loops, as in the program, or is only
  // recorded.
  bool end_loops = true;
  int end_loops_calls = 0;
};

// Runs the event loop until `done` holds or `ms` have passed; returns
// whether `done` held.
inline bool ProcessEventsUntil(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer waited;
  waited.start();
  while (!done()) {
    if (waited.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}
