// Message boxes that record what would have been shown and return at once.
#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "shell/message_boxes.h"

struct RecordedBox {
  QString kind;  // "error", "information", "forecast", "uncaught", "modal"
  QString title;
  QString text;
};

class RecordingBoxes : public MessageBoxes {
 public:
  RecordingBoxes() { InstallMessageBoxes(this); }
  ~RecordingBoxes() override { InstallMessageBoxes(nullptr); }
  RecordingBoxes(const RecordingBoxes&) = delete;
  RecordingBoxes& operator=(const RecordingBoxes&) = delete;

  void ShowError(const QString& text) override { boxes.push_back({"error", "Error", text}); }
  void ShowInformation(const QString& text) override {
    boxes.push_back({"information", "Information", text});
  }
  void ShowForecast(const QString& title, const QString& text) override {
    boxes.push_back({"forecast", title, text});
  }
  void ShowUncaughtError(const QString& title, const QString& text) override {
    boxes.push_back({"uncaught", title, text});
  }
  int RunModal(QDialog& dialog) override {
    boxes.push_back({"modal", dialog.windowTitle(), {}});
    return QDialog::Rejected;
  }

  std::vector<RecordedBox> boxes;
};
