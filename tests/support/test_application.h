// The program's application object for the Qt test programs, with the end of
// the program observed: every request to end is counted, a test may keep its
// own event loops running through one, and a test that builds one main window
// after another forgets the request between them.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

#include "qt/ui/application.h"

class TestApplication : public TApplication {
 public:
  using TApplication::TApplication;

  // The application object of the test program.
  static TestApplication& Current() {
    return *static_cast<TestApplication*>(QCoreApplication::instance());
  }

  void Terminate(int exit_status = 0) override {
    ++terminate_calls;
    requested_ = true;
    if (exit_status != 0 && this->exit_status == 0) this->exit_status = exit_status;
    if (end_loops) TApplication::Terminate(exit_status);
  }
  bool TerminateRequested() const override { return requested_; }
  // As if nothing had asked the application to end yet.
  void ForgetTerminate() {
    requested_ = false;
    exit_status = 0;
  }

  // Whether a request ends the running loops, as in the program, or is only
  // recorded.
  bool end_loops = true;
  int terminate_calls = 0;
  int exit_status = 0;  // the first non-zero status asked for

 private:
  bool requested_ = false;
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
