// The about box on Qt, made from the strip's kAboutDesign
// (qt/ui/form_dialog.h): the product's name and version, the maker's copyright
// line and two contact lines that the user can select and copy.
//
// Promises:
// - Constructing it shows nothing; RunAboutBox shows it modally and destroys
//   it. Each showing is centred on the screen.
// - "OK", and Enter anywhere in the box, close it with QDialog::Rejected (the
//   result carries nothing). Esc does nothing: the box has no cancel button and
//   no close box.
#pragma once

#include "qt/ui/form_dialog.h"

class AboutBox : public FormDialog {
  Q_OBJECT
 public:
  explicit AboutBox(QWidget* parent = nullptr);

  // Closes the box.
  void btnOKClick();
};

// Makes the box, runs it modally to `owner` through Boxes().RunModal, and
// returns once it has closed, the box destroyed.
void RunAboutBox(QWidget* owner);
