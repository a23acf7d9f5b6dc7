// The Win32 face's wiring, window and drawing: what the strip's handlers do
// is tested with a recording face in tests/strip, and what every face shows
// of the platform operations by the conformance suite (face_probe.cpp);
// here the real window under Wine on a virtual X display shows its own
// frame, its events, its painting and its close routes. The registry's product key is emptied for
// each case, boxes are recorded instead of shown, and the end of the process is observed.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <oleacc.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sample-server/sample_documents.h"
#include "store/reg_ini_file.h"
#include "strip/main_form.h"
#include "support/registry_sandbox.h"
#include "support/weather_servers.h"
#include "win32/main_window/main_window.h"
#include "win32/ui/application.h"
#include "win32/ui/message_boxes.h"

namespace {

class ObservedApplication : public Application {
 public:
  using Application::Application;
  void EndProcess(int exit_status) override { ended_with = exit_status; }
  std::optional<int> ended_with;
};

// Boxes as "forecast: <title> | <text>", "uncaught: <title> | <message>",
// "error: ...", "information: ...", "modal" (which ends the dialog after
// on_modal).
class RecordingBoxes : public MessageBoxes {
 public:
  RecordingBoxes() { InstallMessageBoxes(this); }
  ~RecordingBoxes() override { InstallMessageBoxes(nullptr); }
  void ShowError(HWND, std::string_view text) override { Add("error: ", text); }
  void ShowInformation(HWND, std::string_view text) override { Add("information: ", text); }
  void ShowForecast(HWND, std::string_view title, std::string_view text) override {
    Add("forecast: " + std::string(title) + " | ", text);
  }
  void ShowUncaughtError(HWND, std::string_view title, std::string_view message) override {
    Add("uncaught: " + std::string(title) + " | ", message);
  }
  int RunModal(HWND owner, HWND dialog) override {
    boxes.push_back("modal");
    owners.push_back(owner);
    if (on_modal) on_modal(dialog);
    if (IsWindow(dialog)) EndModal(dialog, IDCANCEL);
    return 0;
  }
  std::vector<std::string> boxes;
  std::vector<HWND> owners;
  std::function<void(HWND dialog)> on_modal;

 private:
  void Add(const std::string& kind, std::string_view text) {
    boxes.push_back(kind + std::string(text));
  }
};

void Store(const char* section, const char* entry, const std::string& value) {
  TRegIniFile store(kProductKeyPath);
  store.WriteText(section, entry, value);
  store.UpdateFile();
}

std::string Stored(const char* section, const char* entry) {
  return TRegIniFile(kProductKeyPath).ReadText(section, entry, "<none>");
}

std::string Text(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The product key again, volatile: no section can be made below it, so
// every write of the store fails with "Failed to create key <section>".
void MakeStoreUnwritable() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kProductKeyPath);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kProductKeyPath, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
  }
  void TearDown() override {
    strip_.reset();
    app_.reset();
    CoUninitialize();
  }
  // Builds the strip and starts it as the program entry does; without
  // `update_at_start` the store says not to update at start-up.
  void Create(bool update_at_start = false) {
    if (!update_at_start) Store("settings", "onstart", "0");
    app_ = std::make_unique<ObservedApplication>(GetModuleHandleA(nullptr));
    strip_ = std::make_unique<MainWindow>(*app_);
    strip_->frmMain.Start();
  }
  bool Ending() const { return strip_->frmMain.TerminateRequested(); }
  const std::string& Caption() const { return strip_->frmMain.Caption(); }

  RegistrySandbox sandbox_;
  RecordingBoxes boxes_;
  std::unique_ptr<ObservedApplication> app_;
  std::unique_ptr<MainWindow> strip_;
};

// Serves the thread's messages until `done`, for 10 s at most.
bool ServeUntil(const std::function<bool()>& done) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  return true;
}

RECT WindowRect(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect;
}

std::string ToolText(HWND tooltip, HWND owner, HWND tool) {
  char text[1024] = "";
  TTTOOLINFOA info{};
  info.cbSize = sizeof(info);
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = text;
  SendMessageA(tooltip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
  return text;
}

std::string Narrow(BSTR text) {
  std::string narrow;
  for (const wchar_t* c = text; c && *c; ++c) narrow += static_cast<char>(*c);
  return narrow;
}

}  // namespace

TEST_F(MainWindowTest, AToolWindowWithOnlyACloseBoxBesideTheTaskbarButtonOfTheApplication) {
  Store("weather", "last forecast", "ABC");
  Store("window", "showtask", "1");
  Create();
  const HWND strip = strip_->Handle();
  const LONG_PTR style = GetWindowLongPtrA(strip, GWL_STYLE);
  const LONG_PTR ex_style = GetWindowLongPtrA(strip, GWL_EXSTYLE);
  EXPECT_TRUE(ex_style & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(ex_style & WS_EX_APPWINDOW);
  EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) &&
              (style & WS_THICKFRAME));
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_HSCROLL | WS_VSCROLL));
  EXPECT_TRUE(IsWindowVisible(strip));
  // Owned, so that the taskbar lists only the application window.
  EXPECT_EQ(GetWindow(strip, GW_OWNER), app_->Handle());

  const HWND app = app_->Handle();
  EXPECT_TRUE(IsWindowVisible(app));
  EXPECT_FALSE(GetWindowLongPtrA(app, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetWindow(app, GW_OWNER), nullptr);
  EXPECT_EQ(Text(app), kApplicationTitle);
  // The button mirrors the ticker at its steps.
  SendMessageA(strip, WM_TIMER, 1, 0);
  EXPECT_EQ(Text(app), "BC");

  // Minimized through the button, the strip goes away; restored, it is back.
  SendMessageA(app, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsWindowVisible(strip));
  EXPECT_TRUE(IsIconic(app));
  SendMessageA(app, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_TRUE(IsWindowVisible(strip));
  EXPECT_FALSE(IsIconic(app));
  // Closing the button closes the strip by its close path.
  SendMessageA(app, WM_CLOSE, 0, 0);
  EXPECT_TRUE(ServeUntil([&] { return Ending(); }));
  EXPECT_EQ(Stored("weather", "last forecast"), "ABC");
}

TEST_F(MainWindowTest, AStripDraggedTallerReturnsToItsHeightAndTheTickerFollowsTheWidth) {
  Store("window", "width", "400");
  Create();
  const HWND strip = strip_->Handle();
  const RECT frame = WindowRect(strip);
  SetWindowPos(strip, nullptr, 0, 0, 500, frame.bottom - frame.top + 60, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(WindowRect(strip).bottom - WindowRect(strip).top, frame.bottom - frame.top);
  EXPECT_EQ(WindowRect(strip).right - WindowRect(strip).left, 500);
  // The ticker reaches the new right edge.
  RECT client;
  GetClientRect(strip, &client);
  POINT right{client.right, 0};
  ClientToScreen(strip, &right);
  EXPECT_EQ(WindowRect(strip_->PanelHandle(StripPanel::pnlScroll)).right, right.x);
}

TEST_F(MainWindowTest, AnUpdateFromTheSampleServerReachesTitleTickerHintAndScreenReaders) {
  // The sample server's documents of a snowy morning, on loopback servers.
  const mw_sample::SampleDocuments docs = mw_sample::MakeSampleDocuments(
      mw_sample::Scenario::kSnow, mw_sample::SampleClock{1733650000, 0, "UTC"});
  WeatherServers servers;
  servers.ServeSample(docs);
  Create(true);
  const TfrmMain& form = strip_->frmMain;
  EXPECT_TRUE(boxes_.boxes.empty()) << boxes_.boxes.front();
  EXPECT_EQ(Text(strip_->Handle()), docs.primary_entry);
  EXPECT_EQ(strip_->StationItemCaption(StationItem::pMRB), docs.primary_entry);
  EXPECT_EQ(strip_->StationItemCaption(StationItem::pWDM), docs.secondary_entry);
  EXPECT_EQ(Caption(), docs.forecast_line);
  EXPECT_EQ(strip_->CurrentPicture(), ConditionPicture::kSnow);

  // The hint over the strip, the picture's own over the picture.
  EXPECT_EQ(form.LastUpdateText.rfind("Last Updated ", 0), 0u) << form.LastUpdateText;
  const HWND tips = strip_->ToolTipHandle();
  for (StripPanel panel : {StripPanel::pnlMain, StripPanel::pnlImage, StripPanel::pnlScroll}) {
    EXPECT_EQ(ToolText(tips, strip_->Handle(), strip_->PanelHandle(panel)), form.LastUpdateText);
  }
  EXPECT_EQ(ToolText(tips, strip_->Handle(), strip_->PictureHandle()), kPictureHint);

  // Screen readers read the whole forecast, whatever the ticker shows.
  SendMessageA(strip_->Handle(), WM_TIMER, 1, 0);
  IAccessible* ticker = nullptr;
  ASSERT_EQ(AccessibleObjectFromWindow(strip_->PanelHandle(StripPanel::pnlScroll), OBJID_CLIENT,
                                       IID_IAccessible, reinterpret_cast<void**>(&ticker)),
            S_OK);
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr, value = nullptr;
  EXPECT_EQ(ticker->get_accName(self, &name), S_OK);
  EXPECT_EQ(ticker->get_accValue(self, &value), S_OK);
  EXPECT_EQ(Narrow(name), kTickerName);
  EXPECT_EQ(Narrow(value), form.ForecastText);
  SysFreeString(name);
  SysFreeString(value);
  ticker->Release();
}

TEST_F(MainWindowTest, TheMenuCommandsReachTheirHandlersAndTheBoxes) {
  Store("weather", "last forecast", "Rain & snow by noon.");
  Create();
  const HWND strip = strip_->Handle();
  SendMessageA(strip, WM_COMMAND, MenuCommandId(MenuCommand::kForecast), 0);
  // Options: what the dialog stored applies once it closed; an error then
  // reaches the standard error box, titled with the application title.
  boxes_.on_modal = [](HWND) { Store("window", "foreground", "9"); };
  SendMessageA(strip, WM_COMMAND, MenuCommandId(MenuCommand::kOptions), 0);
  EXPECT_EQ(strip_->TickerFontColor(), RGB(255, 0, 0));
  boxes_.on_modal = [](HWND) {
    const DWORD rate = 150;  // a number the store reads only as text
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Tidewell\\Aerolume\\scroll", "rate", REG_DWORD,
                    &rate, sizeof rate);
  };
  SendMessageA(strip, WM_COMMAND, MenuCommandId(MenuCommand::kOptions), 0);
  boxes_.on_modal = nullptr;
  SendMessageA(strip, WM_COMMAND, MenuCommandId(MenuCommand::kAbout), 0);
  EXPECT_EQ(boxes_.boxes,
            (std::vector<std::string>{
                "forecast: Marrowby Weather | Rain & snow by noon.", "modal", "modal",
                "uncaught: Marrowby Weather | Invalid data type for 'rate'.", "modal"}));
  for (HWND owner : boxes_.owners) EXPECT_EQ(owner, strip);

  SendMessageA(strip, WM_COMMAND, MenuCommandId(MenuCommand::kExit), 0);
  EXPECT_TRUE(Ending());
  EXPECT_FALSE(IsWindowVisible(strip));
  EXPECT_EQ(Stored("weather", "last forecast"), "Rain & snow by noon.");
}

// Where each popup menu opened; the menu is closed at once.
std::vector<POINT> menus_opened;
void CALLBACK CloseTheMenu(HWND, UINT, UINT_PTR, DWORD) {
  const HWND menu = FindWindowA("#32768", nullptr);
  if (!menu || !IsWindowVisible(menu)) return;
  RECT place;
  GetWindowRect(menu, &place);
  menus_opened.push_back({place.left, place.top});
  EndMenu();
}

TEST_F(MainWindowTest, ARightClickAndTheMenuKeysOpenThePopupMenu) {
  Create();
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseTheMenu);
  const HWND ticker = strip_->PanelHandle(StripPanel::pnlScroll);
  RECT below;
  GetWindowRect(ticker, &below);
  // A right click on the ticker reaches the strip through its parents.
  SendMessageA(ticker, WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
  SendMessageA(strip_->Handle(), WM_KEYDOWN, VK_APPS, 0);
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  SendMessageA(strip_->Handle(), WM_SYSKEYDOWN, VK_F10, 0);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  KillTimer(nullptr, timer);
  ASSERT_EQ(menus_opened.size(), 3u);
  EXPECT_EQ(menus_opened[0].x, below.left + 5);
  // From the keyboard: below the ticker.
  for (int i : {1, 2}) {
    EXPECT_EQ(menus_opened[i].x, below.left);
    EXPECT_EQ(menus_opened[i].y, below.bottom);
  }
}

TEST_F(MainWindowTest, TheCloseBoxAndTheSessionsEndStoreWhatTheStripShows) {
  Store("weather", "last forecast", "Fog lifting.");
  Create();
  const HWND strip = strip_->Handle();
  SetWindowPos(strip, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(strip, WM_CLOSE, 0, 0);
  EXPECT_EQ(Stored("window", "left"), "200");
  EXPECT_EQ(Stored("window", "top"), "150");
  EXPECT_EQ(Stored("window", "width"), std::to_string(strip_->Frame().width));
  EXPECT_EQ(Stored("weather", "last forecast"), "Fog lifting.");
  EXPECT_EQ(Stored("weather", "last update"), "Last Update Unknown");
  EXPECT_FALSE(IsWindowVisible(strip));
  EXPECT_TRUE(Ending());
  // The loop that starts after the close ends at once.
  app_->RunMessageLoop();
  EXPECT_EQ(strip_->frmMain.ExitStatus(), 0);
  // A close asked for again changes nothing.
  Store("window", "left", "1");
  SendMessageA(strip, WM_CLOSE, 0, 0);
  EXPECT_EQ(Stored("window", "left"), "1");

  // The session's end: no box, and the process ends with the close's status.
  EXPECT_EQ(SendMessageA(strip, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  SendMessageA(strip, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(app_->ended_with, 0);
  EXPECT_EQ(Stored("window", "left"), "1");
  EXPECT_TRUE(boxes_.boxes.empty());
}

// The question stores what the strip shows and ends nothing, for another
// program may still cancel the log-off; cancelled, the strip goes on with
// its texts and timers; the session's end then ends it at once.
TEST_F(MainWindowTest, ALogOffStoresAtTheQuestionGoesOnWhenCancelledAndEndsWithTheSession) {
  Store("weather", "last forecast", "Fog lifting by noon.");
  Store("weather", "last marrowby", "MARROWBY  FOG 48");
  Store("scroll", "rate", "10");
  Create();
  const HWND strip = strip_->Handle();
  SetWindowPos(strip, nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  EXPECT_EQ(SendMessageA(strip, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  EXPECT_EQ(Stored("window", "left"), "200");
  Store("weather", "last forecast", "<none>");
  SendMessageA(strip, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  EXPECT_FALSE(app_->ended_with.has_value());
  EXPECT_FALSE(Ending());
  EXPECT_TRUE(IsWindowVisible(strip));
  EXPECT_TRUE(IsWindowVisible(app_->Handle()));
  EXPECT_EQ(Text(strip), "MARROWBY  FOG 48");
  // The window's own timer still moves the ticker.
  EXPECT_TRUE(ServeUntil([&] { return Caption() != "Fog lifting by noon."; }));
  EXPECT_NE(std::string("Fog lifting by noon.").find(Caption()), std::string::npos);

  EXPECT_EQ(SendMessageA(strip, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  EXPECT_EQ(Stored("weather", "last forecast"), "Fog lifting by noon.");
  EXPECT_FALSE(Ending());
  SendMessageA(strip, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(app_->ended_with, 0);
  EXPECT_FALSE(IsWindowVisible(strip));
  EXPECT_EQ(Stored("weather", "last forecast"), "Fog lifting by noon.");
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(MainWindowTest, TheSessionsEndOnAStoreThatCannotBeWrittenEndsWithStatus1AndNoBox) {
  Create();
  MakeStoreUnwritable();
  testing::internal::CaptureStderr();
  EXPECT_EQ(SendMessageA(strip_->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("cannot store the settings in HKEY_CURRENT_USER"), std::string::npos) << err;
  EXPECT_TRUE(boxes_.boxes.empty());
  // Until the system decides, the strip goes on.
  EXPECT_FALSE(Ending());
  EXPECT_TRUE(IsWindowVisible(strip_->Handle()));
  SendMessageA(strip_->Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(app_->ended_with, 1);
}

TEST_F(MainWindowTest, TheCloseBoxOnAStoreThatCannotBeWrittenShowsTheErrorAndStays) {
  Create();
  MakeStoreUnwritable();
  SendMessageA(strip_->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(
      boxes_.boxes,
      (std::vector<std::string>{"uncaught: Marrowby Weather | Failed to create key window."}));
  EXPECT_TRUE(IsWindowVisible(strip_->Handle()));
  EXPECT_FALSE(Ending());
}

TEST_F(MainWindowTest, TheWindowsTimersTickIntoTheHandlers) {
  Store("weather", "last forecast", "ABCDEF");
  Store("weather", "last marrowby", "Marrowby");
  Store("weather", "last wendmoore", "WENDMOORE  SUNNY");
  Store("scroll", "rate", "10");
  Create();
  // tmrScroll, as fast as the system's timers go.
  EXPECT_TRUE(ServeUntil([&] { return Caption() != "ABCDEF"; }));
  EXPECT_NE(std::string("ABCDEF").find(Caption()), std::string::npos);
  // tmrTitleSwitch's ticks, and one of a stopped timer, which does nothing.
  SendMessageA(strip_->Handle(), WM_TIMER, 3, 0);
  EXPECT_EQ(Text(strip_->Handle()), "Marrowby - Not available");
  SendMessageA(strip_->Handle(), WM_TIMER, 3, 0);
  EXPECT_EQ(Text(strip_->Handle()), "WENDMOORE  SUNNY");
  strip_->frmMain.tmrTitleSwitch.SetEnabled(false);
  SendMessageA(strip_->Handle(), WM_TIMER, 3, 0);
  EXPECT_EQ(Text(strip_->Handle()), "WENDMOORE  SUNNY");
}

// The ticker as it paints, read back from a memory bitmap: painted afresh
// into it, or copied from what its window shows.
class TickerPicture {
 public:
  enum Source { kPainted, kShown };
  explicit TickerPicture(HWND ticker, Source source = kPainted) {
    GetClientRect(ticker, &area_);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = area_.right;
    info.bmiHeader.biHeight = -area_.bottom;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const HDC dc = CreateCompatibleDC(nullptr);
    DWORD* bits = nullptr;
    const HBITMAP bitmap =
        CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    const HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    if (source == kPainted) {
      SendMessageA(ticker, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    } else {
      const HDC window = GetDC(ticker);
      BitBlt(dc, 0, 0, area_.right, area_.bottom, window, 0, 0, SRCCOPY);
      ReleaseDC(ticker, window);
    }
    GdiFlush();
    pixels_.assign(bits, bits + area_.right * area_.bottom);
    SelectObject(dc, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  int Width() const { return area_.right; }
  int Height() const { return area_.bottom; }
  COLORREF At(int x, int y) const {
    const DWORD pixel = pixels_[y * area_.right + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  }
  // The pixels where `other` (of the same size) differs, as "(x,y)".
  std::vector<POINT> Differences(const TickerPicture& other) const {
    std::vector<POINT> differences;
    for (int y = 0; y < Height(); ++y) {
      for (int x = 0; x < Width(); ++x) {
        if (At(x, y) != other.At(x, y)) differences.push_back({x, y});
      }
    }
    return differences;
  }
  // The box around every pixel inside the border that is not `background`.
  RECT Ink(COLORREF background) const {
    RECT ink{Width(), Height(), -1, -1};
    for (int y = 2; y < Height() - 2; ++y) {
      for (int x = 2; x < Width() - 2; ++x) {
        if (At(x, y) == background) continue;
        ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
               std::max<LONG>(ink.right, x), std::max<LONG>(ink.bottom, y)};
      }
    }
    return ink;
  }

 private:
  RECT area_;
  std::vector<DWORD> pixels_;
};

TEST_F(MainWindowTest, TheTickerPaintsItsCaptionOnOneLineFromTheLeftCentredAndClipped) {
  Store("window", "foreground", "15");  // white
  Store("window", "background", "4");   // navy
  Store("weather", "last forecast", "");
  Create();
  const HWND ticker = strip_->PanelHandle(StripPanel::pnlScroll);
  const COLORREF navy = RGB(0, 0, 128);
  const TickerPicture empty(ticker);
  EXPECT_EQ(empty.Ink(navy).right, -1);
  EXPECT_NE(empty.At(0, 0), navy);  // the sunken border

  strip_->SetCaption("WWWW\tW");
  const TickerPicture text(ticker);
  const RECT ink = text.Ink(navy);
  EXPECT_LE(ink.left, 5);
  EXPECT_NEAR((ink.top + ink.bottom) / 2.0, text.Height() / 2.0, 3.0);
  bool white = false;
  for (int x = ink.left; x <= ink.right; ++x)
    white = white || text.At(x, text.Height() / 2) == RGB(255, 255, 255);
  EXPECT_TRUE(white);

  // No access keys: "&W" is two characters, wider than "W".
  strip_->SetCaption("W");
  const LONG w = TickerPicture(ticker).Ink(navy).right;
  strip_->SetCaption("&W");
  EXPECT_GT(TickerPicture(ticker).Ink(navy).right, w + 3);

  // A long caption runs to the border, never over it; no second line.
  strip_->SetCaption(std::string(300, 'W') + "\r\n" + std::string(300, 'W'));
  const TickerPicture full(ticker);
  // Up to the border, wherever the last glyph there ends.
  EXPECT_GE(full.Ink(navy).right, full.Width() - 6);
  EXPECT_NEAR(full.Ink(navy).top, ink.top, 1);
  for (int y = 0; y < full.Height(); ++y) {
    EXPECT_EQ(full.At(full.Width() - 1, y), empty.At(empty.Width() - 1, y));
  }
}

// A ticker step moves what the ticker shows by the dropped character's
// advance and paints only the columns the move uncovered; the window must
// then show what a full repaint of the same caption shows, pixel for pixel.
// Before each step one pixel of the background is marked on the window
// itself: a step that moved the picture carries the mark left by the
// distance it moved, a full repaint paints it over, so each step also
// shows which way it went.
TEST_F(MainWindowTest, ATickerStepShowsWhatAFullRepaintShows) {
  // windows-1252 with bytes above 127, characters whose ink reaches into
  // the next one's cell as Wine draws them (a, \xE0 and _ in bold, \xEE and
  // \xCF in regular), and control characters that show as blanks; short,
  // so that it is refilled often.
  const std::string forecast =
      "Tonight: fffft \x80"
      "15\xB0, vent \xE0 l'ouest \xAB"
      "affaire\xBB\t\xBFWWW? \x9C\xE6 jfa_a, \xC4\xD6\xDC\xDF \xEEle \xCFx.\r\n";
  Store("weather", "last forecast", forecast);
  Store("window", "foreground", "11");  // yellow on the default black
  Store("scroll", "rate", "60000");     // the steps are the test's own
  Create();
  const HWND strip = strip_->Handle();
  const HWND ticker = strip_->PanelHandle(StripPanel::pnlScroll);
  UpdateWindow(ticker);
  const COLORREF mark = RGB(255, 0, 255);

  int steps = 0;
  // Steps after which a move alone would have left ink of the dropped
  // character at the line's left: the columns painted there mattered.
  int left_ink = 0;
  const auto tick = [&](int count, bool changed_before) {
    TickerPicture previous(ticker, TickerPicture::kShown);
    for (int i = 0; i < count; ++i, ++steps) {
      const std::string before = Caption();
      const int marked_x = previous.Width() / 2;
      const HDC window = GetDC(ticker);
      SetPixel(window, marked_x, 2, mark);
      ReleaseDC(ticker, window);

      SendMessageA(strip, WM_TIMER, 1, 0);
      UpdateWindow(ticker);
      const TickerPicture shown(ticker, TickerPicture::kShown);
      RedrawWindow(ticker, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      const TickerPicture full(ticker, TickerPicture::kShown);

      const std::vector<POINT> differences = shown.Differences(full);
      std::string where = "step " + std::to_string(steps) + " from \"" + before.substr(0, 12) +
                          "\" to \"" + Caption().substr(0, 12) + "\", differs at";
      for (std::size_t d = 0; d < differences.size() && d < 8; ++d) {
        where +=
            " (" + std::to_string(differences[d].x) + "," + std::to_string(differences[d].y) + ")";
      }
      // A refill, or the first step after a change, repaints the whole.
      if (before.size() == 1 || (changed_before && i == 0)) {
        ASSERT_TRUE(differences.empty()) << where;
      } else {
        ASSERT_EQ(differences.size(), 1u) << where;
        const POINT moved = differences[0];
        ASSERT_EQ(shown.At(moved.x, moved.y), mark) << where;
        ASSERT_EQ(moved.y, 2) << where;
        const int distance = marked_x - moved.x;
        ASSERT_GT(distance, 0) << where;
        // What the move alone would have shown left of the uncovered tail.
        bool differs = false;
        for (int y = 2; y < full.Height() - 2 && !differs; ++y) {
          for (int x = 2; x < full.Width() - 2 - distance && !differs; ++x) {
            differs = previous.At(x + distance, y) != full.At(x, y);
          }
        }
        left_ink += differs;
      }
      previous = full;
    }
  };

  // Bold, through two refills.
  ASSERT_TRUE(strip_->TickerBold());
  tick(150, false);
  EXPECT_GT(left_ink, 0);

  // Regular, other colours, set in Options.
  boxes_.on_modal = [](HWND) {
    Store("window", "bold", "0");
    Store("window", "foreground", "10");  // lime
    Store("window", "background", "1");   // maroon
  };
  SendMessageA(strip, WM_COMMAND, MenuCommandId(MenuCommand::kOptions), 0);
  ASSERT_FALSE(strip_->TickerBold());
  left_ink = 0;
  tick(100, true);
  EXPECT_GT(left_ink, 0);

  // A colour alone.
  boxes_.on_modal = [](HWND) { Store("window", "foreground", "14"); };
  SendMessageA(strip, WM_COMMAND, MenuCommandId(MenuCommand::kOptions), 0);
  tick(20, true);

  // Wider.
  const RECT frame = WindowRect(strip);
  SetWindowPos(strip, nullptr, 0, 0, frame.right - frame.left + 173, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  tick(60, true);

  // A step while a fetch holds the ticker's repaint, then the fetch's end.
  strip_->FetchStarts();
  SendMessageA(strip, WM_TIMER, 1, 0);
  strip_->FetchEnds();
  tick(20, true);

  // At 144 dpi: a larger font, a taller strip.
  RECT suggested = WindowRect(strip);
  suggested.bottom = suggested.top + (suggested.bottom - suggested.top) * 3 / 2;
  SendMessageA(strip, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  ASSERT_EQ(strip_->Dpi(), 144);
  tick(60, true);
}

TEST_F(MainWindowTest, WhileAFetchWaitsTheSystemIsAnsweredAndInputWaits) {
  Store("weather", "last forecast", "Clear.");
  Create();
  const HWND strip = strip_->Handle();
  strip_->FetchStarts();
  PostMessageA(strip, WM_COMMAND, MenuCommandId(MenuCommand::kExit), 0);
  InvalidateRect(strip_->PanelHandle(StripPanel::pnlScroll), nullptr, FALSE);
  // A log-off: the question is answered at once and the fetch goes on; the
  // session's end then abandons it.
  Store("weather", "last forecast", "<none>");
  std::atomic<DWORD_PTR> answer{2};
  std::thread system([&] {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(strip, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &result)) {
      answer = result;
    } else {
      answer = 3;
    }
  });
  const auto limit = GetTickCount64() + 10000;
  while (answer == 2 && GetTickCount64() < limit) {
    strip_->KeepFetching();
    Sleep(10);
  }
  system.join();
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  EXPECT_FALSE(Ending());
  EXPECT_EQ(Stored("weather", "last forecast"), "Clear.");
  std::thread end([&] {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(strip, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 10000, &ignored);
  });
  while (!Ending() && GetTickCount64() < limit) {
    strip_->KeepFetching();
    Sleep(10);
  }
  end.join();
  EXPECT_TRUE(Ending());
  EXPECT_EQ(app_->ended_with, 0);
  // Painted meanwhile; the menu command still waits.
  EXPECT_FALSE(GetUpdateRect(strip_->PanelHandle(StripPanel::pnlScroll), nullptr, FALSE));
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, strip, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
  strip_->FetchEnds();
}

TEST_F(MainWindowTest, TheStampFollowsTheUsersChangedTimeFormat) {
  Create();
  char separator[16] = "";
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, separator, sizeof separator);
  SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, ".");
  SendMessageA(strip_->Handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("intl"));
  EXPECT_EQ(strip_->DateTimeFormats().time_separator, ".");
  SetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, separator);
}
