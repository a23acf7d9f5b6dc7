// The about box on Qt: the product's name and version, the maker's copyright
// line and two contact lines that the user can select and copy, with the
// texts of strip/about_texts.h.
//
// Promises:
// - Constructing it shows nothing; the caller shows it (Boxes().RunModal) and
//   destroys it. Each showing is centred on the screen.
// - A box made to be built when shown (kWhenShown: the one the program makes
//   hidden at its start, which the About command never shows) has only its
//   caption, size and frame until it is first shown; its controls, their fonts
//   and its pictures are made then, the same as a box built at once.
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
  // When the box's controls are made: at once, or when it is first shown.
  enum class Build { kNow, kWhenShown };
  explicit TAboutBox(QWidget* parent = nullptr, Build build = Build::kNow);

  // Closes the box.
  void btnOKClick();

  void setVisible(bool visible) override;

  // Null until the controls are made.
  QPushButton* btnOK = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label9 = nullptr;
  QLabel* Label6 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QWidget* Panel1 = nullptr;
  QLineEdit* Edit2 = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Makes the controls and gives the box its icon.
  void BuildControls();
};
