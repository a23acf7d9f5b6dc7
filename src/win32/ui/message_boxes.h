// The one seam through which the Win32 face shows its message boxes and runs
// its modal dialogs. The real implementation uses MessageBoxA and the face's
// own modal loop; tests install one that records the calls and returns at
// once, or drives the dialog it is given.
//
// Texts are bytes in the system's ANSI code page, shown as they are (the A
// functions); nothing in them is markup or an access key.
#pragma once

#include <windows.h>

#include <string_view>

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Titled kErrorBoxTitle (strip/form_design.h), error icon, one "OK" that
  // Enter and Esc press, centred on the screen, modal to `owner`.
  virtual void ShowError(HWND owner, std::string_view text) = 0;
  // Titled kInformationBoxTitle, information icon, otherwise as ShowError.
  virtual void ShowInformation(HWND owner, std::string_view text) = 0;
  // The whole forecast: no icon, one "OK", word-wrapped to at most half the
  // work area's width, centred, titled `title`. A forecast taller than three
  // quarters of the work area scrolls within that height (the scroll bar,
  // the wheel, and the arrows, Page Up, Page Down, Home and End on "OK").
  virtual void ShowForecast(HWND owner, std::string_view title, std::string_view text) = 0;
  // The standard box for an error that escaped a handler: stop icon, one
  // "OK", titled `title`, the message as given.
  virtual void ShowUncaughtError(HWND owner, std::string_view title, std::string_view message) = 0;
  // Runs `dialog` (a top-level window made by the caller, not yet shown)
  // modally to `owner`: shows it centred, disables the owner, and runs a
  // message loop (timers keep firing) until the dialog is destroyed or the
  // application is told to end; then enables the owner again. Returns the
  // dialog's result as EndModal set it (0 when it ended otherwise).
  virtual int RunModal(HWND owner, HWND dialog) = 0;
};

// The boxes in use: the real ones unless a test installed its own.
MessageBoxes& Boxes();
// Installs `boxes` (not owned); nullptr goes back to the real ones.
void InstallMessageBoxes(MessageBoxes* boxes);
// Ends the modal run of `dialog` with `result` (the dialog is destroyed).
void EndModal(HWND dialog, int result);

// The window boxes belong to: `owner`, or the dialog whose own handler is
// running (BoxOwnerScope), so that a box it causes is modal to it.
HWND BoxOwner(HWND owner);
class BoxOwnerScope {
 public:
  explicit BoxOwnerScope(HWND dialog);
  ~BoxOwnerScope();
  BoxOwnerScope(const BoxOwnerScope&) = delete;
  BoxOwnerScope& operator=(const BoxOwnerScope&) = delete;

 private:
  HWND outer_;
};
