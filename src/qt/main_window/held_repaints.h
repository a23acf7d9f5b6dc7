// What the strip does with requests to repaint while a document downloads.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QObject>
#include <QPointer>

// While a document downloads, the strip shows what the update last painted
// on purpose: the screen changes only where it is uncovered (and by the
// update's own forced repaints), never with the half-done texts an update
// passes through. Requests to repaint later are held back until the fetch
// returns, and then sent again, to be served once control is back in an
// event loop.
class HeldRepaints : public QObject {
 public:
  // A forced repaint asks for its paint at once, with the same event; it
  // goes through.
  static inline int forced_ = 0;

  HeldRepaints() { qApp->installEventFilter(this); }
  ~HeldRepaints() override {
    qApp->removeEventFilter(this);
    for (const QPointer<QObject>& receiver : held_) {
      if (receiver) {
        QCoreApplication::postEvent(receiver, new QEvent(QEvent::UpdateRequest),
                                    Qt::LowEventPriority);
      }
    }
  }
  HeldRepaints(const HeldRepaints&) = delete;
  HeldRepaints& operator=(const HeldRepaints&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::UpdateRequest || forced_ > 0) return false;
    if (!held_.contains(watched)) held_.append(watched);
    return true;
  }

 private:
  QList<QPointer<QObject>> held_;
};
