#include "win32/dialog_layout.h"

#include <commctrl.h>

namespace {

// GetDpiForWindow came with Windows 10 (1607); on older systems the screen's
// dpi is the only one there is.
int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (window != nullptr && get_dpi_for_window != nullptr) {
    const UINT dpi = get_dpi_for_window(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

DialogScale DialogScale::For(HWND owner) { return DialogScale(WindowDpi(owner)); }

DialogFont::DialogFont(const char* face, int pixel_height, const DialogScale& scale, bool bold,
                       BYTE charset)
    // A negative height asks for the character height, leading excluded.
    : font_(CreateFontA(-scale(pixel_height), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                        FALSE, charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_DONTCARE, face)) {}

DialogFont::~DialogFont() {
  if (font_ != nullptr) DeleteObject(font_);
}

HWND MakeControl(HWND parent, const char* window_class, const char* text, DWORD style, int id,
                 LayoutRect place, const DialogScale& scale, HFONT font, DWORD ex_style) {
  HWND control = CreateWindowExA(ex_style, window_class, text, WS_CHILD | WS_VISIBLE | style,
                                 scale(place.left), scale(place.top), scale(place.width),
                                 scale(place.height), parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), DialogModule(),
                                 nullptr);
  if (control != nullptr && font != nullptr) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return control;
}

int TextWidth(HFONT font, std::string_view text) {
  HDC dc = GetDC(nullptr);
  if (dc == nullptr) return 0;
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cx;
}

void SizeAndCentre(HWND window, int width, int height, HWND owner) {
  // The frame's size is measured rather than computed, so it holds for any
  // caption height and border the system draws.
  RECT frame{}, client{};
  GetWindowRect(window, &frame);
  GetClientRect(window, &client);
  const int outer_width = width + (frame.right - frame.left) - client.right;
  const int outer_height = height + (frame.bottom - frame.top) - client.bottom;

  HMONITOR monitor = owner != nullptr ? MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY)
                                      : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoA(monitor, &info)) area = info.rcWork;
  const int left = area.left + ((area.right - area.left) - outer_width) / 2;
  const int top = area.top + ((area.bottom - area.top) - outer_height) / 2;
  SetWindowPos(window, nullptr, left, top, outer_width, outer_height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

HINSTANCE DialogModule() { return GetModuleHandleA(nullptr); }

void RegisterDialogClass(const char* name, WNDPROC procedure, bool control) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(DialogModule(), name, &existing)) return;
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = DialogModule();
  window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  // A control paints every pixel itself; a dialog's face is plain.
  window_class.hbrBackground = control ? nullptr : reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = name;
  RegisterClassExA(&window_class);
}

HWND MakeToolTips(HWND dialog, const DialogScale& scale) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  HWND tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, DialogModule(),
                              nullptr);
  // A maximum width is what makes the control break lines at '\n'.
  if (tips != nullptr) SendMessageA(tips, TTM_SETMAXTIPWIDTH, 0, scale(480));
  return tips;
}

void AddToolTip(HWND tips, HWND dialog, HWND control, const char* text) {
  if (tips == nullptr || control == nullptr) return;
  TTTOOLINFOA tool{};
  // The size every version of the common controls knows, with or without
  // a manifest asking for version 6.
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<char*>(text);
  SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void TrimSystemMenu(HWND dialog) {
  HMENU menu = GetSystemMenu(dialog, FALSE);
  if (menu == nullptr) return;
  for (UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}) {
    DeleteMenu(menu, command, MF_BYCOMMAND);
  }
}

void MoveDialogFocus(HWND dialog, WPARAM wparam, LPARAM lparam) {
  HWND next = LOWORD(lparam) != 0 ? reinterpret_cast<HWND>(wparam)
                                  : GetNextDlgTabItem(dialog, GetFocus(), wparam != 0);
  if (next != nullptr) SetFocus(next);
}

void KeepDialogFocus(HWND dialog, WPARAM wparam, HWND* saved, HWND first) {
  if (LOWORD(wparam) == WA_INACTIVE) {
    HWND focused = GetFocus();
    if (focused != nullptr && IsChild(dialog, focused)) *saved = focused;
    return;
  }
  SetFocus(*saved != nullptr && IsWindow(*saved) ? *saved : first);
}
