#include "ui/timer.h"

TTimer::TTimer(QObject* parent) : QObject(parent) {
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (OnTimer) OnTimer();
  });
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;  // enabling a running timer keeps its period
  enabled_ = enabled;
  Sync();
}

void TTimer::SetInterval(int ms) {
  if (ms == interval_) return;
  interval_ = ms;
  timer_.stop();  // a new interval restarts a running period
  Sync();
}

void TTimer::Sync() {
  // QTimer treats 0 as "as often as possible"; here 0 or less means no ticks.
  if (enabled_ && interval_ > 0) {
    if (!timer_.isActive()) timer_.start(interval_);
  } else {
    timer_.stop();
  }
}
