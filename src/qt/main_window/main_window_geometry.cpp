// The strip as a window: its title and hint as plain text, its geometry as
// the form sees it (the outer frame's left, top and width), its first
// showing on the screen, and the window events that keep its controls in
// place.
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include "qt/main_window/main_window.h"
#include "qt/main_window/ticker_panel.h"
#include "qt/ui/app_title.h"
#include "qt/ui/display_text.h"
#include "qt/ui/locale_formats.h"
#include "qt/ui/panel.h"
#include "qt/ui/x11_window.h"

void MainWindow::SetTitle(std::string_view title) { SetPlainWindowTitle(this, ToDisplay(title)); }

void MainWindow::SetHint(std::string_view hint) {
  const QString shown = ToDisplay(hint);
  setToolTip(PlainToolTip(shown));
  // Screen readers read the description, which would otherwise be the tool
  // tip with its markup.
  setAccessibleDescription(shown);
}

// Left, top and width are the outer frame's. Before the window is shown its
// frame is not known; ShowStrip finishes the placing once it is.
void MainWindow::SetLeft(int left) {
  move(left, y());
  wanted_frame_.moveLeft(left);
  pending_frame_ = !isVisible();
}

void MainWindow::SetTop(int top) {
  move(x(), top);
  wanted_frame_.moveTop(top);
  pending_frame_ = !isVisible();
}

void MainWindow::SetWidth(int width) {
  const int frame_extra = frameGeometry().width() - this->width();
  resize(width - frame_extra, height());
  wanted_frame_.setWidth(width);
  pending_frame_ = !isVisible();
}

WindowFrame MainWindow::Frame() const {
  const QRect frame = frameGeometry();
  return {frame.x(), frame.y(), frame.width()};
}

void MainWindow::SetClientHeight(int height) {
  // The window manager is told that the height is fixed; where it does not
  // listen, FormResize puts it back.
  setMinimumHeight(height);
  setMaximumHeight(height);
  resize(width(), height);
}

void MainWindow::ShowWindow() {
  ShowStrip();
  ShowInTaskbar();
}

void MainWindow::ShowStrip() {
  show();
  WaitUntilExposed();
  ApplyPendingGeometry();
  repaint();
  SyncWithDisplay();
}

void MainWindow::ShowInTaskbar() {
  // Making the icon and mapping the proxy take a few milliseconds, so they
  // come after the strip is on the screen.
  setWindowIcon(ProgramWindowIcon());
  SetTaskbarProxyTarget(this);
}

void MainWindow::WaitUntilExposed() {
  // On X11 the window appears only once the window manager has framed and
  // mapped it; what is painted before that is lost. Bounded, so a window
  // manager that never maps it cannot hang the start.
  QTimer limit;
  limit.setSingleShot(true);
  limit.start(2000);
  while (windowHandle() && !windowHandle()->isExposed() && limit.isActive()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::WaitForMoreEvents);
  }
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainWindow::ApplyPendingGeometry() {
  if (!pending_frame_) return;
  pending_frame_ = false;
  // Window managers place a new window's frame in their own ways (icewm, for
  // one, shifts a window without a taskbar entry by its border). Now that the
  // frame is known, put it where it was asked to be.
  const QRect wanted = wanted_frame_;
  const auto frame_matches = [&] {
    const QRect frame = frameGeometry();
    return frame.topLeft() == wanted.topLeft() && frame.width() == wanted.width();
  };
  if (frame_matches()) return;
  const int frame_extra = frameGeometry().width() - width();
  move(wanted.topLeft());
  resize(wanted.width() - frame_extra, height());
  QElapsedTimer waited;
  waited.start();
  while (!frame_matches() && waited.elapsed() < 500) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!frame_matches()) QThread::msleep(2);
  }
}

void MainWindow::AlignControls() {
  pnlMain->setGeometry(0, 0, width(), pnlMain->height());
  const QRect inside = pnlMain->contentsRect();
  pnlImage->setGeometry(inside.left(), inside.top(), pnlImage->width(), inside.height());
}

void MainWindow::FormResize() {
  SetClientHeight(pnlMain->height() - 1);
  pnlScroll->move(pnlImage->x() + pnlImage->width() + 2, pnlScroll->y());
  pnlScroll->resize(width() - pnlScroll->x(), pnlScroll->height());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  AlignControls();
  FormResize();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // The picture frame follows the strip's height.
  if (watched == pnlMain && event->type() == QEvent::Resize) AlignControls();
  return QWidget::eventFilter(watched, event);
}

void MainWindow::changeEvent(QEvent* event) {
  // The user changed the regional settings (the application passes its own
  // locale change on to every top-level window).
  if (event->type() == QEvent::LocaleChange) {
    formats_ = LocaleFormats(QLocale::system());
  }
  QWidget::changeEvent(event);
}

void MainWindow::showEvent(QShowEvent* event) {
  // The native window exists now and is not mapped yet. The strip has no
  // taskbar entry of its own (the application's entry is the proxy
  // window's); the window manager reads that state when it maps the window.
  // (Creating the native window any earlier would upset Qt's placing of the
  // outer frame.)
  SetSkipTaskbar(this);
  if (windowTitle().isEmpty()) ClearNativeTitle(this);
  QWidget::showEvent(event);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
  pMenu->popup(event->globalPos());
  event->accept();
}
