#include "qt/ui/app_title.h"

#include <QCloseEvent>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "pictures.h"
#include "qt/ui/display_text.h"
#include "qt/ui/x11_window.h"

namespace {

constexpr std::size_t kMaxEntryCharacters = 512;

class TaskbarProxy : public QWidget {
 public:
  explicit TaskbarProxy(QWidget* target) : QWidget(nullptr, Qt::Window), target_(target) {
    setObjectName(QStringLiteral("TaskbarProxy"));
    // Its title follows the ticker when the taskbar mirrors it; a screen
    // reader hears a fixed name instead of every step.
    setAccessibleName(QStringLiteral("Marrowby Weather taskbar entry"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowIcon(ProgramWindowIcon());
    resize(1, 1);
  }

  void SetTarget(QWidget* target) { target_ = target; }

 protected:
  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    const bool activated =
        (event->type() == QEvent::WindowStateChange && !isMinimized()) ||
        (event->type() == QEvent::ActivationChange && isActiveWindow() && !isMinimized());
    if (activated && isVisible()) {
      if (target_ && target_->isVisible()) {
        target_->raise();
        target_->activateWindow();
        // A click on the entry shows this window for a moment before it
        // minimizes itself again: let that be under the strip.
        move(target_->pos());
      }
      QTimer::singleShot(0, this, [this] { showMinimized(); });
    }
  }

  void closeEvent(QCloseEvent* event) override {
    // Closing the entry is closing the program: the target's own close path
    // stores what it shows and ends the application.
    event->ignore();
    if (target_) target_->close();
  }

 private:
  QPointer<QWidget> target_;
};

std::string g_title;
bool g_title_utf8 = true;
QString g_entry_text;
TaskbarProxy* g_proxy = nullptr;

QString EntryText() {
  return ToDisplayPiece(std::string_view(g_title).substr(0, kMaxEntryCharacters), g_title_utf8);
}

}  // namespace

void SetApplicationTitle(std::string_view title) {
  if (title == g_title) return;
  // The ticker's text, step by step, keeps the decoding of its whole text.
  g_title_utf8 = ShowsAsUtf8After(g_title, g_title_utf8, title);
  g_title.assign(title);
  if (!g_proxy) return;
  QString entry = EntryText();
  if (entry == g_entry_text) return;
  g_entry_text = entry;
  SetPlainWindowTitle(g_proxy, g_entry_text);
}

QString ApplicationTitle() { return ToDisplayPiece(g_title, g_title_utf8); }

const std::string& ApplicationTitleText() { return g_title; }

bool ApplicationTitleIsUtf8() { return g_title_utf8; }

void SetTaskbarProxyTarget(QWidget* window) {
  if (!window) {
    delete g_proxy;
    g_proxy = nullptr;
    return;
  }
  if (g_proxy) {
    g_proxy->SetTarget(window);
    return;
  }
  if (!OnX11()) return;
  g_proxy = new TaskbarProxy(window);
  g_entry_text = EntryText();
  SetPlainWindowTitle(g_proxy, g_entry_text);
  g_proxy->showMinimized();
  if (g_entry_text.isEmpty()) ClearNativeTitle(g_proxy);
}

QWidget* TaskbarProxyWindow() { return g_proxy; }

const QIcon& ProgramWindowIcon() {
  static const QIcon icon = [] {
    QIcon drawn;
    for (int size : {16, 24, 32, 48, 64}) {
      drawn.addPixmap(PicturePixmap(QStringLiteral("marrowby-weather"), size));
    }
    return drawn;
  }();
  return icon;
}
