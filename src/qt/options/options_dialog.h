// The options dialog on Qt: the face of the options form (strip/options_form.h)
// as a track bar, a colour grid and four check boxes, made from the strip's
// kOptionsDesign (qt/ui/form_dialog.h).
//
// Promises:
// - The controls show the form's values as it holds them when the dialog is
//   made, and every change of a control changes the form's value at once.
// - OK (the button or Enter) calls the form's OkClick, which writes the seven
//   entries behind the strip's error boundary, and closes with
//   QDialog::Accepted when that says so; a store error has been shown then
//   and keeps the dialog open.
// - Cancel, Esc and the close box close with QDialog::Rejected and write
//   nothing.
// - The dialog applies nothing itself and returns nothing: RunOptionsDialog
//   runs it modally and destroys it, and its caller re-applies the settings
//   whichever way it closed.
#pragma once

#include "qt/ui/form_dialog.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class ColorGridWidget;
class TfrmOptions;

class OptionsDialog : public FormDialog {
  Q_OBJECT
 public:
  // `form` outlives the dialog.
  explicit OptionsDialog(TfrmOptions& form, QWidget* parent = nullptr);

  // The controls the dialog wires to the form.
  QSlider* tbScroll;
  QCheckBox* chkBold;
  ColorGridWidget* cGrid;
  QCheckBox* chkShowTask;
  QCheckBox* chkOnStart;
  QCheckBox* chkAltSite;
  QPushButton* btnOk;
  QPushButton* btnCancel;

 private:
  TfrmOptions& form_;
};

// Makes the dialog on `form` (which outlives the call), runs it modally to
// `owner` through Boxes().RunModal, and returns once it has closed, the
// dialog destroyed.
void RunOptionsDialog(QWidget* owner, TfrmOptions& form);
