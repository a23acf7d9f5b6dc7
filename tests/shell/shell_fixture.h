// What the main-window tests share: recorded message boxes, an observed end of
// the application, a fresh settings folder, both data sources on a loopback
// port that refuses (a test that wants documents serves them itself), and
// helpers to fill the store and to run the event loop for a bounded time.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "shell/message_boxes.h"
#include "support/loopback_server.h"
#include "support/temp_config.h"

// Records every box and modal run and returns at once. A test can act inside
// a box, as the box's own event loop would let timers and the user act:
// `on_box` runs while a box is "open" (after it was recorded), and `on_modal`
// drives a modal dialog and gives its result.
class RecordingBoxes : public MessageBoxes {
 public:
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

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes `ini` as the whole settings file.
  void StoreFile(const std::string& ini);
  std::string StoredFile() const;
  // Reads one text entry back through the store.
  std::string StoredText(const char* section, const char* entry) const;
  // Runs the event loop until `done` holds or `ms` have passed.
  static bool ProcessEventsUntil(const std::function<bool()>& done, int ms = 5000);

  TempConfigDir config_;
  RefusingPort nowhere_;
  RecordingBoxes boxes_;
  int terminate_calls_ = 0;
};
