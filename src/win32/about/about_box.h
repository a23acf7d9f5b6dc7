// The about box on Win32: kAboutDesign (strip/form_design.h) made as a
// window of its own (win32/ui/dialog_layout.h): the product's name over its
// shadow, its version, the maker's copyright line and two contact lines that
// the user can select and copy.
//
// Promises:
// - "OK", and Enter wherever the focus is in the box, end it (with IDCANCEL:
//   the result carries nothing). Esc does nothing: the box has no cancel
//   button and no close box. A close the system asks for (WM_CLOSE) ends it
//   as OK does.
// - The contact lines are read-only, borderless fields in the dialog's face
//   colour that the mouse can select text in and Ctrl+C copies from; Tab
//   passes them by.
// - The box is made centred on the owner's monitor each time.
//
// The copyright sign is drawn from the Symbol font (in its own encoding),
// the ordinary sign in Arial where no Symbol font is installed; screen
// readers read it as the ordinary sign either way.
#pragma once

#include <windows.h>

// Makes the box, runs it modally to `owner` through Boxes().RunModal, and
// returns once it has ended, the window destroyed.
void RunAboutBox(HWND owner);
