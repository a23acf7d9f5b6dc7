#include "options/color_grid.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "options/color_grid_access.h"
#include "store/palette.h"
#include "ui/edge.h"
#include "ui/palette_color.h"

namespace {

constexpr int kCellCount = kPaletteSize;
// The size a cell asks for when nothing else decides it.
constexpr int kPreferredCellWidth = 22;
constexpr int kPreferredCellHeight = 20;

int Component(int value) { return value >= 128 ? 0 : 255; }

constexpr const char* kColorNames[kCellCount] = {
    "Black", "Maroon", "Green", "Olive",  "Navy", "Purple",  "Teal", "Silver",
    "Gray",  "Red",    "Lime",  "Yellow", "Blue", "Fuchsia", "Aqua", "White",
};

}  // namespace

QString ColorName(int index) {
  if (index < 0 || index >= kCellCount) return {};
  return QString::fromLatin1(kColorNames[index]);
}

QColor ContrastingTextColor(const QColor& cell) {
  return QColor(Component(cell.red()), Component(cell.green()), Component(cell.blue()));
}

TColorGrid::TColorGrid(QWidget* parent) : QWidget(parent) {
  InstallColorGridAccess();
  // Tab, not a click: the mouse works as it always did.
  setFocusPolicy(Qt::TabFocus);
  // Every pixel is painted by paintEvent.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TColorGrid::SetGridOrdering(TGridOrdering ordering) {
  if (ordering == ordering_) return;
  ordering_ = ordering;
  TrimToWholeCells();
  update();
}

void TColorGrid::SetForegroundIndex(int index) {
  if (index == foreground_) return;
  const int old = foreground_;
  foreground_ = index;
  RepaintCell(old);
  RepaintCell(index);
  AnnounceMark(old, index, true);
}

void TColorGrid::SetBackgroundIndex(int index) {
  if (index == background_) return;
  const int old = background_;
  background_ = index;
  RepaintCell(old);
  RepaintCell(index);
  AnnounceMark(old, index, false);
}

int TColorGrid::Columns() const {
  switch (ordering_) {
    case TGridOrdering::go16x1:
      return 16;
    case TGridOrdering::go8x2:
      return 8;
    case TGridOrdering::go4x4:
      return 4;
    case TGridOrdering::go2x8:
      return 2;
    case TGridOrdering::go1x16:
      return 1;
  }
  return 8;
}

int TColorGrid::Rows() const { return kCellCount / Columns(); }

QRect TColorGrid::CellRect(int index) const {
  if (index < 0 || index >= kCellCount) return {};
  const int cell_width = width() / Columns();
  const int cell_height = height() / Rows();
  return QRect((index % Columns()) * cell_width, (index / Columns()) * cell_height, cell_width,
               cell_height);
}

int TColorGrid::CellAt(QPoint pos) const {
  const int cell_width = std::max(1, width() / Columns());
  const int cell_height = std::max(1, height() / Rows());
  const int column = pos.x() < 0 ? 0 : std::min(pos.x() / cell_width, Columns() - 1);
  const int row = pos.y() < 0 ? 0 : std::min(pos.y() / cell_height, Rows() - 1);
  return row * Columns() + column;
}

QString TColorGrid::CellMark(int index) const {
  const bool fore = index == foreground_;
  const bool back = index == background_;
  if (fore && back) return QStringLiteral("FB");
  if (fore) return QStringLiteral("FG");
  if (back) return QStringLiteral("BG");
  return {};
}

QSize TColorGrid::sizeHint() const {
  return QSize(Columns() * kPreferredCellWidth, Rows() * kPreferredCellHeight);
}

void TColorGrid::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.setFont(font());
  const QPalette& pal = palette();
  // Whatever lies right of or below the whole cells (only until the trim
  // has run) shows the dialog's face.
  painter.fillRect(rect(), pal.color(QPalette::Window));
  for (int index = 0; index < kCellCount; ++index) {
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
    if (index == focus_ && hasFocus()) {
      painter.setPen(QPen(ContrastingTextColor(colour), 1, Qt::DotLine));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(bevel.adjusted(1, 1, -2, -2));
    }
  }
}

void TColorGrid::keyPressEvent(QKeyEvent* event) {
  const int column = focus_ % Columns();
  const int row = focus_ / Columns();
  switch (event->key()) {
    case Qt::Key_Left:
      if (column > 0) MoveFocusMark(focus_ - 1);
      break;
    case Qt::Key_Right:
      if (column < Columns() - 1) MoveFocusMark(focus_ + 1);
      break;
    case Qt::Key_Up:
      if (row > 0) MoveFocusMark(focus_ - Columns());
      break;
    case Qt::Key_Down:
      if (row < Rows() - 1) MoveFocusMark(focus_ + Columns());
      break;
    case Qt::Key_F:
    case Qt::Key_Space:
      SetForegroundIndex(focus_);
      break;
    case Qt::Key_B:
      SetBackgroundIndex(focus_);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void TColorGrid::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  if (focus_ < 0) {
    focus_ = (foreground_ >= 0 && foreground_ < kCellCount) ? foreground_ : 0;
  }
  RepaintCell(focus_);
  AnnounceFocusedCell(this, focus_);
}

void TColorGrid::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  RepaintCell(focus_);
}

void TColorGrid::MoveFocusMark(int index) {
  const int old = focus_;
  focus_ = index;
  RepaintCell(old);
  RepaintCell(focus_);
  AnnounceFocusedCell(this, focus_);
}

void TColorGrid::AnnounceMark(int from, int to, bool foreground) {
  if (!QAccessible::isActive()) return;
  QAccessible::State changed;
  if (foreground) {
    changed.checked = true;
  } else {
    changed.selected = true;
  }
  for (int index : {from, to}) {
    if (index >= 0 && index < kCellCount) AnnounceCellState(this, index, changed);
  }
}

void TColorGrid::mousePressEvent(QMouseEvent* event) {
  const Qt::MouseButton button = event->button();
  if (button != Qt::LeftButton && button != Qt::RightButton) {
    event->ignore();
    return;
  }
  // While the first button is still down its choice goes on. A drag whose
  // release never reached the grid (a message box took the mouse meanwhile)
  // is over: its button is no longer down.
  if (dragging_ != Qt::NoButton && (event->buttons() & dragging_)) return;
  dragging_ = button;
  Choose(button, event->position().toPoint());
}

void TColorGrid::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ == Qt::NoButton || !(event->buttons() & dragging_)) return;
  Choose(dragging_, event->position().toPoint());
}

void TColorGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == dragging_) dragging_ = Qt::NoButton;
}

void TColorGrid::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  TrimToWholeCells();
}

void TColorGrid::TrimToWholeCells() {
  const QSize trimmed((width() / Columns()) * Columns(), (height() / Rows()) * Rows());
  if (trimmed != size()) resize(trimmed);
}

void TColorGrid::Choose(Qt::MouseButton button, QPoint pos) {
  const int cell = CellAt(pos);
  if (button == Qt::LeftButton) {
    SetForegroundIndex(cell);
  } else {
    SetBackgroundIndex(cell);
  }
}

void TColorGrid::RepaintCell(int index) {
  const QRect cell = CellRect(index);
  if (!cell.isEmpty()) update(cell);
}
