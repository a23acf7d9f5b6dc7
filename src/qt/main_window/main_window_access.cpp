#include "qt/main_window/main_window_access.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QWindow>

#include "qt/main_window/main_window.h"
#include "qt/main_window/ticker_panel.h"
#include "qt/ui/display_text.h"
#include "qt/ui/panel.h"
#include "qt/ui/picture.h"

namespace {

// The ticker: a read-only text whose text is the whole forecast. Nothing
// here moves with the caption, so a ticker step costs a screen reader
// nothing. A read-only text, not a label: a screen reader speaks a focused
// label by its name alone, and a focused text by its name and then its text.
class TickerAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit TickerAccessible(TickerPanel* panel)
      : QAccessibleWidget(panel, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    return state;
  }

  // QAccessibleTextInterface: a read-only text without selection or caret.
  // Every way of reading it (text at, before or after an offset) comes
  // through text(start, end).
  QString text(int start, int end) const override {
    Ticker()->NoteTextRead();
    return Whole().mid(start, end - start);
  }
  using QAccessibleWidget::text;
  int characterCount() const override { return static_cast<int>(Whole().size()); }
  void selection(int, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int, int) override {}
  void removeSelection(int) override {}
  void setSelection(int, int, int) override {}
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int) override {}
  QRect characterRect(int) const override { return {}; }
  int offsetAtPoint(const QPoint&) const override { return -1; }
  void scrollToSubstring(int, int) override {}
  // One run without attributes over the whole text. (A screen reader walks
  // the runs to find the text's languages; an empty run made it drop the
  // last character.)
  QString attributes(int, int* start, int* end) const override {
    *start = 0;
    *end = characterCount();
    return {};
  }

 private:
  TickerPanel* Ticker() const { return static_cast<TickerPanel*>(widget()); }
  const QString& Whole() const { return Ticker()->WholeText(); }
};

// A hidden element that a new forecast shows for a moment, named
// kNewForecastNotice and described by the forecast: a screen reader speaks a
// notification when it shows.
class ForecastNotice : public QWidget {
 public:
  explicit ForecastNotice(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlForecastNotice"));
    setAccessibleName(ToDisplay(kNewForecastNotice));
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
    hide();
  }
};

QAccessibleInterface* StripFactory(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String("MainWindow")) {
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  }
  if (class_name == QLatin1String("TickerPanel")) {
    return new TickerAccessible(static_cast<TickerPanel*>(object));
  }
  if (class_name == QLatin1String("Panel")) {  // the strip and the picture's frame
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Pane);
  }
  if (class_name == QLatin1String("Picture")) {
    // Named for the weather it shows (MainWindow::SetCurrentPicture).
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
  }
  if (auto* notice = dynamic_cast<ForecastNotice*>(object)) {
    return new QAccessibleWidget(notice, QAccessible::Notification);
  }
  return nullptr;
}

// Opens the popup menu from the keyboard: below the ticker, where the
// focus is, rather than wherever the mouse pointer happens to be, and with
// its first item current, as a menu opened from the keyboard starts on
// either desktop, so that a screen reader names that item at once and
// Return takes it. A menu opened by the mouse starts with no item current.
class MenuKeys : public QObject {
 public:
  explicit MenuKeys(MainWindow& frm) : QObject(&frm), frm_(frm) {
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
      if (!first_item_pending_ || window == nullptr || window != frm_.pMenu->windowHandle()) {
        return;
      }
      first_item_pending_ = false;
      // Queued: the strip's window is announced as active again after this
      // signal.
      QMetaObject::invokeMethod(this, &MenuKeys::StartOnFirstItem, Qt::QueuedConnection);
    });
    connect(&frm_, &MainWindow::MenuMade, this, [this](QMenu* menu) {
      connect(menu, &QMenu::aboutToHide, this, [this] { first_item_pending_ = false; });
    });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
      OpenMenu();
      return true;
    }
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      const Qt::KeyboardModifiers modifiers =
          key->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
      if ((key->key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
          (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
        // On X11 the Menu key also sends the context-menu event, which
        // opened the menu already.
        if (!frm_.pMenu->isVisible()) OpenMenu();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void OpenMenu() {
    QMenu* menu = frm_.pMenu;
    menu->popup(frm_.pnlScroll->mapToGlobal(QPoint(0, frm_.pnlScroll->height())));
    // The first item becomes current once the menu's window has the
    // keyboard. When the menu takes the keyboard, the strip's window is
    // announced as active again; an item made current before that would
    // be followed by the window's title and hint, which bury it.
    if (menu->windowHandle() != nullptr && menu->windowHandle() == QGuiApplication::focusWindow()) {
      QMetaObject::invokeMethod(this, &MenuKeys::StartOnFirstItem, Qt::QueuedConnection);
    } else {
      first_item_pending_ = true;
    }
  }

  // The first item that is shown and can be chosen (a separator is none).
  void StartOnFirstItem() {
    QMenu* menu = frm_.pMenu;
    // Closed meanwhile, or an arrow key made an item current already.
    if (!menu->isVisible() || menu->activeAction() != nullptr) return;
    for (QAction* action : menu->actions()) {
      if (action->isVisible() && !action->isSeparator() && action->isEnabled()) {
        menu->setActiveAction(action);
        return;
      }
    }
  }

  MainWindow& frm_;
  bool first_item_pending_ = false;
};

// What a screen reader hears of the ticker beyond what Qt tells it.
//
// The focus coming back from the popup menu: an item of the menu had the
// reader's focus, but Qt tells of a focus only when the focus widget
// changes, and the ticker stayed the focus widget all along.
//
// A new forecast that arrives while the ticker has the focus: a screen
// reader speaks the changes of a focused text only when the user typed them,
// so the new forecast is shown as a notification too. Only once the reader
// has read the ticker's text since the focus came to it, though; before that
// it has yet to present the focused ticker, and will read the new forecast
// then (Update Now from the menu fetches right after the focus came back),
// so a notification as well would make it say the forecast twice.
class TickerSpeech : public QObject {
 public:
  explicit TickerSpeech(MainWindow& frm)
      : QObject(&frm), ticker_(*frm.pnlScroll), notice_(new ForecastNotice(&frm)) {
    ticker_.installEventFilter(this);
    connect(&ticker_, &TickerPanel::WholeTextChanged, this, &TickerSpeech::Announce);
    // The item has the reader's focus; the reader presents the ticker anew
    // when the menu closes.
    connect(&frm, &MainWindow::MenuMade, this, [this](QMenu* menu) {
      connect(menu, &QMenu::hovered, this, [this] { ticker_.ForgetTextRead(); });
    });
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::FocusIn) return false;
    if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
      // A new focus, which the reader presents by reading the ticker.
      ticker_.ForgetTextRead();
    } else if (QAccessible::isActive()) {
      // Back from the menu. (After a menu the mouse opened and left without
      // a current item, the reader is on the ticker already and says nothing.)
      QAccessibleEvent focus(&ticker_, QAccessible::Focus);
      QAccessible::updateAccessibility(&focus);
    }
    return false;
  }

 private:
  void Announce() {
    if (!QAccessible::isActive() || !ticker_.hasFocus() || !ticker_.TextRead()) return;
    notice_->setAccessibleDescription(ticker_.WholeText());
    notice_->show();
    notice_->hide();
  }

  TickerPanel& ticker_;
  ForecastNotice* notice_;
};

}  // namespace

void InstallMainWindowAccess(MainWindow& frm) {
  static const bool factory_installed = (QAccessible::installFactory(StripFactory), true);
  (void)factory_installed;

  frm.pnlScroll->setAccessibleName(ToDisplay(kTickerName));
  frm.imgCurrent->setAccessibleName(ToDisplay(SpokenPictureName(ConditionPicture::kUnchanged)));
  frm.imgCurrent->setAccessibleDescription(ToDisplay(kPictureHint));
  // The stock pictures only hold what the current picture copies and are
  // never on the screen; hidden, they are not offered as the weather either.
  for (Picture* stock : {frm.imgRain, frm.imgCloud, frm.imgSnow, frm.imgSun}) stock->hide();

  // A click anywhere on the strip, or the window becoming active, puts the
  // focus on the ticker, the one thing on the strip a key acts on.
  frm.pnlScroll->setFocusPolicy(Qt::StrongFocus);
  frm.setFocusPolicy(Qt::StrongFocus);
  frm.setFocusProxy(frm.pnlScroll);
  new TickerSpeech(frm);
  auto* keys = new MenuKeys(frm);
  frm.pnlScroll->installEventFilter(keys);
}
