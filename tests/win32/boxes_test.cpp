// The real boxes and the modal run under Wine: a thread timer plays the
// user inside the box's loop.
#include "win32/boxes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "strip/form_design.h"
#include "win32/application.h"

namespace {

// Runs `act` once from inside the next message loop.
std::function<void()> pending;
void CALLBACK Act(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (auto act = std::move(pending)) act();
}
void ActInsideTheLoop(std::function<void()> act) {
  pending = std::move(act);
  SetTimer(nullptr, 0, 10, Act);
}

RECT WorkArea() {
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void ExpectCentred(HWND window) {
  RECT frame;
  GetWindowRect(window, &frame);
  const RECT work = WorkArea();
  EXPECT_NEAR(frame.left + frame.right, work.left + work.right, 2);
  EXPECT_NEAR(frame.top + frame.bottom, work.top + work.bottom, 2);
}

HWND MakePopup(HWND owner) {
  return CreateWindowExA(0, "STATIC", "dialog", WS_POPUP | WS_CAPTION, 0, 0, 200, 100, owner,
                         nullptr, nullptr, nullptr);
}

std::string Text(HWND window) {
  char text[2048] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

}  // namespace

TEST(ModalRunTest, EndModalEndsTheRunWithItsResultAndGivesTheOwnerBack) {
  const HWND owner = MakePopup(nullptr);
  const HWND dialog = MakePopup(owner);
  bool owner_enabled_inside = true;
  ActInsideTheLoop([&] {
    owner_enabled_inside = IsWindowEnabled(owner);
    ExpectCentred(dialog);
    EndModal(dialog, 7);
  });
  EXPECT_EQ(Boxes().RunModal(owner, dialog), 7);
  EXPECT_FALSE(owner_enabled_inside);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindow(dialog));
  DestroyWindow(owner);
}

TEST(ModalRunTest, EndingTheLoopsEndsEveryLoop) {
  TWin32Application app(GetModuleHandleA(nullptr));
  const HWND outer = MakePopup(nullptr);
  const HWND inner = MakePopup(outer);
  ActInsideTheLoop([&] {
    ActInsideTheLoop([&] { app.EndMessageLoops(); });
    EXPECT_EQ(Boxes().RunModal(outer, inner), 0);
  });
  EXPECT_EQ(Boxes().RunModal(nullptr, outer), 0);
  EXPECT_FALSE(IsWindow(inner));
  EXPECT_FALSE(IsWindow(outer));
  // The main loop, started afterwards, returns at once (else the test would
  // wait here for its time limit).
  app.RunMessageLoop();
  EXPECT_TRUE(app.LoopsEnded());
}

TEST(BoxesTest, TheForecastBoxWrapsAtHalfTheScreenAndEnterOrEscCloseIt) {
  const std::string forecast =
      "Cloudy with a chance of snow showers in the morning, then mostly sunny. Highs in the "
      "lower 30s. Northwest winds 15 to 20 mph. Chance of snow 40 percent. Tonight, clear and "
      "cold, lows around 10, light winds. & no access keys.";
  for (const int key : {VK_RETURN, VK_ESCAPE}) {
    HWND seen = nullptr;
    std::string shown;
    ActInsideTheLoop([&] {
      seen = GetActiveWindow();
      ExpectCentred(seen);
      RECT frame;
      GetWindowRect(seen, &frame);
      EXPECT_LE(frame.right - frame.left, (WorkArea().right - WorkArea().left) / 2 + 64);
      EXPECT_EQ(Text(seen), "Marrowby Weather");
      shown = Text(FindWindowExA(seen, nullptr, "STATIC", nullptr));
      EXPECT_EQ(Text(FindWindowExA(seen, nullptr, "BUTTON", nullptr)), kOkCaption);
      PostMessageA(GetFocus(), WM_KEYDOWN, key, 0);
    });
    Boxes().ShowForecast(nullptr, "Marrowby Weather", forecast);
    EXPECT_EQ(shown, forecast);
    EXPECT_FALSE(IsWindow(seen));
  }
}

TEST(BoxesTest, ErrorAndInformationBoxesAreTheSystemsCentredOnTheScreen) {
  const HWND owner = MakePopup(nullptr);
  SetWindowPos(owner, nullptr, 0, 0, 200, 100, SWP_NOZORDER | SWP_SHOWWINDOW);
  std::string titles;
  const auto close_the_box = [&] {
    const HWND box = GetActiveWindow();
    ExpectCentred(box);
    titles += Text(box) + ";";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  };
  ActInsideTheLoop(close_the_box);
  Boxes().ShowError(owner, "Connection to Internet failed or lost.");
  ActInsideTheLoop(close_the_box);
  Boxes().ShowInformation(owner, "Attempt to open the URL failed. Check your connection settings");
  ActInsideTheLoop(close_the_box);
  Boxes().ShowUncaughtError(owner, "Marrowby Weather", "Failed to create key window.");
  EXPECT_EQ(titles, std::string(kErrorBoxTitle) + ";" + std::string(kInformationBoxTitle) +
                        ";Marrowby Weather;");
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}
