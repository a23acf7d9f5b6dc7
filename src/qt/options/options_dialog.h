// The options dialog on Qt: the face of the options form (strip/options_form.h)
// as a track bar, a colour grid and four check boxes.
//
// Promises:
// - The controls show the form's values as it holds them when the dialog is
//   made, and every change of a control changes the form's value at once.
// - OK (the button or Enter) calls the form's btnOkClick, which writes the
//   seven entries, then closes with QDialog::Accepted. A store error while
//   writing shows the standard error box and keeps the dialog open.
// - Cancel, Esc and the close box close with QDialog::Rejected and write
//   nothing.
// - The dialog applies nothing itself and returns nothing: the caller runs it
//   modally (Boxes().RunModal), destroys it, and re-applies the settings
//   whichever way it closed. Each showing is centred on the screen.
//
// The layout is in logical pixels; the font is Liberation Sans at 11 pixels,
// the metric twin of Arial and the nearest match on Linux for the small sans
// serif these dialogs were laid out in.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class TColorGridWidget;
class TfrmOptions;

class TOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  // `form` outlives the dialog.
  explicit TOptionsDialog(TfrmOptions& form, QWidget* parent = nullptr);

  void setVisible(bool visible) override;

  QWidget* Panel1;
  QLabel* Label1;
  QSlider* tbScroll;
  QLabel* Label2;
  QLabel* Label3;
  QCheckBox* chkBold;
  TColorGridWidget* cGrid;
  QCheckBox* chkShowTask;
  QCheckBox* chkOnStart;
  QCheckBox* chkAltSite;
  QPushButton* btnOk;
  QPushButton* btnCancel;

 private:
  TfrmOptions& form_;
};
