#include "win32/about/about_box.h"

#include "win32/ui/dialog_access.h"
#include "win32/ui/dialog_layout.h"
#include "win32/ui/message_boxes.h"
#include "win32/ui/resource_ids.h"

namespace {

constexpr char kAboutClass[] = "MarrowbyAboutBox";

HICON ProgramIcon(int size) {
  return static_cast<HICON>(LoadImageA(DialogModule(), MAKEINTRESOURCEA(kProgramIcon), IMAGE_ICON,
                                       size, size, LR_DEFAULTCOLOR));
}

// The box's icons in its title bar, given back after the box is gone.
struct Icons {
  Icons() = default;
  ~Icons() {
    for (HICON icon : {big, little}) {
      if (icon != nullptr) DestroyIcon(icon);
    }
  }
  Icons(const Icons&) = delete;
  Icons& operator=(const Icons&) = delete;

  HICON big = nullptr;
  HICON little = nullptr;
};

struct AboutWindow {
  explicit AboutWindow(HWND owner) : table(kAboutDesign, owner) {}

  Icons icons;
  TableForm table;
};

AboutWindow* AboutOf(HWND box) {
  return reinterpret_cast<AboutWindow*>(GetWindowLongPtrA(box, GWLP_USERDATA));
}

LRESULT CALLBACK AboutProcedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(
        box, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
    return DefWindowProcA(box, message, wparam, lparam);
  }
  AboutWindow* window = AboutOf(box);
  if (window == nullptr) return DefWindowProcA(box, message, wparam, lparam);

  LRESULT result = 0;
  if (window->table.Answer(box, message, wparam, lparam, &result)) return result;
  switch (message) {
    case WM_COMMAND:
      // The default button (OK) closes the box; the result means nothing.
      // Esc comes as IDCANCEL and has nothing to press.
      if (LOWORD(wparam) == IDOK && HIWORD(wparam) == BN_CLICKED) EndModal(box, IDCANCEL);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(box, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcA(box, message, wparam, lparam);
}

}  // namespace

void RunAboutBox(HWND owner) {
  const DialogComScope com;
  AboutWindow window(owner);
  window.icons.big = ProgramIcon(GetSystemMetrics(SM_CXICON));
  window.icons.little = ProgramIcon(GetSystemMetrics(SM_CXSMICON));
  HWND box = window.table.Make(kAboutClass, AboutProcedure, &window);
  if (box == nullptr) return;
  if (window.icons.big != nullptr) {
    SendMessageA(box, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(window.icons.big));
  }
  if (window.icons.little != nullptr) {
    SendMessageA(box, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(window.icons.little));
  }
  Boxes().RunModal(owner, box);
}
