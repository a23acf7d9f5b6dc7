// Building the main window and the platform operations of the strip on
// Win32: the application, the window, the panels, the ticker, the picture,
// the station items, the timers, the boxes and modal forms, and what the
// window does while a document downloads.
#include "win32/main_window/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "win32/about/about_box.h"
#include "win32/options/options_dialog.h"
#include "win32/ui/application.h"
#include "win32/ui/locale_formats.h"
#include "win32/ui/message_boxes.h"
#include "win32/ui/resource_ids.h"
#include "win32/ui/window_class.h"

namespace {

// The class the Windows setup and the tests find the running program's window by.
constexpr char kMainWindowClass[] = "MarrowbyWeatherStrip";
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

void RegisterClasses(HINSTANCE instance, WNDPROC strip_proc, WNDPROC panel_proc) {
  RegisterWindowClass(
      {instance, kMainWindowClass, strip_proc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
  RegisterWindowClass({.instance = instance,
                       .name = kPanelClass,
                       .procedure = panel_proc,
                       .style = CS_HREDRAW | CS_VREDRAW});
}

HMENU MakePopupMenu() {
  // The strip's menu in its order. A Win32 menu has no hidden items: the
  // hidden ones (the station items) are not in it.
  const HMENU menu = CreatePopupMenu();
  for (const MenuItem& item : kPopupMenu) {
    if (!item.visible) continue;
    if (item.Separator()) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(menu, MF_STRING, MenuCommandId(item.command), std::string(item.caption).c_str());
    }
  }
  return menu;
}

std::string Text(std::string_view text) { return std::string(text); }

}  // namespace

// ---------------------------------------------------------------------------
// Building the window

MainWindow::MainWindow(Application& app, const StripEnvironment& environment)
    : app_(app), frmMain(*this, environment) {
  const HINSTANCE instance = app_.Instance();
  RegisterClasses(instance, &WindowProc, &PanelProc);
  const COLORREF panel_color = ToColorRef(kStripDesign.panel_color);
  panel_colors_ = {GetSysColor(COLOR_BTNFACE), panel_color, panel_color};
  font_color_ = ToColorRef(kStripDesign.ticker_font.color);

  // A sizable tool window whose only title-bar button is the close box,
  // owned by the application window, so that it has no taskbar button.
  hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kMainWindowClass, "",
                          WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, 10, 40,
                          kStripDesign.width, 60, app_.Handle(), nullptr, instance, this);
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
  panels_[Index(StripPanel::pnlScroll)] = CreateWindowExA(
      0, kPanelClass, Text(kTickerName).c_str(), child, 0, 0, 0, 0, main, nullptr, instance, this);
  picture_ = CreateWindowExA(
      0, kPanelClass, Text(SpokenPictureName(ConditionPicture::kUnchanged)).c_str(), child, 0, 0, 0,
      0, panels_[Index(StripPanel::pnlImage)], nullptr, instance, this);
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
  const std::string picture_hint(kPictureHint);
  for (HWND tool : {hwnd_, panels_[0], panels_[1], panels_[2], picture_}) {
    TTTOOLINFOA info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<char*>(tool == picture_ ? picture_hint.c_str() : "");
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  }

  SetWindowPos(hwnd_, nullptr, 0, 0, Scaled(kStripDesign.width),
               Scaled(kStripDesign.client_height) + NonClientHeight(),
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

MainWindow::~MainWindow() {
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

void MainWindow::MakeFont() {
  if (ticker_font_) DeleteObject(ticker_font_);
  // The strip's ticker font at the window's DPI; exactly bold, or no style
  // at all.
  const FormFont& font = kStripDesign.ticker_font;
  ticker_font_ =
      CreateFontA(-Scaled(font.pixel_height), 0, 0, 0, bold_ ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                  FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                  DEFAULT_PITCH | FF_SWISS, Text(font.face).c_str());
  // Steps are measured afresh in this font, and what the ticker shows can
  // no longer be moved by one.
  ticker_steps_ = {};
  InvalidateRect(panels_[Index(StripPanel::pnlScroll)], nullptr, FALSE);
}

MainWindow::TickerStep MainWindow::MeasureTickerStep(unsigned char byte) const {
  // GDI puts each character of a line on whole pixels, one advance after
  // the other (DrawTextA does no kerning), so dropping the first character
  // moves the rest of the line left by that character's advance. Measured
  // as the panel draws it: the metric functions and the drawing need not
  // agree (Wine's do not for glyphs drawn without smoothing). Its ink may
  // reach past its cell into the next one (a negative C width, a rim of
  // smoothing), and the move brings that to the line's left edge.
  TickerStep step{true, 0, 0};
  // Where a byte is not always one left-to-right character on its own (a
  // double-byte code page, right-to-left or combining characters), only
  // the whole line is painted.
  static const bool simple_code_page = [] {
    const UINT code_page = GetACP();
    return code_page == 1250 || code_page == 1251 || code_page == 1252 || code_page == 1253 ||
           code_page == 1254 || code_page == 1257;
  }();
  if (!simple_code_page) return step;

  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old_font = SelectObject(dc, ticker_font_);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  const int width = 2 * (metrics.tmMaxCharWidth + metrics.tmHeight);
  const int height = 2 * metrics.tmHeight;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  DWORD* bits = nullptr;
  const HBITMAP bitmap =
      CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
  if (!bitmap) {
    SelectObject(dc, old_font);
    DeleteDC(dc);
    return step;
  }
  const HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  // The last column with ink of `text` drawn from column 0 on black; -1:
  // none.
  const auto last_inked_column = [&](const char* text, int length) {
    GdiFlush();
    std::fill(bits, bits + width * height, 0);
    RECT rect{0, metrics.tmHeight / 2, width, height};
    DrawTextA(dc, text, length, &rect, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    GdiFlush();
    for (int x = width - 1; x >= 0; --x) {
      for (int y = 0; y < height; ++y) {
        if (bits[y * width + x] & 0xFFFFFF) return x;
      }
    }
    return -1;
  };
  // A control character shows as a blank. The advance is where an H after
  // the character ends less where an H alone ends.
  const char pair[2] = {byte < 32 ? ' ' : static_cast<char>(byte), 'H'};
  const int alone = last_inked_column(pair, 1);
  const int with_h = last_inked_column(pair, 2);
  const int h = last_inked_column(pair + 1, 1);
  if (h >= 0 && with_h > alone) {
    step.advance = with_h - h;
    step.overhang = std::max(0, alone + 1 - step.advance);
  }
  SelectObject(dc, old_bitmap);
  DeleteObject(bitmap);
  SelectObject(dc, old_font);
  DeleteDC(dc);
  return step;
}

void MainWindow::LoadPictures() {
  for (HICON& picture : pictures_) {
    if (picture) DestroyIcon(picture);
    picture = nullptr;
  }
  const int ids[] = {kSunPicture, kCloudPicture, kRainPicture, kSnowPicture, kInitialPicture};
  for (int i = 0; i < 5; ++i) {
    const int size =
        Scaled(i == kInitial ? kStripDesign.initial_picture_size : kStripDesign.picture_size);
    pictures_[i] = static_cast<HICON>(
        LoadImageA(app_.Instance(), MAKEINTRESOURCEA(ids[i]), IMAGE_ICON, size, size, 0));
  }
}

int MainWindow::NonClientHeight() const {
  RECT frame, client;
  GetWindowRect(hwnd_, &frame);
  GetClientRect(hwnd_, &client);
  return (frame.bottom - frame.top) - (client.bottom - client.top);
}

// ---------------------------------------------------------------------------
// Geometry

void MainWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  // The bevels are one device pixel wide at every DPI, as the system draws
  // them.
  const int main_height = Scaled(main_client_height_) + 2;
  const int image_width = Scaled(image_client_width_) + 2;
  MoveWindow(panels_[Index(StripPanel::pnlMain)], 0, 0, client.right, main_height, TRUE);
  MoveWindow(panels_[Index(StripPanel::pnlImage)], 1, 1, image_width, main_height - 2, TRUE);
  // The picture at the frame's inner corner.
  MoveWindow(picture_, 1, 1, Scaled(kStripDesign.picture_size), Scaled(kStripDesign.picture_size),
             TRUE);
  FormResize();
}

void MainWindow::FormResize() {
  // The height returns to the one set at once; only the width can change.
  RECT client;
  GetClientRect(hwnd_, &client);
  if (client_height_ > 0 && client.bottom != client_height_) SetClientHeight(client_height_);
  // The ticker starts right of the picture's frame, the strip's gap apart,
  // and reaches the window's right edge.
  RECT image;
  GetWindowRect(panels_[Index(StripPanel::pnlImage)], &image);
  MapWindowPoints(nullptr, panels_[Index(StripPanel::pnlMain)], reinterpret_cast<POINT*>(&image),
                  2);
  const int left = image.right + Scaled(kStripDesign.ticker_gap);
  MoveWindow(panels_[Index(StripPanel::pnlScroll)], left, 1, std::max<int>(0, client.right - left),
             PanelHeight(StripPanel::pnlMain) - 2, TRUE);
}

void MainWindow::SetLeft(int left) {
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, left, frame.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetTop(int top) {
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, frame.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetWidth(int width) {
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, 0, 0, width, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::SetClientHeight(int height) {
  client_height_ = height;
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, height + NonClientHeight(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

WindowFrame MainWindow::Frame() const {
  RECT frame;
  GetWindowRect(hwnd_, &frame);
  return {frame.left, frame.top, frame.right - frame.left};
}

void MainWindow::ShowWindow() {
  ::ShowWindow(hwnd_, SW_SHOW);
  app_.ShowTaskbarButton();
  // On the screen before anything slow happens.
  RedrawWindow(hwnd_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
}

void MainWindow::HideWindow() { ::ShowWindow(hwnd_, SW_HIDE); }

void MainWindow::ChangeDpi(int dpi, const RECT* suggested) {
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

void MainWindow::SetApplicationTitle(std::string_view title) { app_.SetTitle(title); }

void MainWindow::EndMessageLoops() { app_.EndMessageLoops(); }

LocalTime MainWindow::Now() const { return LocalClockNow(); }

// ---------------------------------------------------------------------------
// Title and hint

void MainWindow::SetTitle(std::string_view title) { SetWindowTextA(hwnd_, Text(title).c_str()); }

void MainWindow::SetHint(std::string_view hint) {
  // Every tool but the picture, which has its own.
  std::string text(hint);
  for (HWND tool : {hwnd_, panels_[0], panels_[1], panels_[2]}) {
    TTTOOLINFOA info{};
    info.cbSize = sizeof(info);
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text.data();
    SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  }
}

// ---------------------------------------------------------------------------
// Panels, the ticker, the picture and the station items

void MainWindow::SetPanelClientHeight(StripPanel panel, int height) {
  // The picture's frame follows the strip's height; the ticker's is the
  // strip's inside.
  if (panel == StripPanel::pnlMain) main_client_height_ = height;
  Layout();
}

void MainWindow::SetPanelClientWidth(StripPanel panel, int width) {
  if (panel == StripPanel::pnlImage) image_client_width_ = width;
  Layout();
}

int MainWindow::PanelHeight(StripPanel panel) const {
  RECT rect;
  GetWindowRect(panels_[Index(panel)], &rect);
  return rect.bottom - rect.top;
}

void MainWindow::SetPanelColor(StripPanel panel, PaletteColor color) {
  panel_colors_[Index(panel)] = ToColorRef(color);
  InvalidateRect(panels_[Index(panel)], nullptr, FALSE);
  if (panel == StripPanel::pnlImage) InvalidateRect(picture_, nullptr, FALSE);
}

void MainWindow::SetCaption(std::string_view caption) { StepCaption({}, caption); }

void MainWindow::StepCaption(std::string_view dropped, std::string_view caption) {
  caption_.assign(caption);
  // While a document downloads the screen keeps what the update painted on
  // purpose; the request waits for the fetch to end.
  if (fetching_) {
    ticker_repaint_held_ = true;
    return;
  }
  // A step that dropped one byte moves the line; anything else paints it
  // afresh.
  if (dropped.size() == 1 && StepTicker(static_cast<unsigned char>(dropped.front()))) return;
  InvalidateRect(panels_[Index(StripPanel::pnlScroll)], nullptr, FALSE);
}

std::string_view MainWindow::DrawnCaption() const {
  RECT ticker;
  GetClientRect(panels_[Index(StripPanel::pnlScroll)], &ticker);
  return std::string_view(caption_).substr(
      0, static_cast<std::size_t>(ShownCaptionCharacters(ticker.right)));
}

bool MainWindow::StepTicker(unsigned char dropped) {
  const HWND ticker = panels_[Index(StripPanel::pnlScroll)];
  // Only a ticker that shows the previous caption whole can be moved: not
  // one that waits for a paint (a new caption, size, font, colour or DPI
  // invalidated it), one whose repaint a fetch held, or a hidden one.
  if (ticker_repaint_held_ || !IsWindowVisible(ticker) || GetUpdateRect(ticker, nullptr, FALSE)) {
    return false;
  }
  TickerStep& step = ticker_steps_[dropped];
  if (!step.measured) step = MeasureTickerStep(dropped);
  RECT inside;
  GetClientRect(ticker, &inside);
  InflateRect(&inside, -2, -2);  // inside the sunken border
  if (step.advance <= 0 || step.advance >= inside.right - inside.left) return false;
  // The system moves the pixels inside the border and invalidates the
  // columns the move uncovered at the right, and whatever it could not
  // move (a part covered by another window).
  ScrollWindowEx(ticker, -step.advance, 0, &inside, &inside, nullptr, nullptr, SW_INVALIDATE);
  if (step.overhang > 0) {
    RECT left = inside;
    left.right = std::min(inside.left + step.overhang, inside.right);
    InvalidateRect(ticker, &left, FALSE);
  }
  // Painted now, so that no screen shows the move without its tail.
  UpdateWindow(ticker);
  return true;
}

void MainWindow::RepaintCaption() {
  RedrawWindow(panels_[Index(StripPanel::pnlScroll)], nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW);
  GdiFlush();
}

void MainWindow::SetTickerText(std::string_view forecast) {
  ticker_text_.Set(panels_[Index(StripPanel::pnlScroll)], forecast);
}

void MainWindow::SetTickerBold(bool bold) {
  bold_ = bold;
  MakeFont();
}

void MainWindow::SetTickerFontColor(PaletteColor color) {
  font_color_ = ToColorRef(color);
  InvalidateRect(panels_[Index(StripPanel::pnlScroll)], nullptr, FALSE);
}

void MainWindow::SetCurrentPicture(ConditionPicture picture) {
  if (picture == ConditionPicture::kUnchanged) return;
  current_picture_ = picture;
  SetWindowTextA(picture_, Text(SpokenPictureName(picture)).c_str());
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, picture_, OBJID_CLIENT, CHILDID_SELF);
  InvalidateRect(picture_, nullptr, FALSE);
}

void MainWindow::SetStationItem(StationItem item, std::string_view caption) {
  station_items_[item == StationItem::pMRB ? 0 : 1].assign(caption);
}

const std::string& MainWindow::StationItemCaption(StationItem item) const {
  return station_items_[item == StationItem::pMRB ? 0 : 1];
}

// ---------------------------------------------------------------------------
// Timers: the window's timers 1, 2, 3 are tmrScroll, tmrUpdate, tmrTitleSwitch.

void MainWindow::StartTimer(StripTimer timer, int interval_ms) {
  const int index = static_cast<int>(timer);
  timer_intervals_[index] = interval_ms;
  // Setting a running timer again starts its period afresh.
  if (hwnd_)
    SetTimer(hwnd_, static_cast<UINT_PTR>(index + 1), static_cast<UINT>(interval_ms), nullptr);
}

void MainWindow::StopTimer(StripTimer timer) {
  const int index = static_cast<int>(timer);
  timer_intervals_[index] = 0;
  if (hwnd_) KillTimer(hwnd_, static_cast<UINT_PTR>(index + 1));
}

// ---------------------------------------------------------------------------
// Boxes and modal forms

void MainWindow::ShowError(std::string_view text) { Boxes().ShowError(BoxOwner(hwnd_), text); }

void MainWindow::ShowInformation(std::string_view text) {
  Boxes().ShowInformation(BoxOwner(hwnd_), text);
}

void MainWindow::ShowForecast(std::string_view title, std::string_view text) {
  Boxes().ShowForecast(BoxOwner(hwnd_), title, text);
}

void MainWindow::ShowUncaughtError(std::string_view title, std::string_view message) {
  Boxes().ShowUncaughtError(BoxOwner(hwnd_), title, message);
}

void MainWindow::RunOptions(TfrmOptions& form) { RunOptionsDialog(hwnd_, form); }

void MainWindow::RunAbout() { RunAboutBox(hwnd_); }

// ---------------------------------------------------------------------------
// While a document downloads

void MainWindow::FetchStarts() { fetching_ = true; }

void MainWindow::KeepFetching() {
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
}

void MainWindow::FetchEnds() {
  fetching_ = false;
  if (ticker_repaint_held_) {
    ticker_repaint_held_ = false;
    InvalidateRect(panels_[Index(StripPanel::pnlScroll)], nullptr, FALSE);
  }
}
