// Drives a dialog of the Win32 face as a real window while a recording
// MessageBoxes "runs" it: the boxes are recorded, a modal run shows the
// dialog and lets the test act on it; keys go through IsDialogMessageA as the
// modal loop sends them, clicks go to the controls.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "win32/ui/message_boxes.h"

namespace dialog_driver {

// Records the boxes; a modal run shows the dialog and lets the test act on it.
class DrivingBoxes : public MessageBoxes {
 public:
  DrivingBoxes() { InstallMessageBoxes(this); }
  ~DrivingBoxes() override { InstallMessageBoxes(nullptr); }

  struct Box {
    std::string kind;
    HWND owner;
    std::string title;
    std::string text;
  };
  void ShowError(HWND owner, std::string_view text) override {
    boxes.push_back({"error", owner, {}, std::string(text)});
  }
  void ShowInformation(HWND owner, std::string_view text) override {
    boxes.push_back({"information", owner, {}, std::string(text)});
  }
  void ShowForecast(HWND owner, std::string_view title, std::string_view text) override {
    boxes.push_back({"forecast", owner, std::string(title), std::string(text)});
  }
  void ShowUncaughtError(HWND owner, std::string_view title, std::string_view message) override {
    boxes.push_back({"uncaught", owner, std::string(title), std::string(message)});
  }
  int RunModal(HWND, HWND dialog) override {
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    ++runs;
    if (on_modal) on_modal(dialog);
    return 0;
  }

  std::vector<Box> boxes;
  int runs = 0;
  std::function<void(HWND)> on_modal;
};

// Runs what the modal loop would have queued meanwhile, each message through
// IsDialogMessageA first.
inline void Pump(HWND dialog) {
  MSG message;
  for (int i = 0; i < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (IsWindow(dialog) && IsDialogMessageA(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// A key message to the focused control as the modal loop hands it on.
inline void Key(HWND dialog, UINT kind, WPARAM key, LPARAM flags = 1) {
  MSG message{};
  message.hwnd = GetFocus();
  message.message = kind;
  message.wParam = key;
  message.lParam = flags;
  if (!IsDialogMessageA(dialog, &message)) DispatchMessageA(&message);
  Pump(dialog);
}
inline void Press(HWND dialog, WPARAM virtual_key) { Key(dialog, WM_KEYDOWN, virtual_key); }
inline void Type(HWND dialog, char character) { Key(dialog, WM_CHAR, character); }
// Alt with a letter.
inline void AltKey(HWND dialog, char letter) { Key(dialog, WM_SYSCHAR, letter, 1 | (1 << 29)); }

inline void Click(HWND control) { SendMessageA(control, BM_CLICK, 0, 0); }

}  // namespace dialog_driver
