// What the options dialog and the about box share: a layout drawn in pixels
// at 96 dpi, scaled to the dpi of the window that owns the dialog; fonts by
// pixel height; child controls at their layout places; tool tips; a client
// size and a centred place on the screen; and the little a dialog's own
// window procedure does for IsDialogMessageA when the window is no dialog
// template.
//
// Texts are bytes in the system's ANSI code page (the A functions).
#pragma once

#include <windows.h>

#include <string_view>

// Pixels of the 96-dpi layout at the dpi the dialog is shown at. The dpi is
// the owner's as the system gives it to this process: 96 in a process that is
// not dpi-aware (the system then stretches the whole window itself), the
// monitor's in one that is.
class DialogScale {
 public:
  explicit DialogScale(int dpi) : dpi_(dpi) {}
  static DialogScale For(HWND owner);

  int operator()(int pixels) const { return MulDiv(pixels, dpi_, 96); }
  int Dpi() const { return dpi_; }

 private:
  int dpi_;
};

// A GDI font, deleted with the object.
class DialogFont {
 public:
  // `face` with a character height of `pixel_height` layout pixels (the
  // height without internal leading, as the layout gives it).
  DialogFont(const char* face, int pixel_height, const DialogScale& scale, bool bold = false,
             BYTE charset = DEFAULT_CHARSET);
  ~DialogFont();
  DialogFont(const DialogFont&) = delete;
  DialogFont& operator=(const DialogFont&) = delete;

  HFONT Get() const { return font_; }

 private:
  HFONT font_;
};

// A place in the layout, in 96-dpi client pixels.
struct LayoutRect {
  int left;
  int top;
  int width;
  int height;
};

// Makes a visible child control of `parent` at `place`, with `id`, drawing
// its text in `font`.
HWND MakeControl(HWND parent, const char* window_class, const char* text, DWORD style, int id,
                 LayoutRect place, const DialogScale& scale, HFONT font, DWORD ex_style = 0);

// The width in pixels of `text` drawn in `font`.
int TextWidth(HFONT font, std::string_view text);

// Gives the top-level `window` a client area of `width` by `height` pixels
// and centres it on the work area of the monitor that shows `owner` (the
// primary monitor without one).
void SizeAndCentre(HWND window, int width, int height, HWND owner);

// Registers a window class of this module once; later calls do nothing.
void RegisterDialogClass(const char* name, WNDPROC procedure, bool control);

// The module whose resources and window classes the dialogs use.
HINSTANCE DialogModule();

// A tool tip control owned by `dialog` (destroyed with it), showing each
// tool's text while the pointer rests on it; lines break at '\n'.
HWND MakeToolTips(HWND dialog, const DialogScale& scale);
void AddToolTip(HWND tips, HWND dialog, HWND control, const char* text);

// Removes the system menu's commands that a fixed-size dialog has no use
// for (Restore, Size, Minimize, Maximize), leaving Move and Close.
void TrimSystemMenu(HWND dialog);

// What a dialog's own window procedure does for IsDialogMessageA, for windows
// that are no dialog template:
// WM_NEXTDLGCTL moves the focus to the control given, or to the next (wparam
// 0) or previous tab stop.
void MoveDialogFocus(HWND dialog, WPARAM wparam, LPARAM lparam);
// WM_ACTIVATE: leaving the dialog remembers the focused control in `*saved`;
// coming back gives it the focus again, or `first` the first time.
void KeepDialogFocus(HWND dialog, WPARAM wparam, HWND* saved, HWND first);
