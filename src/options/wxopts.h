// The options dialog, unit wxopts: the seven option entries of the settings
// store as a track bar, a colour grid and four check boxes.
//
// Promises:
// - Constructing the dialog fills it from the store (FormCreate). A store
//   error while filling stops at that entry, leaves the controls not yet
//   filled at their initial values (track bar 300, foreground cell 11,
//   background cell 0, check boxes clear) and shows the standard error box;
//   it never escapes the constructor.
// - OK (the button or Enter) writes all seven entries in their fixed order on
//   one store, changed or not, then closes with QDialog::Accepted. A store
//   error while writing leaves the entries written before it, shows the
//   standard error box and keeps the dialog open.
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
class TColorGrid;

class TfrmOptions : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmOptions(QWidget* parent = nullptr);

  // Fills the controls from the store, in the fixed order; raises what the
  // store raises.
  void FormCreate();
  // Writes the seven entries in the fixed order, then closes the dialog;
  // raises what the store raises, leaving the dialog open.
  void btnOkClick();
  void btnCancelClick();

  void setVisible(bool visible) override;

  QWidget* Panel1;
  QLabel* Label1;
  QSlider* tbScroll;
  QLabel* Label2;
  QLabel* Label3;
  QCheckBox* chkBold;
  TColorGrid* cGrid;
  QCheckBox* chkShowTask;
  QCheckBox* chkOnStart;
  QCheckBox* chkAltSite;
  QPushButton* btnOk;
  QPushButton* btnCancel;
};
