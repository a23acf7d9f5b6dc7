// A real strip window for the face's tests, under Wine on a virtual X
// display: the registry's product key emptied for each case, boxes recorded
// instead of shown (a modal run ends its dialog at once, after on_modal), and
// an application whose end of process is observed instead of done.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/registry_sandbox.h"
#include "win32/application.h"
#include "win32/boxes.h"
#include "win32/strip_window.h"

class ObservedApplication : public TWin32Application {
 public:
  using TWin32Application::TWin32Application;
  void EndProcess(int exit_status) override { ended_with = exit_status; }
  std::optional<int> ended_with;
};

// Boxes as "error: <text>", "information: <text>", "forecast: <title> |
// <text>", "uncaught: <title> | <message>", "modal".
class RecordingBoxes : public Win32Boxes {
 public:
  RecordingBoxes() { InstallBoxes(this); }
  ~RecordingBoxes() override { InstallBoxes(nullptr); }
  void ShowError(HWND, std::string_view text) override { Add("error: ", text); }
  void ShowInformation(HWND, std::string_view text) override { Add("information: ", text); }
  void ShowForecast(HWND, std::string_view title, std::string_view text) override {
    Add("forecast: " + std::string(title) + " | ", text);
  }
  void ShowUncaughtError(HWND, std::string_view title, std::string_view message) override {
    Add("uncaught: " + std::string(title) + " | ", message);
  }
  int RunModal(HWND owner, HWND dialog) override {
    boxes.push_back("modal");
    owners.push_back(owner);
    if (on_modal) on_modal(dialog);
    if (IsWindow(dialog)) EndModal(dialog, IDCANCEL);
    return 0;
  }
  std::vector<std::string> boxes;
  std::vector<HWND> owners;
  std::function<void(HWND dialog)> on_modal;

 private:
  void Add(const std::string& kind, std::string_view text) {
    boxes.push_back(kind + std::string(text));
  }
};

class StripTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // An entry of the store, as text; "<none>" when missing.
  static void Store(const char* section, const char* entry, const std::string& value);
  static std::string Stored(const char* section, const char* entry);
  // Builds the strip as the program entry does and runs FormCreate. Without
  // `update_at_start` the store says not to update at start-up.
  void Create(bool update_at_start = false);
  // Serves the thread's messages until `done` or `seconds` have passed.
  static bool ServeUntil(const std::function<bool()>& done, int seconds = 10);
  // The window's text.
  static std::string Text(HWND window);
  // The product key again, made volatile: no section can be made below it,
  // so every write of the store fails with "Failed to create key <section>".
  static void MakeStoreUnwritable();

  RegistrySandbox sandbox_;
  RecordingBoxes boxes_;
  std::unique_ptr<ObservedApplication> app_;
  std::unique_ptr<TWin32Strip> strip_;
};
