// The close routes of the main window: the close box comes to TfrmMain's
// CloseBoxClick, the close signals and the session's end to its EndSession;
// each stores what the strip shows once and then ends the program.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QSessionManager>

#include "qt/strip/close_signals.h"
#include "qt/strip/strip_window.h"

void TStripWindow::InstallCloseRoutes() {
  close_signals_ = std::make_unique<TCloseSignals>([this] { frmMain.EndSession(); });
  connect(qApp, &QGuiApplication::commitDataRequest, this,
          [this](QSessionManager&) { frmMain.EndSession(); });
}

void TStripWindow::closeEvent(QCloseEvent* event) {
  // Stays open unless the whole close path ran (storing may fail); once the
  // program is ending, there is nothing more to do.
  event->ignore();
  if (frmMain.CloseBoxClick()) event->accept();
}
