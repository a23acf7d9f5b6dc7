#include "win32/options/options_dialog.h"

#include <commctrl.h>

#include "strip/options_form.h"
#include "win32/options/color_grid.h"
#include "win32/ui/dialog_access.h"
#include "win32/ui/dialog_layout.h"
#include "win32/ui/message_boxes.h"

namespace {

constexpr char kOptionsClass[] = "MarrowbyOptionsDialog";

struct OptionsWindow {
  OptionsWindow(TfrmOptions& form, HWND owner) : form(form), table(kOptionsDesign, owner) {}

  TfrmOptions& form;
  TableForm table;
};

OptionsWindow* OptionsOf(HWND dialog) {
  return reinterpret_cast<OptionsWindow*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

// The track bar, the one of its kind in the table.
HWND TrackBar(const TableForm& table) {
  for (const FormControl& control : kOptionsDesign.controls) {
    if (control.kind == ControlKind::kTrackBar) return table.Control(control.name);
  }
  return nullptr;
}

void ShowValues(OptionsWindow& window) {
  TfrmOptions& form = window.form;
  HWND scroll = TrackBar(window.table);
  SendMessageA(scroll, TBM_SETRANGEMIN, FALSE, kScrollTrackBar.min);
  SendMessageA(scroll, TBM_SETRANGEMAX, FALSE, kScrollTrackBar.max);
  SendMessageA(scroll, TBM_SETLINESIZE, 0, kScrollTrackBar.line_step);
  SendMessageA(scroll, TBM_SETPAGESIZE, 0, kScrollTrackBar.page_step);
  SendMessageA(scroll, TBM_SETPOS, TRUE, form.tbScroll);
  for (const FormControl& control : kOptionsDesign.controls) {
    if (const bool* value = form.CheckBox(control.name)) {
      SendMessageA(window.table.Control(control.name), BM_SETCHECK,
                   *value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
}

void OnClick(HWND dialog, OptionsWindow& window, int id, HWND control) {
  const FormControl* clicked = FormControlOf(kOptionsDesign, id);
  if (clicked == nullptr) return;
  if (clicked->Has(kDefaultButton)) {
    // A store error is shown, over the dialog, and keeps it open; the
    // entries written before it stay written.
    bool close = false;
    {
      const BoxOwnerScope owner(dialog);
      close = window.form.OkClick();
    }
    if (close) EndModal(dialog, IDOK);
  } else if (bool* value = window.form.CheckBox(clicked->name)) {
    *value = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
}

LRESULT CALLBACK OptionsProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(
        dialog, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
    return DefWindowProcA(dialog, message, wparam, lparam);
  }
  OptionsWindow* window = OptionsOf(dialog);
  if (window == nullptr) return DefWindowProcA(dialog, message, wparam, lparam);

  LRESULT result = 0;
  if (window->table.Answer(dialog, message, wparam, lparam, &result)) return result;
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) {
        OnClick(dialog, *window, LOWORD(wparam), reinterpret_cast<HWND>(lparam));
      }
      return 0;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lparam) == TrackBar(window->table)) {
        window->form.SetScrollPosition(
            static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lparam), TBM_GETPOS, 0, 0)));
      }
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcA(dialog, message, wparam, lparam);
}

}  // namespace

void RunOptionsDialog(HWND owner, TfrmOptions& form) {
  const DialogComScope com;
  OptionsWindow window(form, owner);
  HWND dialog = window.table.Make(
      kOptionsClass, OptionsProcedure, &window,
      [&form](const FormControl&, HWND parent, int id, int x, int y, int width, int height) {
        return MakeColorGrid(parent, id, form.cGrid, x, y, width, height);
      });
  if (dialog == nullptr) return;
  ShowValues(window);
  Boxes().RunModal(owner, dialog);
  // A run that ended otherwise (the program is told to end) leaves the window,
  // which the table destroys.
}
