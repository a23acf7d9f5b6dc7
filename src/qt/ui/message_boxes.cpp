#include "qt/ui/message_boxes.h"

#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "qt/ui/display_text.h"
#include "qt/ui/x11_window.h"
#include "strip/form_design.h"

namespace {

// QMessageBox settles its size only as it is shown (it lays out and wraps its
// text then), so it is centred at that moment, on the size it really has.
class CentredMessageBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    CentreOnScreen(*this);
    // An empty title (the application title, when the ticker it mirrors is
    // empty) got the program's name from Qt when the native window was made;
    // it is still unmapped here.
    if (windowTitle().isEmpty()) ClearNativeTitle(this);
  }
};

int RunBox(QMessageBox::Icon icon, const QString& title, const QString& text,
           int max_text_width = 0) {
  CentredMessageBox box(icon, QString(), QString(), QMessageBox::NoButton);
  // Titles and texts may come from documents: both are shown as plain text.
  SetPlainWindowTitle(&box, title);
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  QPushButton* ok = box.addButton(ToDisplay(kOkCaption), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);  // Enter
  box.setEscapeButton(ok);   // Esc
  if (max_text_width > 0) {
    // QMessageBox word-wraps plain text itself; cap the label's width.
    box.setStyleSheet(
        QStringLiteral("QLabel#qt_msgbox_label { max-width: %1px; }").arg(max_text_width));
  }
  return box.exec();
}

class RealMessageBoxes : public MessageBoxes {
 public:
  void ShowError(const QString& text) override {
    RunBox(QMessageBox::Critical, ToDisplay(kErrorBoxTitle), text);
  }
  void ShowInformation(const QString& text) override {
    RunBox(QMessageBox::Information, ToDisplay(kInformationBoxTitle), text);
  }
  void ShowForecast(const QString& title, const QString& text) override {
    int half_width = 400;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      half_width = screen->availableGeometry().width() / 2;
    }
    RunBox(QMessageBox::NoIcon, title, text, half_width);
  }
  void ShowUncaughtError(const QString& title, const QString& text) override {
    RunBox(QMessageBox::Critical, title, text);
  }
  int RunModal(QDialog& dialog) override { return dialog.exec(); }
};

RealMessageBoxes g_real;
MessageBoxes* g_installed = nullptr;

}  // namespace

MessageBoxes& Boxes() { return g_installed ? *g_installed : g_real; }

void InstallMessageBoxes(MessageBoxes* boxes) { g_installed = boxes; }

void CentreOnScreen(QWidget& window) {
  QScreen* screen = window.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  // With the native window made, the frame is known where the platform can
  // tell it before the window is first mapped.
  window.winId();
  QRect frame = window.frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window.move(frame.topLeft());
}
