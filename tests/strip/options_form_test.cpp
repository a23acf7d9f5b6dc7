// The options dialog's data side: what it reads, clamps and writes, and how
// a store error stops it; and the colour grid's cells, marks, mouse choice
// and keys.
#include "strip/options_form.h"

#include <algorithm>
#include <functional>

#include "strip_fixture.h"

namespace {

using OptionsFormTest = StripTest;

// The seven values of a form, in their writing order.
std::vector<int> Values(const TfrmOptions& form) {
  return {form.tbScroll,  form.cGrid.ForegroundIndex, form.cGrid.BackgroundIndex,
          form.chkBold,   form.chkShowTask,           form.chkOnStart,
          form.chkAltSite};
}
const std::vector<int> kInitialValues{300, 11, 0, 0, 0, 0, 0};

TEST_F(OptionsFormTest, ANewFormHoldsTheInitialValuesAndAnEmptyStoreTheDefaults) {
  TfrmOptions form(env_.settings);
  EXPECT_EQ(Values(form), kInitialValues);
  form.FormCreate();
  EXPECT_EQ(Values(form), (std::vector<int>{150, 15, 0, 1, 0, 1, 0}));
}

TEST_F(OptionsFormTest, EachCheckBoxOfTheDialogHasItsOwnValue) {
  TfrmOptions form(env_.settings);
  int check_boxes = 0;
  for (const FormControl& control : kOptionsDesign.controls) {
    bool* value = form.CheckBox(control.name);
    ASSERT_EQ(value != nullptr, control.kind == ControlKind::kCheckBox) << control.name;
    if (value == nullptr) continue;
    ++check_boxes;
    // Setting it sets that one value, and only it.
    *value = true;
    const std::vector<int> values = Values(form);
    EXPECT_EQ(std::count(values.begin() + 3, values.end(), 1), check_boxes) << control.name;
  }
  EXPECT_EQ(check_boxes, 4);
  EXPECT_TRUE(form.chkBold && form.chkShowTask && form.chkOnStart && form.chkAltSite);
}

TEST_F(OptionsFormTest, StoredValuesFillTheForm) {
  Store(kRate, 42);
  Store(kForeground, 4);
  Store(kBackground, 11);
  Store(kBold, false);
  Store(kShowTask, true);
  Store(kOnStart, false);
  Store(kAltSource, true);
  TfrmOptions form(env_.settings);
  form.FormCreate();
  EXPECT_EQ(Values(form), (std::vector<int>{42, 4, 11, 0, 1, 0, 1}));
}

// The track bar keeps 1..300; OK stores what it shows.
TEST_F(OptionsFormTest, ARateBeyondTheTrackBarIsTakenAtItsEndAndStoredSo) {
  for (const auto& [stored, shown] : {std::pair{500, 300}, std::pair{-7, 1}, std::pair{0, 1}}) {
    SCOPED_TRACE(stored);
    Store(kRate, stored);
    TfrmOptions form(env_.settings);
    form.FormCreate();
    EXPECT_EQ(form.tbScroll, shown);
    form.btnOkClick();
    EXPECT_EQ(StoredText(kRate), std::to_string(shown));
  }
  TfrmOptions form(env_.settings);
  form.SetScrollPosition(301);
  EXPECT_EQ(form.tbScroll, 300);
  form.SetScrollPosition(1);
  EXPECT_EQ(form.tbScroll, 1);
}

// All seven are written whether changed or not, in their fixed order, in one
// group.
TEST_F(OptionsFormTest, OkWritesAllSevenInTheirOrder) {
  TfrmOptions form(env_.settings);
  form.FormCreate();
  const int groups = settings_.groups;
  form.btnOkClick();
  EXPECT_EQ(settings_.writes,
            (std::vector<std::string>{"scroll/rate=150", "window/foreground=15",
                                      "window/background=0", "window/bold=1", "window/showtask=0",
                                      "settings/onstart=1", "settings/altsource=0"}));
  EXPECT_EQ(settings_.groups, groups + 1);
}

// An index without a cell (a hand-edited file) marks no cell and goes back
// as it was.
TEST_F(OptionsFormTest, AHandEditedIndexWithoutACellIsStoredBackAsItWas) {
  Store(kForeground, 20);
  Store(kBackground, -1);
  TfrmOptions form(env_.settings);
  form.FormCreate();
  for (int i = 0; i < kPaletteSize; ++i) EXPECT_EQ(form.cGrid.CellMark(i), "") << i;
  form.btnOkClick();
  EXPECT_EQ(StoredText(kForeground), "20");
  EXPECT_EQ(StoredText(kBackground), "-1");
  // Until a cell is chosen: then that cell is what OK stores.
  form.cGrid.Press(GridButton::kRight, 0);
  form.cGrid.Release(GridButton::kRight);
  EXPECT_EQ(form.cGrid.CellMark(0), "BG");
  form.btnOkClick();
  EXPECT_EQ(StoredText(kForeground), "20");
  EXPECT_EQ(StoredText(kBackground), "0");
}

// Filling stops at the entry that cannot be read: what came before it is
// shown, the rest keeps the form's initial values.
TEST_F(OptionsFormTest, AStoreErrorWhileFillingStopsAtThatEntry) {
  const std::vector<int> stored{42, 4, 5, 1, 1, 1, 1};
  struct Case {
    std::string_view section;
    std::string_view name;
    std::size_t read_before;
  };
  for (const Case& c :
       {Case{kScrollSection, kRate.name, 0}, Case{kWindowSection, kForeground.name, 1},
        Case{kWindowSection, kShowTask.name, 4}}) {
    SCOPED_TRACE(c.name);
    Store(kRate, stored[0]);
    Store(kForeground, stored[1]);
    Store(kBackground, stored[2]);
    Store(kBold, true);
    Store(kShowTask, true);
    Store(kOnStart, true);
    Store(kAltSource, true);
    StoreUnreadable(c.section, c.name);
    TfrmOptions form(env_.settings);
    try {
      form.FormCreate();
      ADD_FAILURE() << "no error";
    } catch (const ERegistryException& error) {
      EXPECT_EQ(error.what(), "Invalid data type for '" + std::string(c.name) + "'");
    }
    std::vector<int> expected = kInitialValues;
    std::copy_n(stored.begin(), c.read_before, expected.begin());
    EXPECT_EQ(Values(form), expected);
  }
}

// Stopped at the first entry that the store refuses: the ones before it are
// written, none after it. A failure that the store reports only at the end
// of the group is raised too.
TEST_F(OptionsFormTest, AStoreErrorWhileWritingStopsTheWriting) {
  TfrmOptions form(env_.settings);
  form.FormCreate();
  struct Case {
    const char* name;
    std::function<void()> fault;
    std::string error;
    std::size_t written;
  };
  for (const Case& c :
       {Case{"no store", [&] { StoreUnwritable(); }, "Failed to create key scroll", 0},
        Case{"bold", [&] { settings_.SetUnwritable(kWindowSection, kBold.name); },
             "Failed to set data for 'bold'", 3},
        Case{"group end", [&] { settings_.fail_group_end = true; }, "Failed to set data for 'rate'",
             7}}) {
    SCOPED_TRACE(c.name);
    settings_.refuse_all_writes = settings_.fail_group_end = false;
    settings_.unwritable.clear();
    settings_.writes.clear();
    c.fault();
    try {
      form.btnOkClick();
      ADD_FAILURE() << "no error";
    } catch (const ERegistryException& error) {
      EXPECT_EQ(error.what(), c.error);
    }
    EXPECT_EQ(settings_.writes.size(), c.written);
  }
}

// ---- the colour grid ----

TEST(ColorGridTest, CellsRunInIndexOrderByTheOrdering) {
  TColorGrid grid;
  EXPECT_EQ(grid.GridOrdering(), GridOrder::go8x2);
  const std::pair<GridOrder, int> columns[] = {{GridOrder::go16x1, 16},
                                               {GridOrder::go8x2, 8},
                                               {GridOrder::go4x4, 4},
                                               {GridOrder::go2x8, 2},
                                               {GridOrder::go1x16, 1}};
  for (const auto& [ordering, count] : columns) {
    grid.SetGridOrdering(ordering);
    EXPECT_EQ(grid.Columns(), count);
    EXPECT_EQ(grid.Rows(), 16 / count);
    // The last cell is in the bottom right corner.
    EXPECT_EQ(grid.CellAt(count * 10 - 1, (16 / count) * 10 - 1, count * 10, (16 / count) * 10),
              15);
  }
}

TEST(ColorGridTest, PointsBeyondAnEdgeCountAsOnTheNearestEdgeCell) {
  TColorGrid grid;  // 8 by 2 cells of 22 by 20 pixels
  const auto at = [&](int x, int y) { return grid.CellAt(x, y, 176, 40); };
  EXPECT_EQ(at(-30, -30), 0);
  EXPECT_EQ(at(500, 5), 7);
  EXPECT_EQ(at(500, 500), 15);
  EXPECT_EQ(at(30, 500), 9);
  EXPECT_EQ(at(-1, 25), 8);
  EXPECT_EQ(at(175, 39), 15);
  EXPECT_EQ(at(21, 19), 0);
  EXPECT_EQ(at(22, 20), 9);
  // A grid too small for whole cells still names a cell.
  EXPECT_EQ(grid.CellAt(3, 1, 0, 0), 11);
  EXPECT_EQ(grid.CellAt(100, 100, 0, 0), 15);
}

// A left press chooses the foreground, a right press the background; the
// choice follows the pointer until that button is released, and another
// button meanwhile changes nothing.
TEST(ColorGridTest, APressedButtonCarriesItsChoiceUntilItIsReleased) {
  TColorGrid grid;
  grid.ForegroundIndex = 15;
  grid.Press(GridButton::kLeft, 3);
  EXPECT_TRUE(grid.Held());
  EXPECT_EQ(grid.CellMark(3), "FG");
  EXPECT_EQ(grid.CellMark(15), "");
  grid.Drag(4);
  grid.Press(GridButton::kRight, 9);  // ignored
  grid.Drag(0);
  EXPECT_EQ(grid.ForegroundIndex, 0);
  EXPECT_EQ(grid.BackgroundIndex, 0);
  EXPECT_EQ(grid.CellMark(0), "FB");
  EXPECT_EQ(grid.CellMark(4), "");
  grid.Release(GridButton::kRight);  // not the held one
  grid.Drag(6);
  EXPECT_EQ(grid.ForegroundIndex, 6);
  grid.Release(GridButton::kLeft);
  EXPECT_FALSE(grid.Held());
  grid.Drag(2);  // the pointer carries nothing now
  EXPECT_EQ(grid.ForegroundIndex, 6);

  // Moving one mark away from a shared cell leaves the other behind.
  grid.Press(GridButton::kRight, 12);
  grid.Drag(6);
  EXPECT_EQ(grid.CellMark(6), "FB");
  grid.Drag(grid.CellAt(500, 5, 176, 40));
  grid.Release(GridButton::kRight);
  EXPECT_EQ(grid.BackgroundIndex, 7);
  EXPECT_EQ(grid.CellMark(6), "FG");
  EXPECT_EQ(grid.CellMark(7), "BG");

  // A release the grid never saw (a box took the mouse) is forgotten by the
  // face; the next press chooses again.
  grid.Press(GridButton::kLeft, 3);
  grid.ForgetPress();
  grid.Press(GridButton::kRight, 5);
  EXPECT_EQ(grid.ForegroundIndex, 3);
  EXPECT_EQ(grid.BackgroundIndex, 5);
}

// The arrows move the focus mark and stop at the edges; F or Space choose the
// foreground, B the background.
TEST(ColorGridTest, KeysMoveTheFocusMarkAndChooseTheCells) {
  TColorGrid grid;
  grid.ForegroundIndex = 15;
  grid.FocusIn();
  EXPECT_EQ(grid.FocusIndex(), 15);  // starts at the foreground cell
  for (GridKey key : {GridKey::kRight, GridKey::kDown, GridKey::kUp, GridKey::kRight,
                      GridKey::kLeft, GridKey::kLeft, GridKey::kUp}) {
    grid.KeyPress(key);
  }
  EXPECT_EQ(grid.FocusIndex(), 5);
  grid.KeyPress(GridKey::kBackground);
  EXPECT_EQ(grid.BackgroundIndex, 5);
  EXPECT_EQ(grid.ForegroundIndex, 15);
  grid.KeyPress(GridKey::kDown);
  grid.KeyPress(GridKey::kDown);
  grid.KeyPress(GridKey::kForeground);
  EXPECT_EQ(grid.ForegroundIndex, 13);
  for (int i = 0; i < 9; ++i) grid.KeyPress(GridKey::kLeft);
  EXPECT_EQ(grid.FocusIndex(), 8);  // no wrap into the row above
  grid.KeyPress(GridKey::kRight);
  grid.KeyPress(GridKey::kUp);
  grid.KeyPress(GridKey::kForeground);
  EXPECT_EQ(grid.ForegroundIndex, 1);
  // Focus again later: the mark stays where it was.
  grid.FocusIn();
  EXPECT_EQ(grid.FocusIndex(), 1);

  // A foreground without a cell: the mark starts at the first cell.
  TColorGrid edited;
  edited.ForegroundIndex = 20;
  edited.KeyPress(GridKey::kLeft);
  EXPECT_EQ(edited.FocusIndex(), 0);
}

TEST(ColorGridTest, LettersContrastByEachComponentAndCellsHaveNames) {
  const auto contrast = [](PaletteColor c) { return TColorGrid::ContrastingTextColor(c); };
  EXPECT_EQ(contrast({0, 0, 0}), (PaletteColor{255, 255, 255}));
  EXPECT_EQ(contrast({255, 255, 255}), (PaletteColor{0, 0, 0}));
  EXPECT_EQ(contrast({127, 128, 129}), (PaletteColor{255, 0, 0}));
  EXPECT_EQ(contrast({255, 255, 0}), (PaletteColor{0, 0, 255}));
  EXPECT_EQ(TColorGrid::ColorName(0), "Black");
  EXPECT_EQ(TColorGrid::ColorName(9), "Red");
  EXPECT_EQ(TColorGrid::ColorName(15), "White");
  EXPECT_EQ(TColorGrid::ColorName(-1), "");
  EXPECT_EQ(TColorGrid::ColorName(16), "");
}

}  // namespace
