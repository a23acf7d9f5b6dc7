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

#include "shell/wx.h"
#include "store/stored_entries.h"
#include "ui/app_title.h"
#include "ui/display_text.h"
#include "ui/panel.h"
#include "ui/x11_window.h"

void TfrmMain::SetTitle(std::string_view title) {
  title_.assign(title);
  SetPlainWindowTitle(this, ToDisplay(title_));
}

void TfrmMain::SetHint(std::string_view hint) {
  hint_.assign(hint);
  const QString shown = ToDisplay(hint_);
  setToolTip(PlainToolTip(shown));
  // Screen readers read the description, which would otherwise be the tool
  // tip with its markup.
  setAccessibleDescription(shown);
}

// Left, top and width are the outer frame's. Before the window is shown its
// frame is not known; ShowStrip finishes the placing once it is.
void TfrmMain::SetLeft(int left) {
  move(left, y());
  wanted_frame_.moveLeft(left);
  pending_frame_ = !isVisible();
  MarkKnown(kLeft.name);
}

void TfrmMain::SetTop(int top) {
  move(x(), top);
  wanted_frame_.moveTop(top);
  pending_frame_ = !isVisible();
  MarkKnown(kTop.name);
}

void TfrmMain::SetWidth(int width) {
  const int frame_extra = frameGeometry().width() - this->width();
  resize(width - frame_extra, height());
  wanted_frame_.setWidth(width);
  pending_frame_ = !isVisible();
  MarkKnown(kWidth.name);
}

void TfrmMain::SetClientHeight(int height) {
  // The window manager is told that the height is fixed; where it does not
  // listen, FormResize puts it back.
  setMinimumHeight(height);
  setMaximumHeight(height);
  resize(width(), height);
}

void TfrmMain::ShowStrip() {
  show();
  WaitUntilExposed();
  ApplyPendingGeometry();
  repaint();
  SyncWithDisplay();
}

void TfrmMain::ShowInTaskbar() {
  // Drawing the icon from its vector source and mapping the proxy take a
  // few milliseconds, so they come after the strip is on the screen.
  setWindowIcon(ProgramWindowIcon());
  SetTaskbarProxyTarget(this);
}

void TfrmMain::WaitUntilExposed() {
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

void TfrmMain::ApplyPendingGeometry() {
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

void TfrmMain::AlignControls() {
  pnlMain->setGeometry(0, 0, ClientWidth(), pnlMain->height());
  const QRect inside = pnlMain->contentsRect();
  pnlImage->setGeometry(inside.left(), inside.top(), pnlImage->width(), inside.height());
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  AlignControls();
  FormResize();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  // The picture frame follows the strip's height.
  if (watched == pnlMain && event->type() == QEvent::Resize) AlignControls();
  return QWidget::eventFilter(watched, event);
}

void TfrmMain::changeEvent(QEvent* event) {
  // The user changed the regional settings (the application passes its own
  // locale change on to every top-level window).
  if (event->type() == QEvent::LocaleChange) {
    lastUpdateFormats = LastUpdateFormats::FromLocale(QLocale::system());
  }
  QWidget::changeEvent(event);
}

void TfrmMain::showEvent(QShowEvent* event) {
  // The native window exists now and is not mapped yet. The strip has no
  // taskbar entry of its own (the application's entry is the proxy
  // window's); the window manager reads that state when it maps the window.
  // (Creating the native window any earlier would upset Qt's placing of the
  // outer frame.)
  SetSkipTaskbar(this);
  if (title_.empty()) ClearNativeTitle(this);
  QWidget::showEvent(event);
}

void TfrmMain::contextMenuEvent(QContextMenuEvent* event) {
  pMenu->popup(event->globalPos());
  event->accept();
}
