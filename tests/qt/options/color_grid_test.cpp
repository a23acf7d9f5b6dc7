#include "qt/options/color_grid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QTest>
#include <array>
#include <cstdlib>

#include "qt/ui/palette_color.h"
#include "store/palette.h"
#include "support/accessibility_events.h"

namespace {

// Records the region of every paint event the grid gets.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QWidget* target) { target->installEventFilter(this); }
  QRegion painted;
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      painted += static_cast<QPaintEvent*>(event)->region();
      ++paints;
    }
    return false;
  }
};

class ColorGridTest : public testing::Test {
 protected:
  void SetUp() override {
    grid.setGeometry(100, 100, 176, 40);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    grid.setFont(font);
    grid.SetForegroundIndex(15);
    grid.SetBackgroundIndex(0);
  }
  QPoint Centre(int index) const { return grid.CellRect(index).center(); }

  TColorGrid state;
  ColorGridWidget grid{state};
};

TEST_F(ColorGridTest, CellsAreEightByTwoInIndexOrderAndTrimmedToWholeCells) {
  EXPECT_EQ(grid.GridOrdering(), GridOrder::go8x2);
  EXPECT_EQ(grid.Columns(), 8);
  EXPECT_EQ(grid.Rows(), 2);
  EXPECT_EQ(grid.CellRect(0), QRect(0, 0, 22, 20));
  EXPECT_EQ(grid.CellRect(7), QRect(154, 0, 22, 20));
  EXPECT_EQ(grid.CellRect(8), QRect(0, 20, 22, 20));
  EXPECT_EQ(grid.CellRect(15), QRect(154, 20, 22, 20));
  EXPECT_TRUE(grid.CellRect(-1).isEmpty());
  EXPECT_TRUE(grid.CellRect(16).isEmpty());

  grid.resize(181, 45);
  grid.show();
  EXPECT_EQ(grid.size(), QSize(176, 44));
  EXPECT_EQ(grid.CellRect(9), QRect(22, 22, 22, 22));

  grid.SetGridOrdering(GridOrder::go16x1);
  EXPECT_EQ(grid.size(), QSize(176, 44));
  grid.SetGridOrdering(GridOrder::go1x16);
  EXPECT_EQ(grid.size(), QSize(176, 32));
  EXPECT_EQ(grid.CellRect(15), QRect(0, 30, 176, 2));
}

TEST_F(ColorGridTest, PointsBeyondTheGridCountAsOnTheNearestEdgeCell) {
  EXPECT_EQ(grid.CellAt({-30, -30}), 0);
  EXPECT_EQ(grid.CellAt({500, 5}), 7);
  EXPECT_EQ(grid.CellAt({500, 500}), 15);
  EXPECT_EQ(grid.CellAt({30, 500}), 9);
  EXPECT_EQ(grid.CellAt({-1, 25}), 8);
  EXPECT_EQ(grid.CellAt({175, 39}), 15);
  EXPECT_EQ(grid.CellAt({22, 20}), 9);
}

TEST_F(ColorGridTest, LeftPressChoosesForegroundAndRightPressBackground) {
  grid.show();
  QTest::mouseClick(&grid, Qt::LeftButton, {}, Centre(3));
  EXPECT_EQ(grid.ForegroundIndex(), 3);
  EXPECT_EQ(grid.BackgroundIndex(), 0);
  EXPECT_EQ(grid.CellMark(3), "FG");
  EXPECT_EQ(grid.CellMark(15), "");

  QTest::mouseClick(&grid, Qt::RightButton, {}, Centre(12));
  EXPECT_EQ(grid.ForegroundIndex(), 3);
  EXPECT_EQ(grid.BackgroundIndex(), 12);
  EXPECT_EQ(grid.CellMark(12), "BG");
  EXPECT_EQ(grid.CellMark(0), "");

  // The middle button chooses nothing.
  QTest::mouseClick(&grid, Qt::MiddleButton, {}, Centre(5));
  EXPECT_EQ(grid.ForegroundIndex(), 3);
  EXPECT_EQ(grid.BackgroundIndex(), 12);
}

TEST_F(ColorGridTest, BothMarksOnOneCellShowFB) {
  grid.show();
  QTest::mouseClick(&grid, Qt::LeftButton, {}, Centre(0));
  EXPECT_EQ(grid.ForegroundIndex(), 0);
  EXPECT_EQ(grid.BackgroundIndex(), 0);
  EXPECT_EQ(grid.CellMark(0), "FB");
  for (int i = 1; i < 16; ++i) EXPECT_EQ(grid.CellMark(i), "") << i;

  // Moving one mark away leaves the other behind.
  QTest::mouseClick(&grid, Qt::RightButton, {}, Centre(6));
  EXPECT_EQ(grid.CellMark(0), "FG");
  EXPECT_EQ(grid.CellMark(6), "BG");
}

TEST_F(ColorGridTest, RightDragBeyondTheRightEdgeEndsOnTheRowsLastCell) {
  grid.show();
  QTest::mousePress(&grid, Qt::RightButton, {}, Centre(9));
  EXPECT_EQ(grid.BackgroundIndex(), 9);
  QTest::mouseMove(&grid, Centre(11));
  EXPECT_EQ(grid.BackgroundIndex(), 11);
  QTest::mouseMove(&grid, QPoint(grid.width() + 40, Centre(11).y()));
  EXPECT_EQ(grid.BackgroundIndex(), 15);
  EXPECT_EQ(grid.ForegroundIndex(), 15);
  EXPECT_EQ(grid.CellMark(15), "FB");
  QTest::mouseRelease(&grid, Qt::RightButton, {}, QPoint(grid.width() + 40, Centre(11).y()));
  EXPECT_EQ(grid.BackgroundIndex(), 15);

  // Once the button is up, the pointer carries nothing.
  QTest::mouseMove(&grid, Centre(2));
  EXPECT_EQ(grid.BackgroundIndex(), 15);
  EXPECT_EQ(grid.ForegroundIndex(), 15);
}

TEST_F(ColorGridTest, LeftDragCarriesTheForegroundAndClampsAboveAndLeft) {
  grid.show();
  QTest::mousePress(&grid, Qt::LeftButton, {}, Centre(13));
  QTest::mouseMove(&grid, QPoint(-25, -25));
  EXPECT_EQ(grid.ForegroundIndex(), 0);
  EXPECT_EQ(grid.BackgroundIndex(), 0);
  // A second button meanwhile changes nothing; the first one's choice goes on.
  QTest::mousePress(&grid, Qt::RightButton, {}, Centre(5));
  EXPECT_EQ(grid.BackgroundIndex(), 0);
  QTest::mouseMove(&grid, Centre(6));
  EXPECT_EQ(grid.ForegroundIndex(), 6);
  EXPECT_EQ(grid.BackgroundIndex(), 0);
  QTest::mouseRelease(&grid, Qt::RightButton, {}, Centre(6));
  QTest::mouseRelease(&grid, Qt::LeftButton, {}, Centre(6));
}

// A box that opens during a drag (an update failing while the options are
// open) takes the mouse: the release goes to the box, never to the grid. The
// next press must choose all the same.
TEST_F(ColorGridTest, ADragWhoseReleaseWentElsewhereDoesNotBlockTheNextChoice) {
  grid.show();
  QWidget box;
  box.setGeometry(300, 300, 50, 50);
  box.show();
  QTest::mousePress(&grid, Qt::LeftButton, {}, Centre(3));
  EXPECT_EQ(grid.ForegroundIndex(), 3);
  QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(5, 5));

  QTest::mouseClick(&grid, Qt::RightButton, {}, Centre(6));
  EXPECT_EQ(grid.BackgroundIndex(), 6);
  EXPECT_EQ(grid.ForegroundIndex(), 3);
  QTest::mouseClick(&grid, Qt::LeftButton, {}, Centre(9));
  EXPECT_EQ(grid.ForegroundIndex(), 9);
  EXPECT_EQ(grid.BackgroundIndex(), 6);
}

TEST(ContrastingTextColorTest, EachComponentFlipsAtHalfIntensity) {
  EXPECT_EQ(ContrastingTextColor(QColor(0, 0, 0)), QColor(255, 255, 255));
  EXPECT_EQ(ContrastingTextColor(QColor(255, 255, 255)), QColor(0, 0, 0));
  EXPECT_EQ(ContrastingTextColor(QColor(127, 128, 129)), QColor(255, 0, 0));
  EXPECT_EQ(ContrastingTextColor(QColor(192, 192, 192)), QColor(0, 0, 0));
  EXPECT_EQ(ContrastingTextColor(QColor(128, 128, 128)), QColor(0, 0, 0));
  EXPECT_EQ(ContrastingTextColor(QColor(255, 255, 0)), QColor(0, 0, 255));
}

// For every cell: the letters on it are drawn in the contrasting colour, and
// nothing else but the cell's colour and blends of the two shows inside it.
TEST_F(ColorGridTest, LettersOnEverySixteenCellsStandOutByTheRule) {
  const std::array<QColor, 16> expected = {
      QColor(255, 255, 255), QColor(0, 255, 255), QColor(255, 0, 255), QColor(0, 0, 255),
      QColor(255, 255, 0),   QColor(0, 255, 0),   QColor(255, 0, 0),   QColor(0, 0, 0),
      QColor(0, 0, 0),       QColor(0, 255, 255), QColor(255, 0, 255), QColor(0, 0, 255),
      QColor(255, 255, 0),   QColor(0, 255, 0),   QColor(255, 0, 0),   QColor(0, 0, 0),
  };
  for (int i = 0; i < 16; ++i) {
    grid.SetForegroundIndex(i);
    grid.SetBackgroundIndex(i);
    const QImage image = grid.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor cell = PaletteQColor(i);
    const QRect inside = grid.CellRect(i).adjusted(3, 3, -3, -3);
    int letter_pixels = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
      for (int x = inside.left(); x <= inside.right(); ++x) {
        const QColor pixel = image.pixelColor(x, y);
        // Letters are smoothed: count the pixels that are mostly letter colour.
        if (std::abs(pixel.red() - expected[i].red()) < 64 &&
            std::abs(pixel.green() - expected[i].green()) < 64 &&
            std::abs(pixel.blue() - expected[i].blue()) < 64) {
          ++letter_pixels;
        }
        // Every channel lies between the cell's and the letters' values.
        for (auto channel : {&QColor::red, &QColor::green, &QColor::blue}) {
          const int lo = std::min((cell.*channel)(), (expected[i].*channel)());
          const int hi = std::max((cell.*channel)(), (expected[i].*channel)());
          EXPECT_GE((pixel.*channel)(), lo) << "cell " << i << " at " << x << "," << y;
          EXPECT_LE((pixel.*channel)(), hi) << "cell " << i << " at " << x << "," << y;
        }
      }
    }
    EXPECT_GT(letter_pixels, 5) << "cell " << i;
  }
}

TEST_F(ColorGridTest, EachCellIsASunkenSquareAroundItsColour) {
  grid.SetForegroundIndex(3);
  grid.SetBackgroundIndex(3);
  const QImage image = grid.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QPalette& pal = grid.palette();
  auto at = [&image](int x, int y) { return image.pixel(x, y); };
  auto rgb = [&pal](QPalette::ColorRole role) { return pal.color(role).rgb(); };
  for (int i : {0, 7, 9, 14}) {
    const QRect c = grid.CellRect(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(at(c.left(), c.top()), rgb(QPalette::Button));
    EXPECT_EQ(at(c.right(), c.bottom()), rgb(QPalette::Button));
    EXPECT_EQ(at(c.left() + 1, c.top() + 5), rgb(QPalette::Dark));
    EXPECT_EQ(at(c.left() + 2, c.top() + 5), rgb(QPalette::Dark));
    EXPECT_EQ(at(c.left() + 5, c.top() + 2), rgb(QPalette::Dark));
    EXPECT_EQ(at(c.right() - 1, c.top() + 5), rgb(QPalette::Light));
    EXPECT_EQ(at(c.right() - 2, c.top() + 5), rgb(QPalette::Light));
    EXPECT_EQ(at(c.left() + 5, c.bottom() - 2), rgb(QPalette::Light));
    EXPECT_EQ(at(c.left() + 3, c.top() + 3), PaletteQColor(i).rgb());
    EXPECT_EQ(at(c.right() - 3, c.bottom() - 3), PaletteQColor(i).rgb());
  }
}

TEST_F(ColorGridTest, OnlyCellsWhoseMarksChangeAreRepainted) {
  grid.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
  QApplication::processEvents();
  PaintRecorder recorder(&grid);

  QTest::mousePress(&grid, Qt::LeftButton, {}, Centre(3));
  QApplication::processEvents();
  EXPECT_EQ(recorder.painted, QRegion(grid.CellRect(15)) + grid.CellRect(3));

  // Moving within the same cell or to the cell it already marks changes nothing.
  recorder.painted = QRegion();
  recorder.paints = 0;
  QTest::mouseMove(&grid, Centre(3) + QPoint(3, 2));
  QApplication::processEvents();
  EXPECT_EQ(recorder.paints, 0);

  QTest::mouseMove(&grid, Centre(4));
  QApplication::processEvents();
  EXPECT_EQ(recorder.painted, QRegion(grid.CellRect(3)) + grid.CellRect(4));
  QTest::mouseRelease(&grid, Qt::LeftButton, {}, Centre(4));

  // Onto the background cell: only the two cells the foreground leaves and joins.
  recorder.painted = QRegion();
  QTest::mouseClick(&grid, Qt::LeftButton, {}, Centre(0));
  QApplication::processEvents();
  EXPECT_EQ(recorder.painted, QRegion(grid.CellRect(4)) + grid.CellRect(0));
}

TEST_F(ColorGridTest, TabFocusesItAClickDoesNot) {
  EXPECT_EQ(grid.focusPolicy(), Qt::TabFocus);
  grid.show();
  QTest::mouseClick(&grid, Qt::LeftButton, {}, Centre(2));
  EXPECT_FALSE(grid.hasFocus());
}

// The keyboard does what the two buttons do: the arrows move the focus mark
// (stopping at the edges), F or Space choose the foreground, B the background.
TEST_F(ColorGridTest, KeysMoveTheFocusMarkAndChooseTheCells) {
  grid.show();
  grid.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
  grid.setFocus(Qt::TabFocusReason);
  EXPECT_EQ(grid.FocusIndex(), 15);  // starts at the foreground cell
  for (Qt::Key key : {Qt::Key_Right, Qt::Key_Down, Qt::Key_Up, Qt::Key_Left, Qt::Key_Left}) {
    QTest::keyClick(&grid, key);
  }
  EXPECT_EQ(grid.FocusIndex(), 5);
  QTest::keyClick(&grid, Qt::Key_B);
  EXPECT_EQ(grid.BackgroundIndex(), 5);
  EXPECT_EQ(grid.ForegroundIndex(), 15);
  QTest::keyClick(&grid, Qt::Key_Down);
  QTest::keyClick(&grid, Qt::Key_F);
  EXPECT_EQ(grid.ForegroundIndex(), 13);
  for (int i = 0; i < 9; ++i) QTest::keyClick(&grid, Qt::Key_Left);
  QTest::keyClick(&grid, Qt::Key_Space);
  EXPECT_EQ(grid.ForegroundIndex(), 8);
  EXPECT_EQ(grid.CellMark(8), "FG");
  EXPECT_EQ(grid.CellMark(5), "BG");
}

TEST_F(ColorGridTest, ScreenReadersSeeSixteenNamedCellsWithTheMarksAsState) {
  RecordedAccessibilityEvents recorded;
  grid.show();
  grid.SetForegroundIndex(9);
  grid.SetBackgroundIndex(9);
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&grid);
  EXPECT_EQ(list->role(), QAccessible::List);
  ASSERT_EQ(list->childCount(), 16);
  QStringList names;
  for (int i = 0; i < 16; ++i) {
    QAccessibleInterface* cell = list->child(i);
    names << cell->text(QAccessible::Name);
    EXPECT_EQ(cell->role(), QAccessible::ListItem);
    EXPECT_EQ(cell->parent(), list);
    EXPECT_EQ(list->indexOfChild(cell), i);
    EXPECT_EQ(cell->state().checked, i == 9) << i;
    EXPECT_EQ(cell->state().selected, i == 9) << i;
  }
  EXPECT_EQ(names,
            QStringList({"Black", "Maroon", "Green", "Olive", "Navy", "Purple", "Teal", "Silver",
                         "Gray", "Red", "Lime", "Yellow", "Blue", "Fuchsia", "Aqua", "White"}));
  EXPECT_EQ(list->child(9)->text(QAccessible::Description), "Foreground and background");
  EXPECT_EQ(list->childAt(list->child(3)->rect().center().x(), list->child(3)->rect().center().y()),
            list->child(3));

  // Moving a mark tells of the cell it leaves and the one it joins.
  RecordedAccessibilityEvents::Events().clear();
  QTest::mouseClick(&grid, Qt::RightButton, {}, Centre(2));
  std::vector<int> changed;
  for (const auto& event : RecordedAccessibilityEvents::Events()) {
    if (event.type == QAccessible::StateChanged) changed.push_back(event.child);
  }
  EXPECT_EQ(changed, std::vector<int>({9, 2}));
  EXPECT_EQ(list->child(9)->text(QAccessible::Description), "Foreground");
  EXPECT_TRUE(list->child(2)->state().selected);

  // The focus mark is the focused cell.
  grid.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
  grid.setFocus(Qt::TabFocusReason);
  QTest::keyClick(&grid, Qt::Key_Left);
  EXPECT_EQ(list->focusChild(), list->child(8));
  EXPECT_TRUE(list->child(8)->state().focused);
  EXPECT_EQ(RecordedAccessibilityEvents::Events().back().type, QAccessible::Focus);
  EXPECT_EQ(RecordedAccessibilityEvents::Events().back().child, 8);
}

// An index that has no cell (a hand-edited file) is kept as it is, and no cell
// carries its mark until a cell is chosen.
TEST_F(ColorGridTest, AnIndexWithoutACellIsKeptAndMarksNoCell) {
  grid.SetForegroundIndex(20);
  grid.SetBackgroundIndex(-3);
  EXPECT_EQ(grid.ForegroundIndex(), 20);
  EXPECT_EQ(grid.BackgroundIndex(), -3);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(grid.CellMark(i), "") << i;
  const QImage image = grid.grab().toImage();  // paints without a mark
  EXPECT_FALSE(image.isNull());

  grid.show();
  QTest::mouseClick(&grid, Qt::RightButton, {}, Centre(5));
  EXPECT_EQ(grid.BackgroundIndex(), 5);
  EXPECT_EQ(grid.ForegroundIndex(), 20);
}

}  // namespace
