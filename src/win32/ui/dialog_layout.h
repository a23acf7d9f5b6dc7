// What the options dialog and the about box share: a form of the strip's
// tables (strip/form_design.h) made as a window of its own with
// CreateWindowExA (no dialog template), its controls in the table's order,
// and the little a dialog's own window procedure does for IsDialogMessageA.
//
// A form's places are in pixels at 96 dpi, scaled to the dpi the system gives
// this process for the owner: 96 in a process that is not dpi-aware (the
// system then stretches the whole window itself), the monitor's in one that
// is. Texts are bytes in the system's ANSI code page (the A functions).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "strip/form_design.h"

// Pixels of the 96-dpi layout at the dpi the form is shown at.
class DialogScale {
 public:
  explicit DialogScale(int dpi) : dpi_(dpi) {}
  static DialogScale For(HWND owner);

  int operator()(int pixels) const { return MulDiv(pixels, dpi_, 96); }
  int Dpi() const { return dpi_; }

 private:
  int dpi_;
};

// A table's font as a GDI font at the form's dpi (the character height
// without internal leading), deleted with the object. Where the system
// lacks a face that has a stand-in here, the stand-in is drawn.
class DialogFont {
 public:
  DialogFont(const FormFont& font, const DialogScale& scale);
  ~DialogFont();
  DialogFont(const DialogFont&) = delete;
  DialogFont& operator=(const DialogFont&) = delete;

  HFONT Get() const { return font_; }
  COLORREF Color() const { return color_; }
  int Ascent() const { return ascent_; }
  // `text` as this font draws it: a symbol font (its own encoding) gets the
  // codes of the characters the ANSI bytes stand for.
  std::string Drawn(std::string_view text) const;

 private:
  HFONT font_ = nullptr;
  COLORREF color_;
  bool symbol_encoded_ = false;
  int ascent_ = 0;
};

// The identifier of control `name` of `design`: IDOK for its default
// button and IDCANCEL for its cancel button (the identifiers Enter and Esc
// stand for), the others by their place in the table. Raises
// std::out_of_range for a name the table has not.
int FormControlId(const FormDesign& design, std::string_view name);
// The control of `design` with identifier `id`; nullptr for none.
const FormControl* FormControlOf(const FormDesign& design, int id);

// A form of the strip's tables: the window (hidden until its modal run
// shows it), its caption and frame, its controls made from the table in its
// order (tab stops, groups of controls of one kind for the arrow keys, the
// default button, places, fonts and colours, tool tips, names for screen
// readers), sized and centred on the owner's monitor.
class TableForm {
 public:
  // Makes the control of a kind the form does not make itself (kColorGrid,
  // which needs the form's state) as a child of `form` with identifier `id`
  // at (x, y), at most `width` by `height` pixels; nullptr for none.
  using ControlMaker = std::function<HWND(const FormControl& control, HWND form, int id, int x,
                                          int y, int width, int height)>;

  TableForm(const FormDesign& design, HWND owner);
  ~TableForm();
  TableForm(const TableForm&) = delete;
  TableForm& operator=(const TableForm&) = delete;

  // Makes the window, of class `window_class` (registered once with
  // `procedure`), handing `data` to it as the creation parameter; `make`
  // makes the controls of kinds the form does not make itself. nullptr where
  // it cannot be made.
  HWND Make(const char* window_class, WNDPROC procedure, void* data, const ControlMaker& make = {});

  const FormDesign& Design() const { return design_; }
  const DialogScale& Scale() const { return scale_; }
  HWND Control(std::string_view name) const;

  // What every form's window procedure answers alike: the labels' drawing,
  // Enter's button (the focused push button, else the default one), the
  // focus moves of IsDialogMessageA, the focus kept while the form is left,
  // the cancel button and the close box ending the modal run with IDCANCEL.
  // True where it answered, with the answer in `*result`.
  bool Answer(HWND form, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);

 private:
  void MakeControls(const ControlMaker& make);
  const DialogFont& FontOf(std::size_t index) const;
  void DrawLabel(const DRAWITEMSTRUCT& item) const;
  void DrawLabelText(HDC dc, HWND target, std::size_t index) const;
  void FollowFocusedButton(HWND focused) const;
  std::size_t IndexOf(int id) const;

  const FormDesign& design_;
  HWND owner_;
  DialogScale scale_;
  DialogFont form_font_;
  std::vector<std::unique_ptr<DialogFont>> fonts_;  // by control; nullptr: the form's
  HICON icon_ = nullptr;                            // the pictures' (the program's icon)
  HWND form_ = nullptr;
  HWND focus_ = nullptr;  // the control that had the focus when the form was left
};

// Registers a window class of this module once; later calls do nothing.
void RegisterDialogClass(const char* name, WNDPROC procedure, bool control);

// The module whose resources and window classes the dialogs use.
HINSTANCE DialogModule();
