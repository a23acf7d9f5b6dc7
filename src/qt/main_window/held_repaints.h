// What the main window does with requests to repaint while a document
// downloads.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

// While a document downloads, the main window shows what the update last
// painted on purpose: the screen changes only where it is uncovered (and by
// the update's own forced repaints, RepaintNow), never with the half-done
// texts an update passes through. Requests to repaint later are held back
// while this object lives, and then sent again, to be served once control is
// back in an event loop.
class HeldRepaints : public QObject {
 public:
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

  // Repaints `widget` at once. Its paint is asked for with the same event as
  // a later one (UpdateRequest, sent at once), and goes through.
  void RepaintNow(QWidget& widget) {
    const bool outer = forcing_;
    forcing_ = true;
    widget.repaint();
    forcing_ = outer;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::UpdateRequest || forcing_) return false;
    if (!held_.contains(watched)) held_.append(watched);
    return true;
  }

 private:
  QList<QPointer<QObject>> held_;
  bool forcing_ = false;  // within RepaintNow
};
