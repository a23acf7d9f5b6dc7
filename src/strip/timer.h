// A timer of the main window, with the semantics the program relies on:
// enabling a running timer keeps its period; setting an unchanged interval
// changes nothing, while a new one restarts a running period; an interval of
// 0 (or below) gives no ticks; each timer carries an integer tag.
//
// The state lives here; the window system only runs a periodic timer when
// told to start one (with its interval, from now) and stops it when told to.
#pragma once

class StripPlatform;

enum class StripTimer { tmrScroll, tmrUpdate, tmrTitleSwitch };

class FormTimer {
 public:
  FormTimer(StripPlatform& platform, StripTimer id, int interval);
  FormTimer(const FormTimer&) = delete;
  FormTimer& operator=(const FormTimer&) = delete;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  int Interval() const { return interval_; }
  void SetInterval(int ms);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  // Whether ticks are coming: enabled with a positive interval.
  bool Ticking() const { return enabled_ && interval_ > 0; }

 private:
  // Starts or stops the window system's timer where Ticking() changed, or
  // restarts it (`restart`) for a new interval.
  void Sync(bool was_ticking, bool restart);

  StripPlatform& platform_;
  StripTimer id_;
  bool enabled_ = false;
  int interval_;
  int tag_ = 0;
};
