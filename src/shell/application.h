// The application object and the one boundary for errors that escape a
// handler: the message, followed by ".", in the standard error box titled
// with the application title; the event loop goes on.
#pragma once

#include <QApplication>
#include <exception>
#include <functional>

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Shows `error` in the standard error box.
void ShowUncaughtError(const std::exception& error);
// Runs `step`; an error escaping it is shown as by the boundary. Returns
// whether it ran to its end.
bool RunGuarded(const std::function<void()>& step);

// Tells the application to end: it ends when control returns to the message
// loop, also when the loop has not started yet. Every running loop, nested
// modal loops included, ends.
void TerminateApplication();
bool TerminateRequested();
// Forget a request (tests build many windows in one process).
void ResetTerminateRequest();
