// Message boxes for tests: installed while the object lives, they record
// what would have been shown and return at once.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "qt/ui/message_boxes.h"

// Records every box and modal run and returns at once. A test can act inside
// a box, as the box's own event loop would let timers and the user act:
// `on_box` runs while a box is "open" (after it was recorded), and `on_modal`
// drives a modal dialog and gives its result.
class RecordingBoxes : public MessageBoxes {
 public:
  RecordingBoxes() { InstallMessageBoxes(this); }
  ~RecordingBoxes() override { InstallMessageBoxes(nullptr); }
  RecordingBoxes(const RecordingBoxes&) = delete;
  RecordingBoxes& operator=(const RecordingBoxes&) = delete;

  struct Box {
    std::string kind;  // "error", "information", "forecast", "uncaught", "modal"
    QString title;
    QString text;
    QDialog* dialog = nullptr;  // the dialog of a modal run, while it runs
  };
  void ShowError(const QString& text) override { Show({"error", {}, text}); }
  void ShowInformation(const QString& text) override { Show({"information", {}, text}); }
  void ShowForecast(const QString& title, const QString& text) override {
    Show({"forecast", title, text});
  }
  void ShowUncaughtError(const QString& title, const QString& text) override {
    Show({"uncaught", title, text});
  }
  int RunModal(QDialog& dialog) override {
    Show({"modal", {}, {}, &dialog});
    return on_modal ? on_modal(dialog) : 0;
  }

  std::vector<Box> boxes;
  std::function<void(const Box&)> on_box;
  std::function<int(QDialog&)> on_modal;

 private:
  void Show(Box box) {
    boxes.push_back(box);
    if (on_box) on_box(box);
  }
};
