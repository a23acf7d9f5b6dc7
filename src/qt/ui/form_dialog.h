// A form of the strip's tables (strip/form_design.h) as a Qt dialog: its
// controls made from the table, by kind, in its order, with their names,
// captions, places, fonts, tool tips and names for screen readers.
//
// Promises:
// - Constructing it shows nothing; the caller shows it (Boxes().RunModal) and
//   destroys it. Each showing is centred on the screen.
// - The frame: kDialog a fixed frame with the system menu and the close box
//   only; kToolWindow a small fixed title bar without buttons. The client
//   area has the table's size and the form's font (fonts.h).
// - Every control is a child of its parent in the table, under its name
//   (findChild / Control). A place of width or height 0 is the text's own; a
//   label grows to the right where its text is wider than its place; one
//   that comes after the previous control stands one blank (of the form's
//   font) to its right. Captions are plain text but for the "&" of an access
//   key on check boxes and buttons. A control with a font of its own shows its
//   text in that font's colour; the others follow the desktop's palette.
// - The keyboard: the tab stops in the table's order, the first one focused;
//   controls without a tab stop that could take the focus take it from the
//   mouse only (the contact lines: they can be selected and copied). Enter
//   presses the default button. Esc presses the cancel button, which rejects
//   the form; a form without one ignores Esc. A label just before a control
//   that its caption names is that control's buddy.
// - kColorGrid is made by the caller's ControlMaker (it needs the form's
//   state); the caller also wires what the default button does.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string_view>

#include "strip/form_design.h"

class QPushButton;

// A plate with a raised inner and a lowered outer bevel (kPanel).
class BevelPanel : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A horizontal groove: a lowered bevel two pixels high (kSeparator).
class Separator : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class FormDialog : public QDialog {
  Q_OBJECT
 public:
  // Makes the control of a kind the dialog does not make itself, on
  // `parent`; nullptr to let the dialog make it.
  using ControlMaker = std::function<QWidget*(const FormControl& control, QWidget* parent)>;
  FormDialog(const FormDesign& design, QWidget* parent, const ControlMaker& make = {});

  // The control of that name in the table.
  template <class Control>
  Control* Find(std::string_view name) const {
    return findChild<Control*>(
        QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
  }
  // The button that Esc presses, nullptr for none.
  QPushButton* EscapeButton() const { return escape_button_; }

  void setVisible(bool visible) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* MakeControl(const FormControl& control, QWidget* parent, const ControlMaker& make);
  void Place(QWidget& widget, const FormControl& control, const QWidget* previous);

  QPushButton* escape_button_ = nullptr;
};
