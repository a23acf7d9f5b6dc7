// The options dialog's data side, unit wxopts: the seven option entries of the
// settings store as the values of a track bar, a colour grid and four check
// boxes, read when the dialog opens and written on OK. Each window system
// builds its dialog around a TfrmOptions from kOptionsDesign
// (strip/form_design.h): its controls show these values and change them, its
// OK button calls OkClick and closes when that says so.
//
// Promises:
// - A new form holds the controls' initial values: track bar 300, foreground
//   cell 11, background cell 0, check boxes clear. FormCreate replaces them
//   from one store in the fixed order; a store error stops it at that entry
//   and leaves the values not yet read as they were.
// - btnOkClick writes all seven entries in their fixed order on one store,
//   changed or not; a store error stops it at that entry, the entries
//   written before it staying written.
// - The form applies nothing itself: the caller re-applies the settings once
//   the dialog has closed, however it closed.
#pragma once

#include <functional>
#include <string_view>
#include <utility>

#include "store/palette.h"
#include "store/settings_store.h"
#include "strip/form_design.h"

enum class GridOrder { go16x1, go8x2, go4x4, go2x8, go1x16 };
enum class GridButton { kLeft, kRight };
enum class GridKey { kLeft, kRight, kUp, kDown, kForeground, kBackground };

// The colour grid's state: the sixteen palette colours as cells, a foreground
// and a background mark, the keyboard's focus mark, and the choice a held
// mouse button carries. A window system draws it and feeds it the user's
// presses, moves and keys, and repaints the cells whose marks changed.
//
// An index outside 0..15 (only from a hand-edited settings file) has no cell:
// it is kept unchanged and no cell carries that mark until the user picks a
// cell, so confirming the dialog without touching the grid stores it as it
// was.
class TColorGrid {
 public:
  GridOrder GridOrdering() const { return ordering_; }
  void SetGridOrdering(GridOrder ordering) { ordering_ = ordering; }
  int Columns() const;
  int Rows() const;

  int ForegroundIndex = 11;
  int BackgroundIndex = 0;

  // "FG", "BG", "FB" (both marks) or "" for cell `index`.
  std::string_view CellMark(int index) const;
  // Whether `index` names a cell.
  static bool IsCell(int index) { return index >= 0 && index < kPaletteSize; }

  // The cell under the point (x, y) of a grid `width` by `height` pixels,
  // counting a point beyond an edge as on the nearest edge cell.
  int CellAt(int x, int y, int width, int height) const;

  // The mouse: a left press makes the cell the foreground cell, a right press
  // the background cell; while that button stays down the same choice
  // follows the pointer (Drag); releasing it ends the choice. A press while
  // another button's choice goes on is ignored. `cell` is CellAt's.
  void Press(GridButton button, int cell);
  void Drag(int cell);
  void Release(GridButton button);
  // Whether a button's choice goes on. A face forgets a held button whose
  // release never reached the grid (a box took the mouse meanwhile).
  bool Held() const { return held_ != kNone; }
  void ForgetPress() { held_ = kNone; }

  // The keyboard. The focus mark stands in the foreground cell (or the first
  // cell) when the grid first has the focus; the arrow keys move it within
  // the grid, F or Space make its cell the foreground cell, B the background
  // cell.
  void FocusIn();
  void KeyPress(GridKey key);
  int FocusIndex() const { return focus_; }

  // The colour for the letters on a cell of colour `cell`: each of red, green
  // and blue is 0 where the cell's component is 128 or more, 255 where it is
  // below.
  static PaletteColor ContrastingTextColor(PaletteColor cell);
  // The name of palette colour `index` ("Black" ... "White"); "" outside
  // 0..15.
  static std::string_view ColorName(int index);

 private:
  void Choose(GridButton button, int cell);

  GridOrder ordering_ = GridOrder::go8x2;
  enum { kNone, kHeldLeft, kHeldRight } held_ = kNone;
  int focus_ = -1;  // none until the grid first has the focus
};

class TfrmOptions {
 public:
  // The error boundary OkClick runs btnOkClick behind (TfrmMain::RunGuarded):
  // it shows what the step raises and says whether the step ran to its end.
  using Guard = std::function<bool(const std::function<void()>& step)>;
  // The form reads and writes `settings`. Without a guard, OkClick lets
  // btnOkClick's error escape.
  explicit TfrmOptions(const SettingsStore& settings, Guard guard = {})
      : settings_(settings), guard_(std::move(guard)) {}

  // The track bar's range: the ticker's step interval in milliseconds, so
  // its left end, the shortest interval, is the fastest ticker.
  static constexpr int kSlowest = kScrollTrackBar.max;
  static constexpr int kFastest = kScrollTrackBar.min;

  // The controls' values, with their initial values.
  int tbScroll = kSlowest;
  TColorGrid cGrid;
  bool chkBold = false;
  bool chkShowTask = false;
  bool chkOnStart = false;
  bool chkAltSite = false;

  // The track bar keeps its position within 1..300.
  void SetScrollPosition(int position);
  // The value of the check box named `name` in kOptionsDesign; nullptr for
  // a name that is no check box's.
  bool* CheckBox(std::string_view name);

  // Fills the values from the store, in the fixed order; raises what the
  // store raises.
  void FormCreate();
  // Writes the seven entries in the fixed order; raises what the store
  // raises.
  void btnOkClick();
  // The OK button: btnOkClick behind the guard. True when the dialog closes;
  // a store error is shown and keeps it open, the entries written before it
  // staying written.
  bool OkClick();

 private:
  const SettingsStore& settings_;
  Guard guard_;
};
