// The real boxes (the system's message box, and a small box of our own for
// the forecast, which must wrap at half the screen's width) and the modal
// run that every box and dialog of the program goes through.
#include "win32/ui/message_boxes.h"

#include <algorithm>
#include <string>
#include <vector>

#include "strip/form_design.h"
#include "win32/ui/window_class.h"

namespace {

// --- Centring

RECT WorkAreaOf(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  return monitor.rcWork;
}

void CentreOnScreen(HWND window) {
  RECT frame;
  GetWindowRect(window, &frame);
  const RECT work = WorkAreaOf(window);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The system's message box places itself over its owner; the program's boxes
// stand in the middle of the screen, so the box is moved there as it first
// becomes active.
thread_local HHOOK centring_hook = nullptr;

LRESULT CALLBACK CentreBoxHook(int code, WPARAM wparam, LPARAM lparam) {
  const HHOOK hook = centring_hook;
  if (code == HCBT_ACTIVATE) {
    const HWND box = reinterpret_cast<HWND>(wparam);
    char class_name[16] = "";
    GetClassNameA(box, class_name, sizeof class_name);
    if (std::string_view(class_name) == "#32770") {
      CentreOnScreen(box);
      UnhookWindowsHookEx(hook);
      centring_hook = nullptr;
    }
  }
  return CallNextHookEx(hook, code, wparam, lparam);
}

void CentredMessageBox(HWND owner, std::string_view text, const std::string& title, UINT style) {
  const std::string shown(text);
  if (!centring_hook) {
    centring_hook = SetWindowsHookExA(WH_CBT, CentreBoxHook, nullptr, GetCurrentThreadId());
  }
  MessageBoxA(owner, shown.c_str(), title.c_str(), style | MB_OK);
  if (centring_hook) {
    UnhookWindowsHookEx(centring_hook);
    centring_hook = nullptr;
  }
}

// --- Modal runs

struct ModalRun {
  HWND dialog;
  HWND owner;
  bool owner_was_enabled;
  int result = 0;
};
// The runs under way, innermost last.
std::vector<ModalRun*>& ModalRuns() {
  static std::vector<ModalRun*> runs;
  return runs;
}

void GiveBackOwner(ModalRun& run) {
  // Before the dialog goes, so that the activation returns to the owner
  // rather than to another program's window.
  if (run.owner && run.owner_was_enabled) EnableWindow(run.owner, TRUE);
  run.owner_was_enabled = false;
}

int RunModalLoop(HWND owner, HWND dialog) {
  ModalRun run{dialog, owner, owner && IsWindowEnabled(owner)};
  ModalRuns().push_back(&run);
  CentreOnScreen(dialog);
  ShowWindow(dialog, SW_SHOW);
  if (owner) EnableWindow(owner, FALSE);
  MSG msg;
  while (IsWindow(dialog)) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The application is told to end: every loop ends, the outer ones on
      // the message posted again.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (IsDialogMessageA(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  GiveBackOwner(run);
  if (IsWindow(dialog)) DestroyWindow(dialog);
  ModalRuns().erase(std::find(ModalRuns().begin(), ModalRuns().end(), &run));
  return run.result;
}

// --- The forecast box

constexpr char kForecastBoxClass[] = "MarrowbyWeatherForecastBox";
constexpr char kForecastViewClass[] = "MarrowbyWeatherForecastView";
constexpr int kForecastViewId = 100;
// Where "OK" keeps the window procedure its own keys pass on to.
constexpr char kButtonProcProperty[] = "MarrowbyWeatherButtonProc";

// The forecast view shows the part of the text (its one child, as tall as
// the whole text) from its scroll position down. Its user data is the
// height of one line of text.
void ScrollForecastTo(HWND view, int position) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(view, SB_VERT, &info)) return;  // the whole text shows
  const int last = std::max(0, info.nMax - info.nMin + 1 - static_cast<int>(info.nPage));
  position = std::clamp(position, 0, last);
  if (position == info.nPos) return;
  info.fMask = SIF_POS;
  info.nPos = position;
  SetScrollInfo(view, SB_VERT, &info, TRUE);
  SetWindowPos(GetWindow(view, GW_CHILD), nullptr, 0, -position, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ScrollForecast(HWND view, int code) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(view, SB_VERT, &info)) return;
  const int line = static_cast<int>(GetWindowLongPtrA(view, GWLP_USERDATA));
  const int page = static_cast<int>(info.nPage);
  switch (code) {
    case SB_LINEUP:
      ScrollForecastTo(view, info.nPos - line);
      break;
    case SB_LINEDOWN:
      ScrollForecastTo(view, info.nPos + line);
      break;
    case SB_PAGEUP:
      ScrollForecastTo(view, info.nPos - page);
      break;
    case SB_PAGEDOWN:
      ScrollForecastTo(view, info.nPos + page);
      break;
    case SB_TOP:
      ScrollForecastTo(view, 0);
      break;
    case SB_BOTTOM:
      ScrollForecastTo(view, info.nMax);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      ScrollForecastTo(view, info.nTrackPos);
      break;
    default:
      break;
  }
}

LRESULT CALLBACK ForecastViewProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_VSCROLL:
      ScrollForecast(hwnd, LOWORD(wparam));
      return 0;
    case WM_MOUSEWHEEL: {
      UINT lines = 3;
      SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      if (lines == WHEEL_PAGESCROLL) {
        ScrollForecast(hwnd, GET_WHEEL_DELTA_WPARAM(wparam) > 0 ? SB_PAGEUP : SB_PAGEDOWN);
        return 0;
      }
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_POS;
      if (!GetScrollInfo(hwnd, SB_VERT, &info)) return 0;
      const int line = static_cast<int>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
      ScrollForecastTo(hwnd, info.nPos - MulDiv(GET_WHEEL_DELTA_WPARAM(wparam),
                                                static_cast<int>(lines) * line, WHEEL_DELTA));
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

// "OK" keeps the keys, as in the system's boxes; those that move through a
// text move through the forecast.
LRESULT CALLBACK ForecastButtonProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto button_proc = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kButtonProcProperty));
  switch (message) {
    case WM_GETDLGCODE:
      // The arrows too, which would otherwise move among the box's controls.
      return CallWindowProcA(button_proc, hwnd, message, wparam, lparam) | DLGC_WANTARROWS;
    case WM_KEYDOWN: {
      int code = -1;
      switch (wparam) {
        case VK_UP:
          code = SB_LINEUP;
          break;
        case VK_DOWN:
          code = SB_LINEDOWN;
          break;
        case VK_PRIOR:
          code = SB_PAGEUP;
          break;
        case VK_NEXT:
          code = SB_PAGEDOWN;
          break;
        case VK_HOME:
          code = SB_TOP;
          break;
        case VK_END:
          code = SB_BOTTOM;
          break;
        default:
          break;
      }
      if (code >= 0) {
        ScrollForecast(GetDlgItem(GetParent(hwnd), kForecastViewId), code);
        return 0;
      }
      break;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(button_proc));
      RemovePropA(hwnd, kButtonProcProperty);
      break;
    default:
      break;
  }
  return CallWindowProcA(button_proc, hwnd, message, wparam, lparam);
}

LRESULT CALLBACK ForecastBoxProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndModal(hwnd, LOWORD(wparam));
        return 0;
      }
      break;
    case WM_CLOSE:
      EndModal(hwnd, IDCANCEL);
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_ACTIVATE:
      // The keys go to "OK", as in the system's boxes.
      if (LOWORD(wparam) != WA_INACTIVE) SetFocus(GetDlgItem(hwnd, IDOK));
      return 0;
    case WM_MOUSEWHEEL:
      // Wherever the wheel turns in the box, the forecast moves.
      return SendMessageA(GetDlgItem(hwnd, kForecastViewId), message, wparam, lparam);
    case WM_NCDESTROY: {
      const auto font = reinterpret_cast<HFONT>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
      if (font) DeleteObject(font);
      break;
    }
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

void RegisterForecastBoxClasses(HINSTANCE instance) {
  const auto face = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterWindowClass({instance, kForecastBoxClass, ForecastBoxProc, face});
  RegisterWindowClass({instance, kForecastViewClass, ForecastViewProc, face});
}

// The box the system's message box would be, but wrapping the text at half
// the work area's width: a caption with only a close box, the text in the
// message font, one "OK" that Enter and Esc press. A text taller than three
// quarters of the work area scrolls in a view of that height, by its scroll
// bar, the wheel, and the arrows, Page Up, Page Down, Home and End.
HWND MakeForecastBox(HWND owner, std::string_view title, std::string_view text) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterForecastBoxClasses(instance);
  const std::string caption(title);
  const std::string shown(text);
  const HWND box = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kForecastBoxClass,
                                   caption.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0,
                                   owner, nullptr, instance, nullptr);
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  const HFONT font = CreateFontIndirectA(&metrics.lfMessageFont);
  SetWindowLongPtrA(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(font));

  // The box's spacing, as the system's boxes have it, at the box's DPI.
  const HDC dc = GetDC(box);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  const auto scaled = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  const int margin = scaled(12);
  const int button_width = scaled(88);
  const int button_height = scaled(26);
  const RECT work = WorkAreaOf(owner ? owner : box);
  RECT text_rect{0, 0, (work.right - work.left) / 2, 0};
  const HGDIOBJ old_font = SelectObject(dc, font);
  TEXTMETRICA text_metrics{};
  GetTextMetricsA(dc, &text_metrics);
  if (!shown.empty()) {
    DrawTextA(dc, shown.data(), static_cast<int>(shown.size()), &text_rect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_EXPANDTABS);
  } else {
    text_rect.right = 0;
  }
  SelectObject(dc, old_font);
  ReleaseDC(box, dc);
  // At most three quarters of the work area tall, in whole lines; the rest
  // of a longer text scrolls into view.
  const int line = std::max<int>(1, text_metrics.tmHeight);
  const int most = std::max<int>(line, (work.bottom - work.top) * 3 / 4 / line * line);
  const bool scrolls = text_rect.bottom > most;
  const int view_height = scrolls ? most : text_rect.bottom;
  // The scroll bar a little apart from the text.
  const int view_width =
      text_rect.right + (scrolls ? scaled(6) + GetSystemMetrics(SM_CXVSCROLL) : 0);
  const int client_width = std::max<int>(view_width + 2 * margin, button_width + 2 * margin);
  const int button_top = (shown.empty() ? 0 : view_height + margin) + margin;
  const int client_height = button_top + button_height + margin;

  const HWND view = CreateWindowExA(
      0, kForecastViewClass, "",
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | (scrolls ? WS_VSCROLL : 0), margin, margin,
      view_width, view_height, box, reinterpret_cast<HMENU>(kForecastViewId), instance, nullptr);
  SetWindowLongPtrA(view, GWLP_USERDATA, line);
  if (scrolls) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = text_rect.bottom - 1;
    info.nPage = static_cast<UINT>(view_height);
    SetScrollInfo(view, SB_VERT, &info, FALSE);
  }
  const HWND label = CreateWindowExA(
      0, "STATIC", shown.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0,
      0, text_rect.right, text_rect.bottom, view, nullptr, instance, nullptr);
  const HWND ok =
      CreateWindowExA(0, "BUTTON", std::string(kOkCaption).c_str(),
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                      (client_width - button_width) / 2, button_top, button_width, button_height,
                      box, reinterpret_cast<HMENU>(IDOK), instance, nullptr);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetPropA(ok, kButtonProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrA(ok, GWLP_WNDPROC)));
  SetWindowLongPtrA(ok, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForecastButtonProc));

  RECT frame{0, 0, client_width, client_height};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
  SetWindowPos(box, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return box;
}

class RealMessageBoxes : public MessageBoxes {
 public:
  void ShowError(HWND owner, std::string_view text) override {
    CentredMessageBox(owner, text, std::string(kErrorBoxTitle), MB_ICONERROR);
  }
  void ShowInformation(HWND owner, std::string_view text) override {
    CentredMessageBox(owner, text, std::string(kInformationBoxTitle), MB_ICONINFORMATION);
  }
  void ShowForecast(HWND owner, std::string_view title, std::string_view text) override {
    const HWND box = MakeForecastBox(owner, title, text);
    RunModal(owner, box);
  }
  void ShowUncaughtError(HWND owner, std::string_view title, std::string_view message) override {
    CentredMessageBox(owner, message, std::string(title), MB_ICONSTOP);
  }
  int RunModal(HWND owner, HWND dialog) override { return RunModalLoop(owner, dialog); }
};

MessageBoxes* installed_boxes = nullptr;
HWND scoped_owner = nullptr;

}  // namespace

MessageBoxes& Boxes() {
  static RealMessageBoxes real;
  return installed_boxes ? *installed_boxes : real;
}

void InstallMessageBoxes(MessageBoxes* boxes) { installed_boxes = boxes; }

void EndModal(HWND dialog, int result) {
  for (ModalRun* run : ModalRuns()) {
    if (run->dialog == dialog) {
      run->result = result;
      GiveBackOwner(*run);
    }
  }
  DestroyWindow(dialog);
}

HWND BoxOwner(HWND owner) { return scoped_owner ? scoped_owner : owner; }

BoxOwnerScope::BoxOwnerScope(HWND dialog) : outer_(scoped_owner) { scoped_owner = dialog; }

BoxOwnerScope::~BoxOwnerScope() { scoped_owner = outer_; }
