#include "qt/main_window/close_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

namespace {

constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};
std::atomic<int> g_write_fd{-1};

extern "C" void OnCloseSignal(int) {
  const int saved_errno = errno;
  const int fd = g_write_fd.load();
  if (fd >= 0) {
    const char byte = 1;
    // A full pipe already holds a wake-up; nothing is lost by dropping this one.
    [[maybe_unused]] ssize_t ignored = write(fd, &byte, 1);
  }
  errno = saved_errno;
}

}  // namespace

CloseSignals::CloseSignals(std::function<void()> on_signal, QObject* parent)
    : QObject(parent), on_signal_(std::move(on_signal)) {
  if (pipe2(fds_, O_NONBLOCK | O_CLOEXEC) != 0) {
    fds_[0] = fds_[1] = -1;
    return;
  }
  notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &CloseSignals::Drain);
  g_write_fd.store(fds_[1]);
  struct sigaction action = {};
  action.sa_handler = OnCloseSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < 3; ++i) {
    sigaction(kSignals[i], nullptr, &previous_[i]);
    // Started with it ignored (nohup, a background job): the user asked for
    // the program to outlive it.
    if (previous_[i].sa_handler == SIG_IGN) continue;
    sigaction(kSignals[i], &action, nullptr);
  }
}

CloseSignals::~CloseSignals() {
  if (!notifier_) return;
  for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
  g_write_fd.store(-1);
  delete notifier_;
  close(fds_[0]);
  close(fds_[1]);
}

void CloseSignals::Drain() {
  char bytes[64];
  while (read(fds_[0], bytes, sizeof bytes) > 0) {
  }
  if (on_signal_) on_signal_();
}
