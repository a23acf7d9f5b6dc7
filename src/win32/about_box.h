// The about box on Win32: the product's name and version, the maker's
// copyright line and two contact lines that the user can select and copy,
// with the texts of strip/about_texts.h, in a window of its own made with
// CreateWindowExA.
//
// Promises:
// - "OK", and Enter wherever the focus is in the box, end it (with IDCANCEL:
//   the result carries nothing). Esc does nothing: the box has no cancel
//   button and no close box. A close the system asks for (WM_CLOSE) ends it
//   as OK does.
// - The contact lines are read-only, borderless fields in the dialog's face
//   colour that the mouse can select text in and Ctrl+C copies from; Tab
//   passes them by.
// - The box is made centred on the owner's monitor each time, laid out in
//   pixels at 96 dpi scaled by the owner's dpi as the options dialog is.
//
// The copyright sign is drawn from the Symbol font (its own encoding, 0xD3),
// the ordinary sign in Arial where no Symbol font is installed; screen
// readers read it as the ordinary sign either way.
#pragma once

#include <windows.h>

// The controls' ids.
enum AboutControlId : int {
  kAboutOk = IDOK,
  kAboutImage1 = 201,
  kAboutTitle,  // Label1 and Label2: the name and its shadow, drawn as one
  kAboutLabel9,
  kAboutLabel6,
  kAboutLabel3,
  kAboutLabel4,
  kAboutLabel5,
  kAboutEdit1,
  kAboutPanel1,
  kAboutEdit2,
};

// Makes the box, runs it modally to `owner` through Boxes().RunModal, and
// returns once it has ended, the window destroyed.
void RunAboutBox(HWND owner);
