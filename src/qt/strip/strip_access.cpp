#include "qt/strip/strip_access.h"

#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

#include "qt/strip/ticker_panel.h"
#include "qt/strip/strip_window.h"
#include "qt/ui/display_text.h"
#include "qt/ui/panel.h"
#include "qt/ui/picture.h"

namespace {

// The ticker: its text is the whole forecast. Nothing here moves with the
// caption, so a ticker step costs a screen reader nothing.
class TickerAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit TickerAccessible(TTickerPanel* panel)
      : QAccessibleWidget(panel, QAccessible::StaticText) {}

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
  QString text(int start, int end) const override { return Whole().mid(start, end - start); }
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
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }

 private:
  QString Whole() const { return static_cast<TTickerPanel*>(widget())->WholeText(); }
};

// A picture: a graphic named for what it shows, unless a name was given.
class PictureAccessible : public QAccessibleWidget {
 public:
  explicit PictureAccessible(TPicture* picture)
      : QAccessibleWidget(picture, QAccessible::Graphic) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
      return SpokenPictureName(static_cast<TPicture*>(widget())->Picture().name);
    }
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* StripFactory(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String("TStripWindow")) {
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  }
  if (class_name == QLatin1String("TTickerPanel")) {
    return new TickerAccessible(static_cast<TTickerPanel*>(object));
  }
  if (class_name == QLatin1String("TPanel")) {  // the strip and the picture's frame
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Pane);
  }
  if (class_name == QLatin1String("TPicture")) {
    return new PictureAccessible(static_cast<TPicture*>(object));
  }
  return nullptr;
}

// Opens the popup menu from the keyboard: below the ticker, where the
// focus is, rather than wherever the mouse pointer happens to be.
class MenuKeys : public QObject {
 public:
  explicit MenuKeys(TStripWindow& frm) : QObject(&frm), frm_(frm) {}

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
    frm_.pMenu->popup(frm_.pnlScroll->mapToGlobal(QPoint(0, frm_.pnlScroll->height())));
  }
  TStripWindow& frm_;
};

}  // namespace

QString SpokenPictureName(const QString& picture) {
  if (picture == QLatin1String("sun")) return QStringLiteral("Sun");
  if (picture == QLatin1String("cloud")) return QStringLiteral("Cloud");
  if (picture == QLatin1String("rain")) return QStringLiteral("Rain");
  if (picture == QLatin1String("snow")) return QStringLiteral("Snow");
  return QStringLiteral("Weather not yet known");
}

void InstallStripAccess(TStripWindow& frm) {
  static const bool factory_installed = (QAccessible::installFactory(StripFactory), true);
  (void)factory_installed;

  frm.pnlScroll->setAccessibleName(QStringLiteral("Forecast"));
  frm.imgCurrent->setAccessibleDescription(QString::fromLatin1(kPictureHint));
  // The stock pictures only hold what the current picture copies and are
  // never on the screen; hidden, they are not offered as the weather either.
  for (TPicture* stock : {frm.imgRain, frm.imgCloud, frm.imgSnow, frm.imgSun}) stock->hide();

  // A click anywhere on the strip, or the window becoming active, puts the
  // focus on the ticker, the one thing on the strip a key acts on.
  frm.pnlScroll->setFocusPolicy(Qt::StrongFocus);
  frm.setFocusPolicy(Qt::StrongFocus);
  frm.setFocusProxy(frm.pnlScroll);
  auto* keys = new MenuKeys(frm);
  frm.pnlScroll->installEventFilter(keys);
}
