// Names and values for screen readers where a control's window text says
// nothing (a track bar, a colour grid, a field that shows its content), given
// through Active Accessibility's annotation of standard controls
// (IAccPropServices). Where COM or the service cannot be had, nothing is
// annotated and the system's own naming stands: a control is then named by
// the label just before it in the window order, which is where the dialogs
// put their labels.
#pragma once

#include <windows.h>

#include <functional>
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
// Where the texts given also go, besides the service: a test that cannot
// read them back through the system (Wine's service keeps nothing) watches
// them here; the program has no watcher. An empty watcher removes it.
using AccessibleTextWatcher =
    std::function<void(HWND control, AccessibleText what, std::string_view text)>;
void WatchAccessibleTexts(AccessibleTextWatcher watcher);
// Leaves `control` out of what screen readers read (it repeats another).
void HideFromScreenReaders(HWND control);
// Removes every annotation of `control`; call before it is destroyed.
void ClearAccessibleTexts(HWND control);
