// Names and values for screen readers where a control's window text says
// nothing (a track bar, a colour grid, a field that shows its content), given
// through Active Accessibility's annotation of standard controls
// (IAccPropServices). Where COM or the service cannot be had, nothing is
// annotated and the system's own naming stands: a control is then named by
// the label just before it in the window order, which is where the dialogs
// put their labels.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

enum class AccessibleText { kName, kValue, kDescription };

// COM for one modal dialog on this thread: initialised (apartment-threaded)
// if it was not yet, and left again when the object goes.
class DialogComScope {
 public:
  DialogComScope();
  ~DialogComScope();
  DialogComScope(const DialogComScope&) = delete;
  DialogComScope& operator=(const DialogComScope&) = delete;

 private:
  bool initialised_;
};

// Sets `what` of `control` to `text` (bytes in the ANSI code page).
void SetAccessibleText(HWND control, AccessibleText what, std::string_view text);
// What `control` was given as `what` ("" for nothing), kept with the window
// also where no service takes it.
std::string AccessibleTextOf(HWND control, AccessibleText what);
// Leaves `control` out of what screen readers read (it repeats another).
void HideFromScreenReaders(HWND control);
// Removes every annotation of `control`; call before it is destroyed.
void ClearAccessibleTexts(HWND control);
