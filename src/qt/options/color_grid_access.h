// The colour grid as screen readers see it, through Qt's accessibility: a
// list of sixteen cells named for their colours, the foreground cell checked
// and the background cell selected (each described by its marks,
// strip/form_design.h), the cell under the keyboard's focus mark focused.
#pragma once

#include <QAccessible>

class ColorGridWidget;

// Registers the grid's accessibility interface with Qt (once per process).
void InstallColorGridAccess();
// The focus mark of `grid` now stands in cell `index`.
void AnnounceFocusedCell(ColorGridWidget* grid, int index);
// The `changed` states of cell `index` of `grid` changed.
void AnnounceCellState(ColorGridWidget* grid, int index, QAccessible::State changed);
