// The colour grid of the options dialog on Qt: the face of the grid's state
// (TColorGrid, strip/options_form.h), the sixteen palette colours as cells
// with a foreground and a background mark.
//
// Promises:
// - The cells are laid out by GridOrdering (go8x2: 8 columns, 2 rows); cell
//   index = row * columns + column, and cell i shows PaletteColorAt(i). A cell
//   is width / columns by height / rows; the grid trims its own size to whole
//   cells whenever it is resized.
// - Each cell is drawn as a sunken square: a one-pixel border in the
//   button-face colour, a two-pixel bevel (shadow top and left, highlight
//   bottom and right), and the cell's colour inside. A cell carries its mark
//   (TColorGrid::CellMark: foreground, background or both) centred, in the
//   grid's font, in ContrastingTextColor of the cell's colour.
// - A left press makes the cell under the pointer the foreground cell, a right
//   press the background cell; while that button stays down the same choice
//   follows the pointer, and a pointer beyond an edge counts as on the nearest
//   edge cell. Only cells whose marks change are repainted. The state's
//   indices change with the marks, and nothing else.
// - The keyboard: Tab reaches the grid (a click does not focus it, so the
//   mouse works as it always did). A dotted focus mark then stands in one
//   cell, first the foreground cell; the arrow keys move it, F or Space make
//   its cell the foreground cell as a left click does, B the background
//   cell as a right click does.
// - Screen readers see a list of sixteen cells, each named for its colour
//   (ColorName), the foreground cell checked, the background cell selected,
//   each described by its marks (kForegroundMark, kBackgroundMark,
//   kBothMarks); they hear the focus mark move and the marks
//   change (color_grid_access.h).
//
// An index outside 0..15 (only from a hand-edited settings file) has no cell:
// the grid keeps it unchanged and no cell carries that mark until the user
// picks a cell, so confirming the dialog without touching the grid stores the
// hand-edited index as it was.
#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>

#include "strip/options_form.h"

// The colour for the letters on a cell of colour `cell` (the state's rule).
QColor ContrastingTextColor(const QColor& cell);

// The name of palette colour `index` ("Black" ... "White"); "" outside 0..15.
QString ColorName(int index);

class ColorGridWidget : public QWidget {
  Q_OBJECT
 public:
  // `state` outlives the widget.
  explicit ColorGridWidget(TColorGrid& state, QWidget* parent = nullptr);

  GridOrder GridOrdering() const { return state_.GridOrdering(); }
  void SetGridOrdering(GridOrder ordering);
  int ForegroundIndex() const { return state_.ForegroundIndex; }
  void SetForegroundIndex(int index);
  int BackgroundIndex() const { return state_.BackgroundIndex; }
  void SetBackgroundIndex(int index);

  int Columns() const { return state_.Columns(); }
  int Rows() const { return state_.Rows(); }
  // The rectangle of cell `index` in widget coordinates; empty when the index
  // has no cell.
  QRect CellRect(int index) const;
  // The cell under `pos`, clamped to the nearest edge cell when `pos` lies
  // beyond the grid.
  int CellAt(QPoint pos) const { return state_.CellAt(pos.x(), pos.y(), width(), height()); }
  // The mark of cell `index` (TColorGrid::CellMark), "" for none.
  QString CellMark(int index) const;
  // The cell the keyboard's focus mark stands in.
  int FocusIndex() const { return state_.FocusIndex(); }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // Runs `change` on the state, then repaints the cells whose marks or focus
  // mark changed and tells screen readers.
  template <class Change>
  void Changing(Change change);
  void RepaintCell(int index);
  void TrimToWholeCells();

  TColorGrid& state_;
};
