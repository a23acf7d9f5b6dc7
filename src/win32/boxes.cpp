// The real boxes (the system's message box, and a small box of our own for
// the forecast, which must wrap at half the screen's width) and the modal
// run that every box and dialog of the program goes through.
#include "win32/boxes.h"

#include <algorithm>
#include <string>
#include <vector>

#include "strip/form_design.h"

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

void RegisterForecastBoxClass(HINSTANCE instance) {
  WNDCLASSEXA window_class{};
  if (GetClassInfoExA(instance, kForecastBoxClass, &window_class)) return;
  window_class.cbSize = sizeof(window_class);
  window_class.lpszClassName = kForecastBoxClass;
  window_class.hInstance = instance;
  window_class.lpfnWndProc = ForecastBoxProc;
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassExA(&window_class);
}

// The box the system's message box would be, but wrapping the text at half
// the screen's width: a caption with only a close box, the text in the
// message font, one "OK" that Enter and Esc press.
HWND MakeForecastBox(HWND owner, std::string_view title, std::string_view text) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterForecastBoxClass(instance);
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
  if (!shown.empty()) {
    DrawTextA(dc, shown.data(), static_cast<int>(shown.size()), &text_rect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_EXPANDTABS);
  } else {
    text_rect.right = 0;
  }
  SelectObject(dc, old_font);
  ReleaseDC(box, dc);
  // Never taller than the work area: the end of a very long text is cut.
  const int text_height = std::min<int>(text_rect.bottom, (work.bottom - work.top) * 3 / 4);
  const int client_width = std::max<int>(text_rect.right + 2 * margin, button_width + 2 * margin);
  const int button_top = (shown.empty() ? 0 : text_height + margin) + margin;
  const int client_height = button_top + button_height + margin;

  const HWND label = CreateWindowExA(
      0, "STATIC", shown.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL,
      margin, margin, text_rect.right, text_height, box, nullptr, instance, nullptr);
  const HWND ok =
      CreateWindowExA(0, "BUTTON", std::string(kOkCaption).c_str(),
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                      (client_width - button_width) / 2, button_top, button_width, button_height,
                      box, reinterpret_cast<HMENU>(IDOK), instance, nullptr);
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageA(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  RECT frame{0, 0, client_width, client_height};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
  SetWindowPos(box, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return box;
}

class RealBoxes : public Win32Boxes {
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

Win32Boxes* installed_boxes = nullptr;
HWND scoped_owner = nullptr;

}  // namespace

Win32Boxes& Boxes() {
  static RealBoxes real;
  return installed_boxes ? *installed_boxes : real;
}

void InstallBoxes(Win32Boxes* boxes) { installed_boxes = boxes; }

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
