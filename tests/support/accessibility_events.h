// Qt's accessibility switched on in this test process, as a screen reader
// switches it on, with every event it sends recorded while an object of this
// class lives. Qt only sends events while accessibility is active, and only
// the platform's accessibility object (private to Qt) can be told so.
#pragma once

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <QAccessible>
#include <vector>

class RecordedAccessibilityEvents {
 public:
  struct Event {
    QObject* object;
    QAccessible::Event type;
    int child;
  };

  RecordedAccessibilityEvents() {
    Events().clear();
    QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
      Events().push_back({event->object(), event->type(), event->child()});
    });
    SetActive(true);
  }
  ~RecordedAccessibilityEvents() {
    SetActive(false);
    QAccessible::installUpdateHandler(nullptr);
  }
  RecordedAccessibilityEvents(const RecordedAccessibilityEvents&) = delete;
  RecordedAccessibilityEvents& operator=(const RecordedAccessibilityEvents&) = delete;

  static std::vector<Event>& Events() {
    static std::vector<Event> recorded;
    return recorded;
  }

 private:
  static void SetActive(bool active) {
    if (QPlatformAccessibility* platform =
            QGuiApplicationPrivate::platformIntegration()->accessibility()) {
      platform->setActive(active);
    }
  }
};
