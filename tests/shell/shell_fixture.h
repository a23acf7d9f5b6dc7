// What the main-window tests share: recorded message boxes, an observed end of
// the application, a fresh settings folder, and helpers to fill the store and
// to run the event loop for a bounded time.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "shell/message_boxes.h"
#include "support/temp_config.h"

class RecordingBoxes : public MessageBoxes {
 public:
  struct Box {
    std::string kind;  // "error", "information", "forecast", "uncaught", "modal"
    QString title;
    QString text;
  };
  void ShowError(const QString& text) override { boxes.push_back({"error", {}, text}); }
  void ShowInformation(const QString& text) override { boxes.push_back({"information", {}, text}); }
  void ShowForecast(const QString& title, const QString& text) override {
    boxes.push_back({"forecast", title, text});
  }
  void ShowUncaughtError(const QString& title, const QString& text) override {
    boxes.push_back({"uncaught", title, text});
  }
  int RunModal(QDialog&) override {
    boxes.push_back({"modal", {}, {}});
    return 0;
  }

  std::vector<Box> boxes;
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
  RecordingBoxes boxes_;
  int terminate_calls_ = 0;
};
