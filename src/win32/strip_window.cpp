// Building the main window and the platform operations of the strip on
// Win32: the application, the window, the panels, the ticker, the picture,
// the station items, the timers, the boxes and modal forms, and what the
// window does while a document downloads.
#include "win32/strip_window.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "win32/about_box.h"
#include "win32/application.h"
#include "win32/boxes.h"
#include "win32/locale_formats.h"
#include "win32/options_dialog.h"
#include "win32/resource_ids.h"

namespace {

constexpr char kStripClass[] = "MarrowbyWeatherStrip";
constexpr char kPanelClass[] = "MarrowbyWeatherPanel";

UINT DpiOfWindow(HWND window) {
  // GetDpiForWindow arrived with Windows 10 (1607); before it, the system's.
  using DpiForWindow = UINT(WINAPI*)(HWND);
  static const auto dpi_for_window = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (dpi_for_window && window) return dpi_for_window(window);
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return static_cast<UINT>(dpi);
}

COLORREF ToColorRef(PaletteColor color) { return RGB(color.red, color.green, color.blue); }

// How screen readers name the picture: for the weather it shows.
const char* SpokenPictureName(ConditionPicture picture) {
  switch (picture) {
    case ConditionPicture::kSun:
      return "Sun";
    case ConditionPicture::kCloud:
      return "Cloud";
    case ConditionPicture::kRain:
      return "Rain";
    case ConditionPicture::kSnow:
      return "Snow";
    case ConditionPicture::kUnchanged:
      break;
  }
  return "Weather not yet known";
}

void RegisterClasses(HINSTANCE instance, WNDPROC strip_proc, WNDPROC panel_proc) {
  WNDCLASSEXA window_class{};
  if (!GetClassInfoExA(instance, kStripClass, &window_class)) {
    window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.lpszClassName = kStripClass;
    window_class.hInstance = instance;
    window_class.lpfnWndProc = strip_proc;
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassExA(&window_class);
  }
  if (!GetClassInfoExA(instance, kPanelClass, &window_class)) {
    window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.lpszClassName = kPanelClass;
    window_class.hInstance = instance;
    window_class.lpfnWndProc = panel_proc;
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    RegisterClassExA(&window_class);
  }
}

HMENU MakePopupMenu() {
  // In the order the menu shows its items. The station items pMRB and pWDM
  // are hidden, and a Win32 menu has no hidden items: they are not in it.
  const HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, kForecastCommand, "&Forecast");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);  // pShowForecast
  AppendMenuA(menu, MF_STRING, kUpdateCommand, "&Update Now");
  AppendMenuA(menu, MF_STRING, kOptionsCommand, "&Options");
  AppendMenuA(menu, MF_STRING, kAboutCommand, "&About...");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kExitCommand, "E&xit");
  return menu;
}

}  // namespace

// ---------------------------------------------------------------------------
// Building the window

TWin32Strip::TWin32Strip(TWin32Application& app) : app_(app) {
  const HINSTANCE instance = app_.Instance();
  RegisterClasses(instance, &WindowProc, &PanelProc);
  panel_colors_ = {GetSysColor(COLOR_BTNFACE), RGB(0, 0, 0), RGB(0, 0, 0)};

  // A sizable tool window whose only title-bar button is the close box,
  // owned by the application window, so that it has no taskbar button.
  hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kStripClass, "",
                          WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, 10, 40, 340,
                          60, app_.Handle(), nullptr, instance, this);
  dpi_ = static_cast<int>(DpiOfWindow(hwnd_));
  app_.SetMainWindow(hwnd_);

  // The strip: the picture's frame and the ticker inside a lowered bevel.
  // Each child's text is its name for screen readers.
  const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  panels_[Index(StripPanel::pnlMain)] =
      CreateWindowExA(0, kPanelClass, "", child, 0, 0, 0, 0, hwnd_, nullptr, instance, this);
  const HWND main = panels_[Index(StripPanel::pnlMain)];
  panels_[Index(StripPanel::pnlImage)] =
      CreateWindowExA(0, kPanelClass, "", child, 0, 0, 0, 0, main, nullptr, instance, this);
  panels_[Index(StripPanel::pnlScroll)] =
      CreateWindowExA(0, kPanelClass, "Forecast", child, 0, 0, 0, 0, main, nullptr, instance, this);
  picture_ =
      CreateWindowExA(0, kPanelClass, SpokenPictureName(ConditionPicture::kUnchanged), child, 0, 0,
                      0, 0, panels_[Index(StripPanel::pnlImage)], nullptr, instance, this);
  ticker_text_.Attach(panels_[Index(StripPanel::pnlScroll)]);

  menu_ = MakePopupMenu();
  MakeFont();
  LoadPictures();

  // The hints: the window's own wherever the control under the mouse has
  // none, and the picture's. The strip is rarely the active window; its
  // hints show all the same.
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance, nullptr);
  for (HWND tool : {hwnd_, panels_[0], panels_[1], panels_[2], picture_}) {
    TTTOOLINFOA info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<char*>(tool == picture_ ? kPictureHint : "");
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  }

  SetWindowPos(hwnd_, nullptr, 0, 0, Scaled(340), Scaled(34) + NonClientHeight(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
  formats_ = UserLocaleFormats();

  // The timers the form started while the window was being made.
  for (int timer = 0; timer < 3; ++timer) {
    if (timer_intervals_[timer] > 0) {
      SetTimer(hwnd_, static_cast<UINT_PTR>(timer + 1), static_cast<UINT>(timer_intervals_[timer]),
               nullptr);
    }
  }
}

TWin32Strip::~TWin32Strip() {
  ticker_text_.Detach(panels_[Index(StripPanel::pnlScroll)]);
  if (tooltip_) DestroyWindow(tooltip_);
  if (hwnd_) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    for (HWND panel : {panels_[0], panels_[1], panels_[2], picture_}) {
      SetWindowLongPtrA(panel, GWLP_USERDATA, 0);
    }
    app_.SetMainWindow(nullptr);
    DestroyWindow(hwnd_);
  }
  if (menu_) DestroyMenu(menu_);
  if (ticker_font_) DeleteObject(ticker_font_);
  for (HICON picture : pictures_) {
    if (picture) DestroyIcon(picture);
  }
}

void TWin32Strip::MakeFont() {
  if (ticker_font_) DeleteObject(ticker_font_);
  // Arial, 15 pixels high at 96 dpi; exactly bold, or no style at all.
  ticker_font_ = CreateFontA(-Scaled(15), 0, 0, 0, bold_ ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
}

void TWin32Strip::LoadPictures() {
  for (HICON& picture : pictures_) {
    if (picture) DestroyIcon(picture);
    picture = nullptr;
  }
  const int ids[] = {kSunPicture, kCloudPicture, kRainPicture, kSnowPicture, kInitialPicture};
  for (int i = 0; i < 5; ++i) {
    // The stock pictures are 32 x 32, the initial one 24 x 24, at 96 dpi.
    const int size = Scaled(i == kInitial ? 24 : 32);
    pictures_[i] = static_cast<HICON>(
        LoadImageA(app_.Instance(), MAKEINTRESOURCEA(ids[i]), IMAGE_ICON, size, size, 0));
  }
}

int TWin32Strip::NonClientHeight() const {
  RECT frame, client;
  GetWindowRect(hwnd_, &frame);
  GetClientRect(hwnd_, &client);
  return (frame.bottom - frame.top) - (client.bottom - client.top);
}

// ---------------------------------------------------------------------------
// Geometry

void TWin32Strip::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  // The bevels are one device pixel wide at every DPI, as the system draws
  // them.
  const int main_height = Scaled(main_client_height_) + 2;
  const int image_width = Scaled(image_client_width_) + 2;
  MoveWindow(panels_[Index(StripPanel::pnlMain)], 0, 0, client.right, main_height, TRUE);
  MoveWindow(panels_[Index(StripPanel::pnlImage)], 1, 1, image_width, main_height - 2, TRUE);
  // The picture at the frame's inner corner.
  MoveWindow(picture_, 1, 1, Scaled(32), Scaled(32), TRUE);
  FormResize();
}

void TWin32Strip::FormResize() {
  // The height returns to the strip's at once; only the width can change.
  const int wanted = PanelHeight(StripPanel::pnlMain) - 1;
  RECT client;
  GetClientRect(hwnd_, &client);
  if (client_height_ > 0 && client.bottom != wanted) SetClientHeight(wanted);
  // The ticker starts 2 pixels right of the picture's frame and reaches the
  // window's right edge.
  RECT image;
  GetWindowRect(panels_[Index(StripPanel::pnlImage)], &image);
  MapWindowPoints(nullptr, panels_[Index(StripPanel::pnlMain)], reinterpret_cast<POINT*>(&image),
                  2);
  const int left = image.right + Scaled(2);
  MoveWindow(panels_[Index(StripPanel::pnlScroll)], left, 1, std::max<int>(0, client.right - left),
             PanelHeight(StripPanel::pnlMain) - 2, TRUE);
}

void TWin32Strip::SetLeft(int left) {
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, left, frame.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32Strip::SetTop(int top) {
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, frame.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32Strip::SetWidth(int width) {
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, 0, 0, width, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32Strip::SetClientHeight(int height) {
  client_height_ = height;
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, height + NonClientHeight(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

WindowFrame TWin32Strip::Frame() const {
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  return {frame.left, frame.top, frame.right - frame.left};
}

void TWin32Strip::ShowWindow() {
  ::ShowWindow(hwnd_, SW_SHOW);
  app_.ShowTaskbarButton();
  // On the screen before anything slow happens.
  RedrawWindow(hwnd_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
}

void TWin32Strip::HideWindow() { ::ShowWindow(hwnd_, SW_HIDE); }

void TWin32Strip::ChangeDpi(int dpi, const RECT* suggested) {
  dpi_ = dpi;
  MakeFont();
  LoadPictures();
  if (suggested) {
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Layout();
  if (client_height_ > 0) SetClientHeight(PanelHeight(StripPanel::pnlMain) - 1);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

// ---------------------------------------------------------------------------
// The application

void TWin32Strip::SetApplicationTitle(std::string_view title) { app_.SetTitle(title); }

const std::string& TWin32Strip::ApplicationTitle() const { return app_.Title(); }

void TWin32Strip::Terminate(int exit_status) { app_.Terminate(exit_status); }

bool TWin32Strip::TerminateRequested() const { return app_.TerminateRequested(); }

LocalTime TWin32Strip::Now() const { return LocalClockNow(); }

// ---------------------------------------------------------------------------
// Title and hint

void TWin32Strip::SetTitle(std::string_view title) {
  title_.assign(title);
  SetWindowTextA(hwnd_, title_.c_str());
}

void TWin32Strip::SetHint(std::string_view hint) {
  hint_.assign(hint);
  UpdateHintTools();
}

void TWin32Strip::UpdateHintTools() {
  for (HWND tool : {hwnd_, panels_[0], panels_[1], panels_[2]}) {
    TTTOOLINFOA info{};
    info.cbSize = sizeof(info);
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<char*>(hint_.c_str());
    SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  }
}

// ---------------------------------------------------------------------------
// Panels, the ticker, the picture and the station items

void TWin32Strip::SetPanelClientHeight(StripPanel panel, int height) {
  // The picture's frame follows the strip's height; the ticker's is the
  // strip's inside.
  if (panel == StripPanel::pnlMain) main_client_height_ = height;
  Layout();
}

void TWin32Strip::SetPanelClientWidth(StripPanel panel, int width) {
  if (panel == StripPanel::pnlImage) image_client_width_ = width;
  Layout();
}

int TWin32Strip::PanelHeight(StripPanel panel) const {
  RECT rect;
  GetWindowRect(panels_[Index(panel)], &rect);
  return rect.bottom - rect.top;
}

void TWin32Strip::SetPanelColor(StripPanel panel, PaletteColor color) {
  panel_colors_[Index(panel)] = ToColorRef(color);
  InvalidateRect(panels_[Index(panel)], nullptr, FALSE);
  if (panel == StripPanel::pnlImage) InvalidateRect(picture_, nullptr, FALSE);
}

void TWin32Strip::SetCaption(std::string_view caption) {
  if (caption == caption_) return;
  caption_.assign(caption);
  // While a document downloads the screen keeps what the update painted on
  // purpose; the request waits for the fetch to end.
  if (fetching_) {
    ticker_repaint_held_ = true;
    return;
  }
  InvalidateRect(panels_[Index(StripPanel::pnlScroll)], nullptr, FALSE);
}

void TWin32Strip::RepaintCaption() {
  RedrawWindow(panels_[Index(StripPanel::pnlScroll)], nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW);
  GdiFlush();
}

void TWin32Strip::SetTickerText(std::string_view forecast) {
  ticker_text_.Set(panels_[Index(StripPanel::pnlScroll)], forecast);
}

void TWin32Strip::SetTickerBold(bool bold) {
  bold_ = bold;
  MakeFont();
  InvalidateRect(panels_[Index(StripPanel::pnlScroll)], nullptr, FALSE);
}

void TWin32Strip::SetTickerFontColor(PaletteColor color) {
  font_color_ = ToColorRef(color);
  InvalidateRect(panels_[Index(StripPanel::pnlScroll)], nullptr, FALSE);
}

void TWin32Strip::SetCurrentPicture(ConditionPicture picture) {
  if (picture == ConditionPicture::kUnchanged) return;
  current_picture_ = picture;
  SetWindowTextA(picture_, SpokenPictureName(picture));
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, picture_, OBJID_CLIENT, CHILDID_SELF);
  InvalidateRect(picture_, nullptr, FALSE);
}

void TWin32Strip::SetStationItem(StationItem item, std::string_view caption) {
  station_items_[item == StationItem::pMRB ? 0 : 1].assign(caption);
}

const std::string& TWin32Strip::StationItemCaption(StationItem item) const {
  return station_items_[item == StationItem::pMRB ? 0 : 1];
}

// ---------------------------------------------------------------------------
// Timers: the window's timers 1, 2, 3 are tmrScroll, tmrUpdate, tmrTitleSwitch.

void TWin32Strip::StartTimer(StripTimer timer, int interval_ms) {
  const int index = static_cast<int>(timer);
  timer_intervals_[index] = interval_ms;
  // Setting a running timer again starts its period afresh.
  if (hwnd_)
    SetTimer(hwnd_, static_cast<UINT_PTR>(index + 1), static_cast<UINT>(interval_ms), nullptr);
}

void TWin32Strip::StopTimer(StripTimer timer) {
  const int index = static_cast<int>(timer);
  timer_intervals_[index] = 0;
  if (hwnd_) KillTimer(hwnd_, static_cast<UINT_PTR>(index + 1));
}

// ---------------------------------------------------------------------------
// Boxes and modal forms

void TWin32Strip::ShowError(std::string_view text) { Boxes().ShowError(hwnd_, text); }

void TWin32Strip::ShowInformation(std::string_view text) { Boxes().ShowInformation(hwnd_, text); }

void TWin32Strip::ShowForecast(std::string_view title, std::string_view text) {
  Boxes().ShowForecast(hwnd_, title, text);
}

void TWin32Strip::ShowUncaughtError(std::string_view message) {
  Boxes().ShowUncaughtError(hwnd_, app_.Title(), message);
}

void TWin32Strip::RunOptions(TfrmOptions& form) { RunOptionsDialog(hwnd_, form, app_.Title()); }

void TWin32Strip::RunAbout() { RunAboutBox(hwnd_); }

// ---------------------------------------------------------------------------
// While a document downloads

void TWin32Strip::FetchStarts() { fetching_ = true; }

bool TWin32Strip::KeepFetching() {
  // The download blocks the user, not the strip. Messages that other
  // programs and the system send (the session's end among them) are
  // answered inside PeekMessage; what is uncovered repaints. Input (the
  // close box included) and timer ticks stay in the queue until the fetch
  // returns, so no handler runs in the middle of an update.
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  for (int paints = 0; paints < 64; ++paints) {
    if (!PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT)) break;
    DispatchMessageA(&msg);
  }
  GdiFlush();
  return !app_.TerminateRequested();
}

void TWin32Strip::FetchEnds() {
  fetching_ = false;
  if (ticker_repaint_held_) {
    ticker_repaint_held_ = false;
    InvalidateRect(panels_[Index(StripPanel::pnlScroll)], nullptr, FALSE);
  }
}
