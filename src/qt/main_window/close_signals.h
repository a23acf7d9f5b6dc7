// SIGTERM, SIGINT and SIGHUP as events of the event loop.
//
// While a CloseSignals lives, those three signals no longer end the process:
// the signal handler only writes a byte into a pipe (a self-pipe, the one
// thing a handler may safely do), and the event loop reads it and calls
// `on_signal` as an ordinary event, through the application's error boundary.
// Several signals that arrive before the loop reads them give one call. A
// signal that is ignored when the instance is made (the program was started
// under nohup, or as a background job) stays ignored. The destructor puts the
// previous handlers back. One instance at a time.
#pragma once

#include <signal.h>

#include <QObject>
#include <functional>

class QSocketNotifier;

class CloseSignals : public QObject {
  Q_OBJECT
 public:
  explicit CloseSignals(std::function<void()> on_signal, QObject* parent = nullptr);
  ~CloseSignals() override;
  CloseSignals(const CloseSignals&) = delete;
  CloseSignals& operator=(const CloseSignals&) = delete;

  // Whether the handlers are in place (creating the pipe can fail).
  bool Installed() const { return notifier_ != nullptr; }

 private:
  void Drain();

  std::function<void()> on_signal_;
  int fds_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
  struct sigaction previous_[3] = {};
};
