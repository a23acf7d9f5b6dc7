// A window timer with the semantics the program relies on, which QTimer alone
// does not give: enabling a running timer keeps its period; setting an
// unchanged interval changes nothing, a new one restarts a running period; an
// interval of 0 (or below) gives no ticks; each timer carries an integer tag.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class TTimer : public QObject {
  Q_OBJECT
 public:
  explicit TTimer(QObject* parent = nullptr);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  int Interval() const { return interval_; }
  void SetInterval(int ms);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }
  // Whether ticks are really coming (enabled with a positive interval).
  bool Ticking() const { return timer_.isActive(); }
  // Milliseconds to the next tick; -1 when no ticks are coming.
  int RemainingTime() const { return timer_.remainingTime(); }

  std::function<void()> OnTimer;

 private:
  void Sync();

  QTimer timer_;
  bool enabled_ = false;
  int interval_ = 1000;
  int tag_ = 0;
};
