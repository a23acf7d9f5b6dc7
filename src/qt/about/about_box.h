// The about box on Qt: the product's name and version, the maker's copyright
// line and two contact lines that the user can select and copy, with the
// texts of strip/about_texts.h.
//
// Promises:
// - Constructing it shows nothing; the caller shows it (Boxes().RunModal) and
//   destroys it. Each showing is centred on the screen.
// - "OK", and Enter anywhere in the box, close it with QDialog::Rejected (the
//   result carries nothing). Esc does nothing: the box has no cancel button and
//   no close box.
// - The contact lines are read-only, borderless fields that take focus only
//   from the mouse, so they can be selected and copied but are no tab stops.
//
// Arial is drawn as Liberation Sans, its metric twin, and the copyright sign
// in Standard Symbols PS, the free twin of the classic Symbol font (the
// ordinary sign in Liberation Sans where that font is missing); where a font
// is missing the system's fallback draws the text.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  // Closes the box.
  void btnOKClick();

  void setVisible(bool visible) override;

  QPushButton* btnOK;
  QLabel* Image1;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label9;
  QLabel* Label6;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QLineEdit* Edit1;
  QWidget* Panel1;
  QLineEdit* Edit2;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};
