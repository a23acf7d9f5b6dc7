// The options dialog as a real window, driven by messages while a recording
// MessageBoxes "runs" it (win32/ui/dialog_driver.h): the controls, the
// keyboard, the colour grid's mouse and keys, and a store error on OK. The
// options form's own logic is tested in tests/strip/options_form_test.cpp,
// what the form shows against its table by the conformance suite.
#include "win32/options/options_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "store/reg_ini_file.h"
#include "store/stored_entries.h"
#include "strip/options_form.h"
#include "strip/strip_environment.h"
#include "support/registry_sandbox.h"
#include "win32/main_window/main_window.h"
#include "win32/options/color_grid.h"
#include "win32/ui/application.h"
#include "win32/ui/dialog_driver.h"
#include "win32/ui/dialog_layout.h"

namespace {

using namespace dialog_driver;

LPARAM Point(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)),
                    static_cast<WORD>(static_cast<short>(y)));
}
POINT Centre(HWND grid, int cell) {
  const RECT r = ColorGridCellRect(grid, cell);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class OptionsDialogTest : public testing::Test {
 protected:
  static std::string Stored(const NumberEntry& entry) {
    return TRegIniFile(kProductKeyPath).ReadText(entry.section, entry.name, "<none>");
  }
  static std::string Stored(const FlagEntry& entry) {
    return TRegIniFile(kProductKeyPath).ReadText(entry.section, entry.name, "<none>");
  }
  static void StoreAllSevenChanged() {
    TRegIniFile store(kProductKeyPath);
    Write(store, kRate, 42);
    Write(store, kForeground, 4);
    Write(store, kBackground, 11);
    Write(store, kBold, false);
    Write(store, kShowTask, true);
    Write(store, kOnStart, false);
    Write(store, kAltSource, true);
  }
  // The dialog on a form filled from the store, as the Options command runs it.
  void Run(const std::function<void(HWND)>& act) {
    form.FormCreate();
    boxes.on_modal = [&](HWND dialog) {
      opened = dialog;
      act(dialog);
    };
    RunOptionsDialog(nullptr, form);
    ASSERT_EQ(boxes.runs, 1);
    EXPECT_FALSE(IsWindow(opened)) << "the dialog outlived its run";
  }

  RegistrySandbox sandbox;
  DrivingBoxes boxes;
  // OK's error boundary: none, or a strip's (TfrmMain::RunGuarded).
  std::function<bool(const std::function<void()>&)> guard;
  TfrmOptions form{ProgramEnvironment().settings, [this](const std::function<void()>& step) {
                     if (guard) return guard(step);
                     step();
                     return true;
                   }};
  HWND opened = nullptr;
};

// The control named `name` in the table.
HWND Item(HWND dialog, std::string_view name) {
  return GetDlgItem(dialog, FormControlId(kOptionsDesign, name));
}
int Id(std::string_view name) { return FormControlId(kOptionsDesign, name); }

TEST_F(OptionsDialogTest, ControlsShowTheStoredValuesAndOkWritesWhatTheyWereChangedTo) {
  StoreAllSevenChanged();
  Run([&](HWND dialog) {
    HWND scroll = Item(dialog, "tbScroll");
    EXPECT_EQ(SendMessageA(scroll, TBM_GETPOS, 0, 0), 42);
    EXPECT_EQ(SendMessageA(Item(dialog, "chkBold"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(Item(dialog, "chkShowTask"), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(Item(dialog, "chkOnStart"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(Item(dialog, "chkAltSite"), BM_GETCHECK, 0, 0), BST_CHECKED);

    // The track bar has the focus first; a line is 1, a page 2, and its
    // left end is the fastest ticker.
    ASSERT_EQ(GetFocus(), scroll);
    Press(dialog, VK_RIGHT);
    EXPECT_EQ(form.tbScroll, 43);
    Press(dialog, VK_NEXT);
    EXPECT_EQ(form.tbScroll, 45);
    Press(dialog, VK_HOME);
    EXPECT_EQ(form.tbScroll, TfrmOptions::kFastest);
    Press(dialog, VK_RIGHT);

    Click(Item(dialog, "chkBold"));
    Click(Item(dialog, "chkAltSite"));
    EXPECT_TRUE(form.chkBold);
    EXPECT_FALSE(form.chkAltSite);
    Click(Item(dialog, "btnOk"));
  });
  EXPECT_EQ(Stored(kRate), "2");
  EXPECT_EQ(Stored(kForeground), "4");
  EXPECT_EQ(Stored(kBackground), "11");
  EXPECT_EQ(Stored(kBold), "1");
  EXPECT_EQ(Stored(kShowTask), "1");
  EXPECT_EQ(Stored(kOnStart), "0");
  EXPECT_EQ(Stored(kAltSource), "0");
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(OptionsDialogTest, EnterPressesOk) {
  Run([&](HWND dialog) {
    Click(Item(dialog, "chkOnStart"));
    SetFocus(Item(dialog, "chkOnStart"));
    Press(dialog, VK_RETURN);
  });
  // An empty store: every entry written, onstart now clear.
  EXPECT_EQ(Stored(kRate), "150");
  EXPECT_EQ(Stored(kOnStart), "0");
}

TEST_F(OptionsDialogTest, EnterOnCancelPressesCancel) {
  Run([&](HWND dialog) {
    SetFocus(Item(dialog, "btnCancel"));
    Press(dialog, VK_RETURN);
  });
  EXPECT_EQ(Stored(kRate), "<none>");
}

enum class Leave { kCancelButton, kEscape, kCloseBox };

class OptionsDialogLeaveTest : public OptionsDialogTest,
                               public testing::WithParamInterface<Leave> {};

TEST_P(OptionsDialogLeaveTest, WritesNothing) {
  StoreAllSevenChanged();
  Run([&](HWND dialog) {
    Press(dialog, VK_RIGHT);
    HWND grid = Item(dialog, "cGrid");
    const POINT cell = Centre(grid, 1);
    SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, Point(cell.x, cell.y));
    SendMessageA(grid, WM_LBUTTONUP, 0, Point(cell.x, cell.y));
    for (const char* name : {"chkBold", "chkShowTask", "chkOnStart", "chkAltSite"}) {
      Click(Item(dialog, name));
    }
    switch (GetParam()) {
      case Leave::kCancelButton:
        Click(Item(dialog, "btnCancel"));
        break;
      case Leave::kEscape:
        Press(dialog, VK_ESCAPE);
        break;
      case Leave::kCloseBox:
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
  });
  EXPECT_EQ(Stored(kRate), "42");
  EXPECT_EQ(Stored(kForeground), "4");
  EXPECT_EQ(Stored(kBackground), "11");
  EXPECT_EQ(Stored(kBold), "0");
  EXPECT_EQ(Stored(kShowTask), "1");
  EXPECT_EQ(Stored(kOnStart), "0");
  EXPECT_EQ(Stored(kAltSource), "1");
  EXPECT_TRUE(boxes.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, OptionsDialogLeaveTest,
                         testing::Values(Leave::kCancelButton, Leave::kEscape, Leave::kCloseBox),
                         [](const testing::TestParamInfo<Leave>& info) {
                           switch (info.param) {
                             case Leave::kCancelButton:
                               return "CancelButton";
                             case Leave::kEscape:
                               return "Escape";
                             case Leave::kCloseBox:
                               return "CloseBox";
                           }
                           return "Unknown";
                         });

TEST_F(OptionsDialogTest, TabWalksTheControlsInOrderAndAccessKeysOperateCheckBoxes) {
  Run([&](HWND dialog) {
    // The table's tab stops in their order, and round to the first again.
    std::vector<int> order;
    for (const FormControl& control : kOptionsDesign.controls) {
      if (control.Has(kTabStop)) order.push_back(Id(control.name));
    }
    order.push_back(order.front());
    for (int id : order) {
      EXPECT_EQ(GetDlgCtrlID(GetFocus()), id);
      Press(dialog, VK_TAB);
    }
    // Arrows move within the three lower check boxes, and around.
    SetFocus(Item(dialog, "chkAltSite"));
    Press(dialog, VK_DOWN);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), Id("chkShowTask"));

    SetFocus(Item(dialog, "tbScroll"));
    AltKey(dialog, 'b');
    AltKey(dialog, 'u');
    AltKey(dialog, 'a');
    AltKey(dialog, 's');
    // Each toggled from the empty store's defaults.
    EXPECT_FALSE(form.chkBold);
    EXPECT_TRUE(form.chkShowTask);
    EXPECT_FALSE(form.chkOnStart);
    EXPECT_TRUE(form.chkAltSite);
    Click(Item(dialog, "btnCancel"));
  });
}

TEST_F(OptionsDialogTest, GridMouseChoosesCellsAndClampsBeyondItsEdges) {
  Run([&](HWND dialog) {
    HWND grid = Item(dialog, "cGrid");
    RECT client;
    GetClientRect(grid, &client);
    // Left click on the background cell: both marks on it.
    POINT cell = Centre(grid, 0);
    SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, Point(cell.x, cell.y));
    SendMessageA(grid, WM_LBUTTONUP, 0, Point(cell.x, cell.y));
    EXPECT_EQ(form.cGrid.CellMark(0), "FB");
    EXPECT_NE(GetCapture(), grid);

    // A right drag carries the background beyond the right edge to the
    // row's last cell, and beyond the bottom-left corner to cell 8; the grid
    // holds the mouse meanwhile.
    cell = Centre(grid, 3);
    SendMessageA(grid, WM_RBUTTONDOWN, MK_RBUTTON, Point(cell.x, cell.y));
    EXPECT_EQ(GetCapture(), grid);
    EXPECT_EQ(form.cGrid.BackgroundIndex, 3);
    SendMessageA(grid, WM_MOUSEMOVE, MK_RBUTTON, Point(client.right + 40, cell.y));
    EXPECT_EQ(form.cGrid.BackgroundIndex, 7);
    SendMessageA(grid, WM_MOUSEMOVE, MK_RBUTTON, Point(-30, client.bottom + 30));
    EXPECT_EQ(form.cGrid.BackgroundIndex, 8);
    // A left press meanwhile does not take over.
    SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, Point(cell.x, cell.y));
    EXPECT_EQ(form.cGrid.ForegroundIndex, 0);
    SendMessageA(grid, WM_RBUTTONUP, 0, Point(-30, client.bottom + 30));
    EXPECT_NE(GetCapture(), grid);
    SendMessageA(grid, WM_MOUSEMOVE, 0, Point(cell.x, cell.y));
    EXPECT_EQ(form.cGrid.BackgroundIndex, 8);
    EXPECT_EQ(form.cGrid.CellMark(8), "BG");
    EXPECT_EQ(form.cGrid.CellMark(0), "FG");

    // Another window taking the mouse ends a drag whose release never comes.
    SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, Point(cell.x, cell.y));
    SetCapture(dialog);
    ReleaseCapture();
    SendMessageA(grid, WM_MOUSEMOVE, MK_LBUTTON, Point(0, 0));
    EXPECT_EQ(form.cGrid.ForegroundIndex, 3);
    Press(dialog, VK_RETURN);
  });
  EXPECT_EQ(Stored(kForeground), "3");
  EXPECT_EQ(Stored(kBackground), "8");
}

TEST_F(OptionsDialogTest, GridRepaintsOnlyTheCellsWhoseMarksChange) {
  Run([&](HWND dialog) {
    HWND grid = Item(dialog, "cGrid");
    UpdateWindow(grid);
    const POINT cell = Centre(grid, 5);
    SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, Point(cell.x, cell.y));
    SendMessageA(grid, WM_LBUTTONUP, 0, Point(cell.x, cell.y));
    HRGN expected = CreateRectRgn(0, 0, 0, 0);
    for (int index : {5, 15}) {  // where the foreground mark went and came from
      const RECT r = ColorGridCellRect(grid, index);
      HRGN one = CreateRectRgnIndirect(&r);
      CombineRgn(expected, expected, one, RGN_OR);
      DeleteObject(one);
    }
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetUpdateRgn(grid, update, FALSE), NULLREGION);
    EXPECT_TRUE(EqualRgn(update, expected));
    DeleteObject(update);
    DeleteObject(expected);
    Click(Item(dialog, "btnCancel"));
  });
}

TEST_F(OptionsDialogTest, GridKeysMoveTheFocusMarkAndChooseCells) {
  Run([&](HWND dialog) {
    Press(dialog, VK_TAB);
    Press(dialog, VK_TAB);
    ASSERT_EQ(GetDlgCtrlID(GetFocus()), Id("cGrid"));
    EXPECT_EQ(form.cGrid.FocusIndex(), 15);  // the foreground cell
    Press(dialog, VK_RIGHT);                 // at the edge: stays
    Press(dialog, VK_UP);
    Press(dialog, VK_LEFT);
    EXPECT_EQ(form.cGrid.FocusIndex(), 6);
    Type(dialog, 'b');
    EXPECT_EQ(form.cGrid.BackgroundIndex, 6);
    EXPECT_TRUE(form.chkBold) << "a letter in the grid is no access key";
    Press(dialog, VK_DOWN);
    Type(dialog, ' ');
    EXPECT_EQ(form.cGrid.ForegroundIndex, 14);
    Type(dialog, 'F');
    EXPECT_EQ(form.cGrid.ForegroundIndex, 14);
    Press(dialog, VK_RETURN);
  });
  EXPECT_EQ(Stored(kForeground), "14");
  EXPECT_EQ(Stored(kBackground), "6");
}

// A non-volatile key cannot be made below a volatile one: with the product
// key and two of its sections volatile, the writes of the third section
// ("settings") fail after the five entries before it were written.
void MakeSettingsSectionUnwritable() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kProductKeyPath);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kProductKeyPath, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  for (const char* section : {"scroll", "window"}) {
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyExA(key, section, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &sub, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(sub);
  }
  RegCloseKey(key);
}

TEST_F(OptionsDialogTest, AStoreErrorOnOkIsShownOverTheDialogAndKeepsItOpen) {
  // The strip's boundary shows the error, through its window's boxes.
  Application app(GetModuleHandleA(nullptr));
  MainWindow strip(app);
  guard = [&](const std::function<void()>& step) { return strip.frmMain.RunGuarded(step); };
  Run([&](HWND dialog) {
    MakeSettingsSectionUnwritable();
    Click(Item(dialog, "chkAltSite"));
    Click(Item(dialog, "btnOk"));
    ASSERT_TRUE(IsWindow(dialog));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].kind, "uncaught");
    EXPECT_EQ(boxes.boxes[0].owner, dialog);
    EXPECT_EQ(boxes.boxes[0].title, kApplicationTitle);
    EXPECT_EQ(boxes.boxes[0].text, "Failed to create key settings.");
    EXPECT_EQ(Stored(kShowTask), "0") << "the entries before the failing one stay written";

    // Once the store can be written again, OK again writes and closes.
    RegDeleteTreeA(HKEY_CURRENT_USER, kProductKeyPath);
    Click(Item(dialog, "btnOk"));
  });
  EXPECT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(Stored(kAltSource), "1");
}

}  // namespace
