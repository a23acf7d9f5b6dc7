#include "qt/options/color_grid.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <array>

#include "qt/options/color_grid_access.h"
#include "qt/ui/display_text.h"
#include "qt/ui/edge.h"
#include "qt/ui/palette_color.h"

namespace {

// The size a cell asks for when nothing else decides it.
constexpr int kPreferredCellWidth = 22;
constexpr int kPreferredCellHeight = 20;

GridButton ButtonOf(Qt::MouseButton button) {
  return button == Qt::LeftButton ? GridButton::kLeft : GridButton::kRight;
}

}  // namespace

QString ColorName(int index) { return ToDisplay(TColorGrid::ColorName(index)); }

QColor ContrastingTextColor(const QColor& cell) {
  return ToQColor(TColorGrid::ContrastingTextColor({static_cast<std::uint8_t>(cell.red()),
                                                    static_cast<std::uint8_t>(cell.green()),
                                                    static_cast<std::uint8_t>(cell.blue())}));
}

ColorGridWidget::ColorGridWidget(TColorGrid& state, QWidget* parent)
    : QWidget(parent), state_(state) {
  InstallColorGridAccess();
  // Tab, not a click: the mouse works as it always did.
  setFocusPolicy(Qt::TabFocus);
  // Every pixel is painted by paintEvent.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

template <class Change>
void ColorGridWidget::Changing(Change change) {
  const int foreground = state_.ForegroundIndex;
  const int background = state_.BackgroundIndex;
  const int focus = state_.FocusIndex();
  std::array<std::string_view, kPaletteSize> marks;
  for (int index = 0; index < kPaletteSize; ++index) marks[index] = state_.CellMark(index);
  change();
  for (int index = 0; index < kPaletteSize; ++index) {
    if (state_.CellMark(index) != marks[index]) RepaintCell(index);
  }
  if (state_.FocusIndex() != focus) {
    RepaintCell(focus);
    RepaintCell(state_.FocusIndex());
    if (hasFocus()) AnnounceFocusedCell(this, state_.FocusIndex());
  }
  if (!QAccessible::isActive()) return;
  // Screen readers hear a mark move: the foreground as "checked", the
  // background as "selected", on the cell it left and the one it reached.
  for (const bool fore : {true, false}) {
    const int from = fore ? foreground : background;
    const int to = fore ? state_.ForegroundIndex : state_.BackgroundIndex;
    if (from == to) continue;
    QAccessible::State changed;
    if (fore) {
      changed.checked = true;
    } else {
      changed.selected = true;
    }
    for (int index : {from, to}) {
      if (TColorGrid::IsCell(index)) AnnounceCellState(this, index, changed);
    }
  }
}

void ColorGridWidget::SetGridOrdering(GridOrder ordering) {
  if (ordering == state_.GridOrdering()) return;
  state_.SetGridOrdering(ordering);
  TrimToWholeCells();
  update();
}

void ColorGridWidget::SetForegroundIndex(int index) {
  Changing([&] { state_.ForegroundIndex = index; });
}

void ColorGridWidget::SetBackgroundIndex(int index) {
  Changing([&] { state_.BackgroundIndex = index; });
}

QRect ColorGridWidget::CellRect(int index) const {
  if (!TColorGrid::IsCell(index)) return {};
  const int cell_width = width() / Columns();
  const int cell_height = height() / Rows();
  return QRect((index % Columns()) * cell_width, (index / Columns()) * cell_height, cell_width,
               cell_height);
}

QString ColorGridWidget::CellMark(int index) const { return ToDisplay(state_.CellMark(index)); }

QSize ColorGridWidget::sizeHint() const {
  return QSize(Columns() * kPreferredCellWidth, Rows() * kPreferredCellHeight);
}

void ColorGridWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.setFont(font());
  const QPalette& pal = palette();
  // Whatever lies right of or below the whole cells (only until the trim
  // has run) shows the dialog's face.
  painter.fillRect(rect(), pal.color(QPalette::Window));
  for (int index = 0; index < kPaletteSize; ++index) {
    const QRect cell = CellRect(index);
    if (!event->rect().intersects(cell)) continue;
    DrawEdge(painter, cell, pal.color(QPalette::Button), pal.color(QPalette::Button));
    QRect bevel = cell.adjusted(1, 1, -1, -1);
    for (int step = 0; step < 2; ++step) {
      DrawEdge(painter, bevel, pal.color(QPalette::Dark), pal.color(QPalette::Light));
      bevel.adjust(1, 1, -1, -1);
    }
    const QColor colour = PaletteQColor(index);
    painter.fillRect(bevel, colour);
    const QString mark = CellMark(index);
    if (!mark.isEmpty()) {
      painter.setPen(ContrastingTextColor(colour));
      painter.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, mark);
    }
    if (index == FocusIndex() && hasFocus()) {
      painter.setPen(QPen(ContrastingTextColor(colour), 1, Qt::DotLine));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(bevel.adjusted(1, 1, -2, -2));
    }
  }
}

void ColorGridWidget::keyPressEvent(QKeyEvent* event) {
  GridKey key;
  switch (event->key()) {
    case Qt::Key_Left:
      key = GridKey::kLeft;
      break;
    case Qt::Key_Right:
      key = GridKey::kRight;
      break;
    case Qt::Key_Up:
      key = GridKey::kUp;
      break;
    case Qt::Key_Down:
      key = GridKey::kDown;
      break;
    case Qt::Key_F:
    case Qt::Key_Space:
      key = GridKey::kForeground;
      break;
    case Qt::Key_B:
      key = GridKey::kBackground;
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  Changing([&] { state_.KeyPress(key); });
  event->accept();
}

void ColorGridWidget::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  state_.FocusIn();
  RepaintCell(FocusIndex());
  AnnounceFocusedCell(this, FocusIndex());
}

void ColorGridWidget::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  RepaintCell(FocusIndex());
}

void ColorGridWidget::mousePressEvent(QMouseEvent* event) {
  const Qt::MouseButton button = event->button();
  if (button != Qt::LeftButton && button != Qt::RightButton) {
    event->ignore();
    return;
  }
  // A drag whose release never reached the grid (a box took the mouse
  // meanwhile) is over once no button is down.
  if (state_.Held() && (event->buttons() & ~button) == Qt::NoButton) state_.ForgetPress();
  Changing([&] { state_.Press(ButtonOf(button), CellAt(event->position().toPoint())); });
}

void ColorGridWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!state_.Held() || event->buttons() == Qt::NoButton) return;
  Changing([&] { state_.Drag(CellAt(event->position().toPoint())); });
}

void ColorGridWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
    state_.Release(ButtonOf(event->button()));
  }
}

void ColorGridWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  TrimToWholeCells();
}

void ColorGridWidget::TrimToWholeCells() {
  const QSize trimmed((width() / Columns()) * Columns(), (height() / Rows()) * Rows());
  if (trimmed != size()) resize(trimmed);
}

void ColorGridWidget::RepaintCell(int index) {
  const QRect cell = CellRect(index);
  if (!cell.isEmpty()) update(cell);
}
