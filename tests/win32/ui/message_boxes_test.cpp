// The real boxes and the modal run under Wine: a thread timer plays the
// user inside the box's loop.
#include "win32/ui/message_boxes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "strip/form_design.h"
#include "win32/ui/application.h"

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
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The box's text: its one static control, wherever it sits in the box.
HWND TextControl(HWND box) {
  HWND found = nullptr;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM found) -> BOOL {
        char name[16] = "";
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Static") != 0) return TRUE;
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Runs the steps one after the other, each inside the next message loop
// once everything the one before it posted has been handled.
void StepInsideTheLoop(std::vector<std::function<void()>> steps, std::size_t next = 0) {
  if (next == steps.size()) return;
  ActInsideTheLoop([steps = std::move(steps), next]() mutable {
    steps[next]();
    StepInsideTheLoop(std::move(steps), next + 1);
  });
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
  Application app(GetModuleHandleA(nullptr));
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

TEST(MessageBoxesTest, TheForecastBoxWrapsAtHalfTheScreenAndEnterOrEscCloseIt) {
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
      shown = Text(TextControl(seen));
      EXPECT_EQ(Text(FindWindowExA(seen, nullptr, "BUTTON", nullptr)), kOkCaption);
      PostMessageA(GetFocus(), WM_KEYDOWN, key, 0);
    });
    Boxes().ShowForecast(nullptr, "Marrowby Weather", forecast);
    EXPECT_EQ(shown, forecast);
    EXPECT_FALSE(IsWindow(seen));
  }
}

// A forecast taller than the box may be: the box stays on the screen and the
// text moves through it, the keys on "OK" moving it, to its last line.
TEST(MessageBoxesTest, ALongForecastScrollsByTheKeysToItsLastLineAndEnterOrEscCloseIt) {
  std::string forecast;
  for (int period = 1; forecast.size() < 20000; ++period) {
    forecast += "Period " + std::to_string(period) + ", cloudy with a chance of rain. ";
  }
  forecast += "The last line.";
  for (const int close_key : {VK_RETURN, VK_ESCAPE}) {
    HWND box = nullptr;
    HWND text = nullptr;
    int line = 0;
    int page = 0;
    // Where the text's top stands below the top of the part that shows it,
    // after each key.
    std::vector<int> tops;
    const auto text_top = [&] {
      RECT text_frame, shown;
      GetWindowRect(text, &text_frame);
      GetClientRect(GetParent(text), &shown);
      MapWindowPoints(GetParent(text), nullptr, reinterpret_cast<POINT*>(&shown), 2);
      tops.push_back(text_frame.top - shown.top);
      return std::pair{text_frame, shown};
    };
    const auto press = [](WPARAM key) { PostMessageA(GetFocus(), WM_KEYDOWN, key, 0); };
    StepInsideTheLoop({
        [&] {
          box = GetActiveWindow();
          text = TextControl(box);
          ASSERT_NE(text, nullptr);
          EXPECT_EQ(Text(text), forecast);
          RECT frame;
          GetWindowRect(box, &frame);
          EXPECT_GE(frame.top, WorkArea().top);
          EXPECT_LE(frame.bottom, WorkArea().bottom);
          // The whole text is there, not cut, wrapped as the control wraps it.
          const HDC dc = GetDC(text);
          const HGDIOBJ old_font =
              SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)));
          TEXTMETRICA metrics{};
          GetTextMetricsA(dc, &metrics);
          line = metrics.tmHeight;
          RECT whole;
          GetClientRect(text, &whole);
          whole.bottom = 0;
          DrawTextA(dc, forecast.data(), static_cast<int>(forecast.size()), &whole,
                    DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_EXPANDTABS);
          SelectObject(dc, old_font);
          ReleaseDC(text, dc);
          const auto [text_frame, shown] = text_top();
          EXPECT_GE(text_frame.bottom - text_frame.top, whole.bottom);
          page = shown.bottom - shown.top;
          EXPECT_GT(text_frame.bottom, shown.bottom) << "the whole text shows at once";
          press(VK_END);
        },
        [&] {
          const auto [text_frame, shown] = text_top();
          EXPECT_EQ(text_frame.bottom, shown.bottom) << "the last line does not show";
          press(VK_HOME);
        },
        [&] {
          text_top();
          press(VK_NEXT);
        },
        [&] {
          text_top();
          press(VK_DOWN);
        },
        [&] {
          text_top();
          press(VK_UP);
        },
        [&] {
          text_top();
          press(VK_PRIOR);
        },
        [&] {
          text_top();
          PostMessageA(GetFocus(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
        },
        [&] {
          text_top();
          press(close_key);
        },
    });
    Boxes().ShowForecast(nullptr, "Marrowby Weather", forecast);
    EXPECT_FALSE(IsWindow(box));
    ASSERT_EQ(tops.size(), 8u);
    EXPECT_EQ(tops[0], 0);
    EXPECT_LT(tops[1], -page);  // End
    EXPECT_EQ(tops[2], 0);      // Home
    EXPECT_EQ(tops[3], -page);  // Page Down
    EXPECT_EQ(tops[4], -page - line);
    EXPECT_EQ(tops[5], -page);
    EXPECT_EQ(tops[6], 0);  // Page Up
    EXPECT_LT(tops[7], 0);  // the wheel turned towards the user
  }
}

TEST(MessageBoxesTest, ErrorAndInformationBoxesAreTheSystemsCentredOnTheScreen) {
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
