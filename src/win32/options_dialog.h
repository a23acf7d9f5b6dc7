// The options dialog on Win32: the face of the options form
// (strip/options_form.h) as a track bar, a colour grid and four check boxes,
// in a window of its own made with CreateWindowExA (no dialog template).
//
// Promises:
// - The controls show the form's values as the form holds them when the
//   dialog is made, and every change of a control is the form's at once.
// - OK (the button, or Enter where no other button has the focus) calls the
//   form's btnOkClick, which writes the seven entries, then ends the dialog
//   with IDOK. An error it raises is shown in the standard error box, titled
//   with the application title, and the dialog stays open.
// - Cancel, Esc and the close box end it with IDCANCEL and write nothing.
// - Keyboard order: tbScroll, chkBold, cGrid, chkShowTask, chkOnStart,
//   chkAltSite, btnOk, btnCancel; the three lower check boxes and the two
//   buttons are groups the arrow keys move within; Alt with an underlined
//   letter operates its check box. This needs the modal loop to pass every
//   message through IsDialogMessageA for the dialog first; the window answers
//   DM_GETDEFID and WM_NEXTDLGCTL as a dialog does.
// - The dialog applies nothing itself and returns nothing: the caller
//   re-applies the settings whichever way it ended.
//
// The layout is in pixels at 96 dpi, scaled by the dpi the system gives this
// process for the owner (DialogScale); the font is MS Sans Serif at a
// character height of 11 of those pixels. The window is made centred on the
// owner's monitor each time.
#pragma once

#include <windows.h>

#include <string_view>

class TfrmOptions;

// The controls' ids. The buttons have the ids that Enter and Esc stand for.
enum OptionsControlId : int {
  kOptionsOk = IDOK,
  kOptionsCancel = IDCANCEL,
  kOptionsScroll = 101,
  kOptionsBold,
  kOptionsGrid,
  kOptionsShowTask,
  kOptionsOnStart,
  kOptionsAltSite,
  kOptionsLabel1,
  kOptionsLabel2,
  kOptionsLabel3,
};

// Makes the dialog on `form` (which outlives the call), runs it modally to
// `owner` through Boxes().RunModal, and returns once it has ended, the window
// destroyed. `application_title` titles the error box.
void RunOptionsDialog(HWND owner, TfrmOptions& form, std::string_view application_title);
