#include "strip/timer.h"

#include "strip/strip_platform.h"

FormTimer::FormTimer(StripPlatform& platform, StripTimer id, int interval)
    : platform_(platform), id_(id), interval_(interval) {}

void FormTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;  // enabling a running timer keeps its period
  const bool was_ticking = Ticking();
  enabled_ = enabled;
  Sync(was_ticking, false);
}

void FormTimer::SetInterval(int ms) {
  if (ms == interval_) return;
  const bool was_ticking = Ticking();
  interval_ = ms;
  Sync(was_ticking, true);  // a new interval restarts a running period
}

void FormTimer::Sync(bool was_ticking, bool restart) {
  if (Ticking() && (!was_ticking || restart)) {
    platform_.StartTimer(id_, interval_);
  } else if (!Ticking() && was_ticking) {
    platform_.StopTimer(id_);
  }
}
