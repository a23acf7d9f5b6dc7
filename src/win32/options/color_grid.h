// The colour grid of the options dialog on Win32: a window of its own class
// that draws a TColorGrid (strip/options_form.h) and feeds it the mouse and
// the keyboard.
//
// Promises:
// - The cells are laid out by the state's GridOrdering; cell index = row *
//   columns + column, and cell i shows PaletteColorAt(i). A cell is the
//   window's width / columns by its height / rows; MakeColorGrid trims the
//   window to whole cells.
// - Each cell is a sunken square: a one-pixel border in the button-face
//   colour, a two-pixel bevel (button shadow top and left, button highlight
//   bottom and right), the cell's colour inside. A cell carries its mark
//   (TColorGrid::CellMark) centred, in the grid's font, in
//   ContrastingTextColor of the cell's colour.
// - A left press makes the cell under the pointer the foreground cell, a
//   right press the background cell; while that button stays down the grid
//   holds the mouse and the same choice follows the pointer, a pointer beyond
//   an edge counting as on the nearest edge cell. Losing the mouse to another
//   window ends the choice.
// - The keyboard: Tab reaches the grid (a click does not focus it). A dotted
//   focus mark then stands in one cell, first the foreground cell; the arrow
//   keys move it, F or Space make its cell the foreground cell, B the
//   background cell.
// - Only cells whose marks or focus mark change are repainted; nothing but
//   the state's indices changes.
// - Screen readers get the grid's value: the foreground and background
//   colours by name after the strip's names of their marks, and the focus
//   mark's cell while the grid has the focus.
//
// An index outside 0..15 (only from a hand-edited settings file) has no cell:
// no cell carries that mark and the index stays as it was until the user
// picks a cell.
#pragma once

#include <windows.h>

#include "strip/options_form.h"

// Makes the grid as a child of `parent` with `id` at (x, y), at most `width`
// by `height` pixels (trimmed to whole cells), drawing and changing `state`,
// which outlives the window. Its marks are drawn in the font the window gets
// by WM_SETFONT.
HWND MakeColorGrid(HWND parent, int id, TColorGrid& state, int x, int y, int width, int height);

// The rectangle of cell `index` in the grid's client coordinates; empty for an
// index that has no cell.
RECT ColorGridCellRect(HWND grid, int index);
