#include "win32/ui/application.h"

#include <string>

#include "win32/ui/resource_ids.h"
#include "win32/ui/window_class.h"

namespace {

constexpr char kApplicationWindowClass[] = "MarrowbyWeatherApplication";

void RegisterApplicationClass(HINSTANCE instance) {
  // The icon is the taskbar button's picture.
  RegisterWindowClass({.instance = instance,
                       .name = kApplicationWindowClass,
                       .procedure = DefWindowProcA,  // replaced per window at creation
                       .icon = kProgramIcon});
}

}  // namespace

Application::Application(HINSTANCE instance) : instance_(instance) {
  RegisterApplicationClass(instance);
  // A captioned popup of no size in the middle of the screen: the taskbar
  // lists it, and it shows nothing of itself.
  hwnd_ = CreateWindowExA(0, kApplicationWindowClass, "",
                          WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS,
                          GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0,
                          0, nullptr, nullptr, instance, nullptr);
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

Application::~Application() {
  if (hwnd_) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void Application::SetTitle(std::string_view title) {
  SetWindowTextA(hwnd_, std::string(title).c_str());
}

void Application::ShowTaskbarButton() {
  if (!IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void Application::EndMessageLoops() {
  loops_ended_ = true;
  PostQuitMessage(0);
}

void Application::RunMessageLoop() {
  // Loops ended before this one started (the main window's creation closed
  // it) end the program here, without waiting for input.
  if (loops_ended_) return;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    if (loops_ended_) break;
  }
}

void Application::EndProcess(int exit_status) { ExitProcess(static_cast<UINT>(exit_status)); }

LRESULT CALLBACK Application::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* app = reinterpret_cast<Application*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!app) return DefWindowProcA(hwnd, message, wparam, lparam);
  return app->Handle(message, wparam, lparam);
}

LRESULT Application::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ACTIVATE:
      // A click on the taskbar button: the strip comes forward instead.
      if (LOWORD(wparam) != WA_INACTIVE && main_ && IsWindowVisible(main_) &&
          IsWindowEnabled(main_)) {
        SetActiveWindow(main_);
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      // Minimizing through the button puts the strip away and leaves the
      // button; restoring brings the strip back where it was.
      if ((wparam & 0xFFF0) == SC_MINIMIZE && main_ && IsWindowVisible(main_)) {
        ShowWindow(main_, SW_HIDE);
        ShowWindow(hwnd_, SW_MINIMIZE);
        return 0;
      }
      if ((wparam & 0xFFF0) == SC_RESTORE && main_ && IsIconic(hwnd_)) {
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        // Restored to no size, as it was.
        SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (!loops_ended_) {
          ShowWindow(main_, SW_SHOW);
          SetActiveWindow(main_);
        }
        return 0;
      }
      break;
    case WM_CLOSE:
      // Closing the button closes the strip, by the strip's own close path.
      if (main_) PostMessageA(main_, WM_CLOSE, 0, 0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd_, message, wparam, lparam);
}
