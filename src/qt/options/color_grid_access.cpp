#include "qt/options/color_grid_access.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <array>

#include "qt/options/color_grid.h"
#include "qt/ui/display_text.h"
#include "strip/form_design.h"

namespace {

constexpr int kCells = 16;

// One cell. Cells are no widgets of their own, so each is an interface that
// the grid's interface creates and registers with Qt's cache.
class CellAccessible : public QAccessibleInterface {
 public:
  CellAccessible(ColorGridWidget* grid, int index) : grid_(grid), index_(index) {}

  bool isValid() const override { return grid_ != nullptr; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return grid_->window()->windowHandle(); }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(grid_);
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  void setText(QAccessible::Text, const QString&) override {}
  QAccessible::Role role() const override { return QAccessible::ListItem; }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return ColorName(index_);
    if (t != QAccessible::Description) return {};
    const bool fore = grid_->ForegroundIndex() == index_;
    const bool back = grid_->BackgroundIndex() == index_;
    if (fore && back) return ToDisplay(kBothMarks);
    if (fore) return ToDisplay(kForegroundMark);
    if (back) return ToDisplay(kBackgroundMark);
    return {};
  }

  QRect rect() const override {
    const QRect cell = grid_->CellRect(index_);
    return QRect(grid_->mapToGlobal(cell.topLeft()), cell.size());
  }

  QAccessible::State state() const override {
    QAccessible::State state;
    state.focusable = true;
    state.focused = grid_->hasFocus() && grid_->FocusIndex() == index_;
    state.checkable = true;
    state.checked = grid_->ForegroundIndex() == index_;
    state.selectable = true;
    state.selected = grid_->BackgroundIndex() == index_;
    state.invisible = !grid_->isVisible();
    return state;
  }

 private:
  QPointer<ColorGridWidget> grid_;
  int index_;
};

class ColorGridAccessible : public QAccessibleWidget {
 public:
  explicit ColorGridAccessible(ColorGridWidget* grid)
      : QAccessibleWidget(grid, QAccessible::List) {}
  ~ColorGridAccessible() override {
    for (QAccessible::Id id : cells_) {
      if (id) QAccessible::deleteAccessibleInterface(id);
    }
  }

  int childCount() const override { return kCells; }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= kCells) return nullptr;
    if (!cells_[index]) {
      cells_[index] = QAccessible::registerAccessibleInterface(new CellAccessible(Grid(), index));
    }
    return QAccessible::accessibleInterface(cells_[index]);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (int i = 0; i < kCells; ++i) {
      if (cells_[i] && QAccessible::accessibleInterface(cells_[i]) == child) return i;
    }
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint local = Grid()->mapFromGlobal(QPoint(x, y));
    if (!Grid()->rect().contains(local)) return nullptr;
    return child(Grid()->CellAt(local));
  }
  QAccessibleInterface* focusChild() const override {
    return Grid()->hasFocus() ? child(Grid()->FocusIndex()) : nullptr;
  }

 private:
  ColorGridWidget* Grid() const { return static_cast<ColorGridWidget*>(widget()); }
  mutable std::array<QAccessible::Id, kCells> cells_{};
};

QAccessibleInterface* ColorGridFactory(const QString& class_name, QObject* object) {
  if (class_name == QLatin1String("ColorGridWidget")) {
    return new ColorGridAccessible(static_cast<ColorGridWidget*>(object));
  }
  return nullptr;
}

}  // namespace

void InstallColorGridAccess() {
  static const bool installed = (QAccessible::installFactory(ColorGridFactory), true);
  (void)installed;
}

void AnnounceFocusedCell(ColorGridWidget* grid, int index) {
  if (!QAccessible::isActive()) return;
  QAccessibleEvent event(grid, QAccessible::Focus);
  event.setChild(index);
  QAccessible::updateAccessibility(&event);
}

void AnnounceCellState(ColorGridWidget* grid, int index, QAccessible::State changed) {
  QAccessibleStateChangeEvent event(grid, changed);
  event.setChild(index);
  QAccessible::updateAccessibility(&event);
}
