// Registering the program's window classes.
#pragma once

#include <windows.h>

struct WindowClass {
  HINSTANCE instance;
  const char* name;
  WNDPROC procedure;
  HBRUSH background = nullptr;  // none: the window paints every pixel
  UINT style = 0;
  int icon = 0;  // the resource of the class's icons; 0 for none
};

// Registers `window_class` with an arrow for its cursor, unless its module
// has a class of that name already (a second window, or a test making the
// window anew).
inline void RegisterWindowClass(const WindowClass& window_class) {
  WNDCLASSEXA registered{};
  registered.cbSize = sizeof registered;
  if (GetClassInfoExA(window_class.instance, window_class.name, &registered)) return;
  registered = {};
  registered.cbSize = sizeof registered;
  registered.style = window_class.style;
  registered.lpfnWndProc = window_class.procedure;
  registered.hInstance = window_class.instance;
  registered.hCursor = LoadCursor(nullptr, IDC_ARROW);
  registered.hbrBackground = window_class.background;
  registered.lpszClassName = window_class.name;
  if (window_class.icon != 0) {
    const auto icon = [&](int width, int height) {
      return static_cast<HICON>(LoadImageA(window_class.instance,
                                           MAKEINTRESOURCEA(window_class.icon), IMAGE_ICON,
                                           GetSystemMetrics(width), GetSystemMetrics(height), 0));
    };
    registered.hIcon = icon(SM_CXICON, SM_CYICON);
    registered.hIconSm = icon(SM_CXSMICON, SM_CYSMICON);
  }
  RegisterClassExA(&registered);
}
