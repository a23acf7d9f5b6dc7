// The options dialog on Win32: kOptionsDesign (strip/form_design.h) made as
// a window of its own (win32/ui/dialog_layout.h) around the options form
// (strip/options_form.h): a track bar, a colour grid and four check boxes.
//
// Promises:
// - The controls show the form's values as the form holds them when the
//   dialog is made, and every change of a control is the form's at once.
// - OK (the button, or Enter where no other button has the focus) calls the
//   form's OkClick and ends the dialog with IDOK when that says so; a box it
//   shows meanwhile is modal to the dialog.
// - Cancel, Esc and the close box end it with IDCANCEL and write nothing.
// - Keyboard order: the table's; the three lower check boxes and the two
//   buttons are groups the arrow keys move within; Alt with an underlined
//   letter operates its check box. This needs the modal loop to pass every
//   message through IsDialogMessageA for the dialog first.
// - The dialog applies nothing itself and returns nothing: the caller
//   re-applies the settings whichever way it ended.
#pragma once

#include <windows.h>

class TfrmOptions;

// Makes the dialog on `form` (which outlives the call), runs it modally to
// `owner` through Boxes().RunModal, and returns once it has ended, the window
// destroyed.
void RunOptionsDialog(HWND owner, TfrmOptions& form);
