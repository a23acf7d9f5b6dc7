// The one seam through which the program shows message boxes and runs its
// modal dialogs. The real implementation uses QMessageBox and QDialog::exec;
// tests install one that records the calls and returns at once.
#pragma once

#include <QString>

class QDialog;
class QWidget;

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Titled kErrorBoxTitle, error icon, one kOkCaption button that Enter and
  // Esc press, centred (the titles and caption are strip/form_design.h's).
  virtual void ShowError(const QString& text) = 0;
  // Titled kInformationBoxTitle, information icon, otherwise as ShowError.
  virtual void ShowInformation(const QString& text) = 0;
  // The whole forecast: no icon, one button, plain text word-wrapped to at most
  // half the screen's width, centred.
  virtual void ShowForecast(const QString& title, const QString& text) = 0;
  // The standard box for an error that escaped a handler: stop icon, one
  // button.
  virtual void ShowUncaughtError(const QString& title, const QString& text) = 0;
  // Runs `dialog` modally and returns its result code.
  virtual int RunModal(QDialog& dialog) = 0;
};

// The boxes in use: the real ones unless a test installed its own.
MessageBoxes& Boxes();
// Installs `boxes` (not owned); nullptr goes back to the real ones.
void InstallMessageBoxes(MessageBoxes* boxes);

// Centres `window`'s frame on its screen. Boxes and dialogs call it each time
// they are shown.
void CentreOnScreen(QWidget& window);
