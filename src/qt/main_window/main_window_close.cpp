// The close routes of the main window: the close box comes to TfrmMain's
// CloseBoxClick; the close signals and the session manager's end to its
// EndSession; the session manager's request to save, its question at a
// log-off, to its QueryEndSession, which stores and ends nothing.
#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QSessionManager>
#include <functional>

#include "qt/main_window/close_signals.h"
#include "qt/main_window/main_window.h"

namespace {

// Qt's quit event to the application: how the session manager's end ("die")
// arrives on X11. Qt's own answer would close every window and show an error
// box when the close cannot store; here it is the system's close instead.
class QuitRequests : public QObject {
 public:
  QuitRequests(std::function<void()> on_quit, QObject* parent)
      : QObject(parent), on_quit_(std::move(on_quit)) {
    QCoreApplication::instance()->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Quit || watched != QCoreApplication::instance()) return false;
    on_quit_();
    return true;
  }

 private:
  std::function<void()> on_quit_;
};

}  // namespace

void MainWindow::InstallCloseRoutes() {
  close_signals_ = std::make_unique<CloseSignals>([this] { frmMain.EndSession(); });
  new QuitRequests([this] { frmMain.EndSession(); }, this);
  // The save request may end in nothing: the log-off can still be cancelled,
  // and a session manager also asks at a mere checkpoint. The strip goes on
  // until the session really ends.
  connect(qApp, &QGuiApplication::commitDataRequest, this,
          [this](QSessionManager&) { frmMain.QueryEndSession(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Stays open unless the whole close path ran (storing may fail); once the
  // program is ending, there is nothing more to do.
  event->ignore();
  if (frmMain.CloseBoxClick()) event->accept();
}
