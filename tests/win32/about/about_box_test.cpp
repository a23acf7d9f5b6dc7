// The about box as a real window, driven by messages while a recording
// MessageBoxes "runs" it (win32/ui/dialog_driver.h): how it ends and how the
// keys pass its contact lines. What it shows against its table is the
// conformance suite's.
#include "win32/about/about_box.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "strip/form_design.h"
#include "win32/ui/dialog_driver.h"
#include "win32/ui/dialog_layout.h"

namespace {

using namespace dialog_driver;

class AboutBoxTest : public testing::Test {
 protected:
  // Runs the box, acting on it; true when it ended while the test acted.
  bool EndedBy(const std::function<void(HWND)>& act) {
    HWND opened = nullptr;
    bool ended = false;
    boxes.on_modal = [&](HWND box) {
      opened = box;
      act(box);
      ended = !IsWindow(box);
    };
    RunAboutBox(nullptr);
    EXPECT_EQ(boxes.runs, 1);
    EXPECT_FALSE(IsWindow(opened));
    return ended;
  }
  DrivingBoxes boxes;
};

TEST_F(AboutBoxTest, OkEndsIt) {
  EXPECT_TRUE(EndedBy([](HWND box) { Click(GetDlgItem(box, IDOK)); }));
}

TEST_F(AboutBoxTest, EnterEndsItAlsoFromAContactLine) {
  EXPECT_TRUE(EndedBy([](HWND box) { Press(box, VK_RETURN); }));
  boxes.runs = 0;
  EXPECT_TRUE(EndedBy([](HWND box) {
    // A click in the contact line to select it moves the focus there.
    SetFocus(GetDlgItem(box, FormControlId(kAboutDesign, "Edit1")));
    Press(box, VK_RETURN);
  }));
}

TEST_F(AboutBoxTest, EscapeDoesNothingAndTabPassesTheContactLinesBy) {
  EXPECT_FALSE(EndedBy([](HWND box) {
    Press(box, VK_ESCAPE);
    Press(box, VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDOK);
  }));
}

}  // namespace
