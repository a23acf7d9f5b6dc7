#include "win32/options_dialog.h"

#include <commctrl.h>

#include <exception>
#include <string>

#include "strip/options_form.h"
#include "win32/boxes.h"
#include "win32/color_grid.h"
#include "win32/dialog_access.h"
#include "win32/dialog_layout.h"

namespace {

constexpr char kOptionsClass[] = "MarrowbyOptionsDialog";

// The panel that groups the options, in layout pixels: a sunken outer and a
// raised inner bevel, drawn on the dialog's face.
constexpr LayoutRect kPanel1{4, 4, 227, 182};
// Places inside the panel are given relative to it.
constexpr LayoutRect InPanel(int left, int top, int width, int height) {
  return {kPanel1.left + left, kPanel1.top + top, width, height};
}

struct OptionsWindow {
  OptionsWindow(TfrmOptions& form, std::string_view title, const DialogScale& scale)
      : form(form), title(title), scale(scale), font("MS Sans Serif", 11, scale) {}

  TfrmOptions& form;
  std::string title;
  DialogScale scale;
  DialogFont font;
  HWND focus = nullptr;  // the control that had the focus when the dialog was left
};

OptionsWindow* OptionsOf(HWND dialog) {
  return reinterpret_cast<OptionsWindow*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

bool Checked(HWND dialog, int id) {
  return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND dialog, int id, bool on) {
  SendDlgItemMessageA(dialog, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// A label in the panel at (left, top), as wide as its text.
HWND MakeLabel(HWND dialog, const OptionsWindow& window, int id, const char* text, int left,
               int top) {
  const DialogScale& scale = window.scale;
  const int width = MulDiv(TextWidth(window.font.Get(), text), 96, scale.Dpi()) + 1;
  return MakeControl(dialog, "STATIC", text, SS_LEFT | SS_NOPREFIX | WS_GROUP, id,
                     InPanel(left, top, width, 13), scale, window.font.Get());
}

HWND MakeCheckBox(HWND dialog, const OptionsWindow& window, int id, const char* caption,
                  LayoutRect place, DWORD group) {
  return MakeControl(dialog, "BUTTON", caption, BS_AUTOCHECKBOX | WS_TABSTOP | group, id, place,
                     window.scale, window.font.Get());
}

void MakeControls(HWND dialog, OptionsWindow& window) {
  TfrmOptions& form = window.form;
  const DialogScale& scale = window.scale;
  HFONT font = window.font.Get();

  // Window order is keyboard order; each label stands just before the control
  // it names, which is where screen readers look for a control's name.
  MakeLabel(dialog, window, kOptionsLabel1, "Scroll Faster", 8, 13);
  HWND scroll = MakeControl(dialog, TRACKBAR_CLASSA, "Scroll speed",
                            TBS_HORZ | TBS_NOTICKS | WS_TABSTOP | WS_GROUP, kOptionsScroll,
                            InPanel(70, 15, 96, 17), scale, font);
  // The position is the ticker's step interval in milliseconds, so the left
  // end, the shortest interval, is the fastest ticker.
  SendMessageA(scroll, TBM_SETRANGEMIN, FALSE, TfrmOptions::kFastest);
  SendMessageA(scroll, TBM_SETRANGEMAX, FALSE, TfrmOptions::kSlowest);
  SendMessageA(scroll, TBM_SETLINESIZE, 0, 1);
  SendMessageA(scroll, TBM_SETPAGESIZE, 0, 2);
  SendMessageA(scroll, TBM_SETPOS, TRUE, form.tbScroll);
  SetAccessibleText(scroll, AccessibleText::kName, "Scroll speed");
  SetAccessibleText(scroll, AccessibleText::kDescription,
                    "Controls speed of scrolling text: left faster, right slower");
  MakeLabel(dialog, window, kOptionsLabel2, "Slower", 170, 13);

  MakeCheckBox(dialog, window, kOptionsBold, "&Bold Font", InPanel(120, 47, 76, 17), WS_GROUP);
  MakeLabel(dialog, window, kOptionsLabel3, "Color Scheme:", 8, 47);
  form.cGrid.SetGridOrdering(TGridOrdering::go8x2);
  const LayoutRect grid_place = InPanel(8, 65, 176, 40);
  HWND grid = MakeColorGrid(dialog, kOptionsGrid, form.cGrid, scale(grid_place.left),
                            scale(grid_place.top), scale(grid_place.width), scale(grid_place.height));
  SendMessageA(grid, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SetAccessibleText(grid, AccessibleText::kName, "Color Scheme:");

  MakeCheckBox(dialog, window, kOptionsShowTask, "&Scroll Forecast in Task Bar",
               InPanel(9, 115, 202, 19), WS_GROUP);
  MakeCheckBox(dialog, window, kOptionsOnStart, "&Update on Startup", InPanel(9, 135, 202, 19), 0);
  MakeCheckBox(dialog, window, kOptionsAltSite, "Use &alternate data source",
               InPanel(9, 155, 202, 19), 0);

  // BS_NOTIFY: the dialog hears which button has the focus, to make it the
  // one Enter presses.
  MakeControl(dialog, "BUTTON", "OK", BS_DEFPUSHBUTTON | BS_NOTIFY | WS_TABSTOP | WS_GROUP,
              kOptionsOk, {105, 198, 62, 25}, scale, font);
  MakeControl(dialog, "BUTTON", "Cancel", BS_PUSHBUTTON | BS_NOTIFY | WS_TABSTOP, kOptionsCancel,
              {170, 198, 62, 25}, scale, font);

  SetChecked(dialog, kOptionsBold, form.chkBold);
  SetChecked(dialog, kOptionsShowTask, form.chkShowTask);
  SetChecked(dialog, kOptionsOnStart, form.chkOnStart);
  SetChecked(dialog, kOptionsAltSite, form.chkAltSite);

  HWND tips = MakeToolTips(dialog, scale);
  AddToolTip(tips, dialog, scroll, "Controls speed of scrolling text");
  AddToolTip(tips, dialog, GetDlgItem(dialog, kOptionsBold),
             "Toggles bold or normal font in forecast window");
  AddToolTip(tips, dialog, grid,
             "Left Click to select Foreground, Right Click to select background\n"
             "Keyboard: arrow keys move, F or Space selects Foreground, B background");
  AddToolTip(tips, dialog, GetDlgItem(dialog, kOptionsShowTask),
             "Toggle scrolling of forecast in taskbar button");
  AddToolTip(tips, dialog, GetDlgItem(dialog, kOptionsOnStart),
             "Toggles auto-update upon startup");
  AddToolTip(tips, dialog, GetDlgItem(dialog, kOptionsAltSite),
             "Check this if the current source is slow or times out");
}

// Enter presses the push button that has the focus, else OK; the one it
// presses is drawn as the default button.
void FollowFocusedButton(HWND dialog, HWND focused_button) {
  HWND ok = GetDlgItem(dialog, kOptionsOk);
  HWND cancel = GetDlgItem(dialog, kOptionsCancel);
  const bool cancel_default = focused_button == cancel;
  SendMessageA(ok, BM_SETSTYLE, cancel_default ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON, TRUE);
  SendMessageA(cancel, BM_SETSTYLE, cancel_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void PressOk(HWND dialog, OptionsWindow& window) {
  try {
    window.form.btnOkClick();
  } catch (const std::exception& error) {
    // The entries written before the error stay written; the user may press
    // OK again or cancel.
    Boxes().ShowUncaughtError(dialog, window.title, std::string(error.what()) + ".");
    return;
  }
  EndModal(dialog, IDOK);
}

void OnCommand(HWND dialog, OptionsWindow& window, int id, int code, HWND control) {
  TfrmOptions& form = window.form;
  switch (id) {
    case kOptionsOk:
    case kOptionsCancel:
      if (code == BN_SETFOCUS) {
        FollowFocusedButton(dialog, control);
      } else if (code == BN_KILLFOCUS) {
        FollowFocusedButton(dialog, nullptr);
      } else if (code == BN_CLICKED) {
        if (id == kOptionsOk) {
          PressOk(dialog, window);
        } else {
          EndModal(dialog, IDCANCEL);
        }
      }
      return;
    case kOptionsBold:
      if (code == BN_CLICKED) form.chkBold = Checked(dialog, id);
      return;
    case kOptionsShowTask:
      if (code == BN_CLICKED) form.chkShowTask = Checked(dialog, id);
      return;
    case kOptionsOnStart:
      if (code == BN_CLICKED) form.chkOnStart = Checked(dialog, id);
      return;
    case kOptionsAltSite:
      if (code == BN_CLICKED) form.chkAltSite = Checked(dialog, id);
      return;
  }
}

void PaintPanel(HWND dialog, const OptionsWindow& window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  const DialogScale& scale = window.scale;
  RECT panel{scale(kPanel1.left), scale(kPanel1.top), scale(kPanel1.left + kPanel1.width),
             scale(kPanel1.top + kPanel1.height)};
  DrawEdge(dc, &panel, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
  EndPaint(dialog, &paint);
}

LRESULT CALLBACK OptionsProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(
                          reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
    return DefWindowProcA(dialog, message, wparam, lparam);
  }
  OptionsWindow* window = OptionsOf(dialog);
  if (window == nullptr) return DefWindowProcA(dialog, message, wparam, lparam);

  switch (message) {
    case WM_COMMAND:
      OnCommand(dialog, *window, LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lparam) == GetDlgItem(dialog, kOptionsScroll)) {
        window->form.SetScrollPosition(static_cast<int>(
            SendMessageA(reinterpret_cast<HWND>(lparam), TBM_GETPOS, 0, 0)));
      }
      return 0;
    case WM_CLOSE:
      EndModal(dialog, IDCANCEL);
      return 0;
    case WM_PAINT:
      PaintPanel(dialog, *window);
      return 0;

    // What a dialog does for IsDialogMessageA.
    case DM_GETDEFID: {
      const bool cancel = GetFocus() == GetDlgItem(dialog, kOptionsCancel);
      return MAKELRESULT(cancel ? kOptionsCancel : kOptionsOk, DC_HASDEFID);
    }
    case WM_NEXTDLGCTL:
      MoveDialogFocus(dialog, wparam, lparam);
      return 0;
    case WM_ACTIVATE:
      // Coming back to the dialog gives the focus back to the control that
      // had it; the first time, to the track bar.
      KeepDialogFocus(dialog, wparam, &window->focus, GetDlgItem(dialog, kOptionsScroll));
      return 0;
    case WM_DESTROY:
      ClearAccessibleTexts(GetDlgItem(dialog, kOptionsScroll));
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcA(dialog, message, wparam, lparam);
}

}  // namespace

void RunOptionsDialog(HWND owner, TfrmOptions& form, std::string_view application_title) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterDialogClass(kOptionsClass, OptionsProcedure, false);
  const DialogComScope com;
  OptionsWindow window(form, application_title, DialogScale::For(owner));

  // A fixed single border with the system menu and the close box only.
  HWND dialog = CreateWindowExA(WS_EX_CONTROLPARENT, kOptionsClass, "Options",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0, 100,
                                100, owner, nullptr, DialogModule(), &window);
  if (dialog == nullptr) return;
  TrimSystemMenu(dialog);
  SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(window.font.Get()), FALSE);
  MakeControls(dialog, window);
  SizeAndCentre(dialog, window.scale(237), window.scale(231), owner);

  Boxes().RunModal(owner, dialog);
  // A run that ended otherwise (the program is told to end) leaves the window.
  if (IsWindow(dialog)) DestroyWindow(dialog);
}
