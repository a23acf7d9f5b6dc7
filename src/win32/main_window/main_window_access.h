// What screen readers see of the ticker: a read-only static text named
// kTickerName (strip/form_design.h) whose value (and description) is the whole forecast, not the
// moving caption, so the ticker's steps tell them nothing new.
//
// The ticker's window answers WM_GETOBJECT for its client object with
// TickerAccessible, which takes everything else (place, state, focus,
// navigation) from the system's standard object of that window.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The forecast as screen readers get it; owned by the ticker's window.
class TickerAccessText {
 public:
  // Ties the text to the ticker's window, until Detach (before the window
  // goes).
  void Attach(HWND ticker);
  void Detach(HWND ticker);
  // The whole forecast (bytes in the system's ANSI code page), and screen
  // readers told that it changed.
  void Set(HWND ticker, std::string_view forecast);
  const std::string& Get() const { return text_; }

 private:
  std::string text_;
};

// The answer to WM_GETOBJECT on the ticker's window, or 0 to let the system
// answer (for objects other than the client).
LRESULT AnswerTickerObject(HWND ticker, WPARAM wparam, LPARAM lparam);
