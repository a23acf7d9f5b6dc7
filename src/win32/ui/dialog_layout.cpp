#include "win32/ui/dialog_layout.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "win32/ui/dialog_access.h"
#include "win32/ui/message_boxes.h"
#include "win32/ui/resource_ids.h"
#include "win32/ui/window_class.h"

namespace {

constexpr char kPanelClass[] = "MarrowbyFormPanel";
constexpr int kFirstControlId = 100;

// Faces that a system may lack, and what is drawn instead: the symbol font's
// signs are ordinary characters of the ANSI code page.
struct StandIn {
  std::string_view face;
  const char* stand_in;
};
constexpr StandIn kStandIns[] = {{"Symbol", "Arial"}};

// GetDpiForWindow came with Windows 10 (1607); on older systems the screen's
// dpi is the only one there is.
int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window =
      reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (window != nullptr && get_dpi_for_window != nullptr) {
    const UINT dpi = get_dpi_for_window(window);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

HFONT CreateFace(const char* face, int height, bool bold) {
  // A negative height asks for the character height, leading excluded.
  return CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

// A plate with a lowered outer and a raised inner bevel, on the form's face;
// the controls on it are its siblings above it.
LRESULT CALLBACK PanelProcedure(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(panel, &paint);
      RECT area;
      GetClientRect(panel, &area);
      FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
      DrawEdge(dc, &area, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
      EndPaint(panel, &paint);
      return 0;
    }
    case WM_NCHITTEST:
      return HTTRANSPARENT;
  }
  return DefWindowProcA(panel, message, wparam, lparam);
}

HWND MakeToolTips(HWND form, const DialogScale& scale) {
  HWND tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                              WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, form, nullptr, DialogModule(), nullptr);
  // A maximum width is what makes the control break lines at '\n'.
  if (tips != nullptr) SendMessageA(tips, TTM_SETMAXTIPWIDTH, 0, scale(480));
  return tips;
}

void AddToolTip(HWND tips, HWND form, HWND control, std::string_view text) {
  if (tips == nullptr || control == nullptr) return;
  std::string shown(text);
  TTTOOLINFOA tool{};
  // The size every version of the common controls knows, with or without
  // a manifest asking for version 6.
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = form;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = shown.data();
  SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

// Removes the system menu's commands that a fixed-size form has no use for
// (Restore, Size, Minimize, Maximize), leaving Move and Close.
void TrimSystemMenu(HWND form) {
  HMENU menu = GetSystemMenu(form, FALSE);
  if (menu == nullptr) return;
  for (UINT command : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}) {
    DeleteMenu(menu, command, MF_BYCOMMAND);
  }
}

// The size in pixels of `text` drawn in `font` on one line.
SIZE TextSize(HFONT font, std::string_view text) {
  SIZE size{};
  HDC dc = GetDC(nullptr);
  if (dc == nullptr) return size;
  HGDIOBJ old = SelectObject(dc, font);
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

// Gives the top-level `window` a client area of `width` by `height` pixels
// and centres it on the work area of the monitor that shows `owner` (the
// primary monitor without one).
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

bool IsPushButton(HWND control) {
  char name[16] = "";
  GetClassNameA(control, name, sizeof name);
  const LONG_PTR type = GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK;
  return lstrcmpiA(name, "BUTTON") == 0 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

}  // namespace

// ---------------------------------------------------------------------------
// Scale and fonts

DialogScale DialogScale::For(HWND owner) { return DialogScale(WindowDpi(owner)); }

DialogFont::DialogFont(const FormFont& font, const DialogScale& scale)
    : color_(RGB(font.color.red, font.color.green, font.color.blue)) {
  const std::string face(font.face);
  font_ = CreateFace(face.c_str(), scale(font.pixel_height), font.bold);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font_);
  char chosen[LF_FACESIZE] = "";
  GetTextFaceA(dc, LF_FACESIZE, chosen);
  SelectObject(dc, old);
  const bool missing = lstrcmpiA(chosen, face.c_str()) != 0;
  for (const StandIn& stand_in : kStandIns) {
    if (missing && stand_in.face == font.face) {
      DeleteObject(font_);
      font_ = CreateFace(stand_in.stand_in, scale(font.pixel_height), font.bold);
    }
  }
  old = SelectObject(dc, font_);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  ascent_ = metrics.tmAscent;
  symbol_encoded_ = GetTextCharset(dc) == SYMBOL_CHARSET;
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
}

DialogFont::~DialogFont() {
  if (font_ != nullptr) DeleteObject(font_);
}

std::string DialogFont::Drawn(std::string_view text) const {
  std::string drawn(text);
  if (!symbol_encoded_) return drawn;
  // The copyright and registered signs are at codes of the font's own.
  for (char& c : drawn) {
    if (c == '\xA9') c = '\xD3';
    if (c == '\xAE') c = '\xD2';
  }
  return drawn;
}

// ---------------------------------------------------------------------------
// Identifiers

int FormControlId(const FormDesign& design, std::string_view name) {
  const FormControl& control = design.Control(name);
  if (control.Has(kDefaultButton)) return IDOK;
  if (control.Has(kCancelButton)) return IDCANCEL;
  return kFirstControlId + static_cast<int>(&control - design.controls.data());
}

const FormControl* FormControlOf(const FormDesign& design, int id) {
  for (const FormControl& control : design.controls) {
    if (FormControlId(design, control.name) == id) return &control;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// The form

TableForm::TableForm(const FormDesign& design, HWND owner)
    : design_(design),
      owner_(owner),
      scale_(DialogScale::For(owner)),
      form_font_(design.font, scale_) {
  for (const FormControl& control : design_.controls) {
    fonts_.push_back(control.font ? std::make_unique<DialogFont>(*control.font, scale_) : nullptr);
  }
}

TableForm::~TableForm() {
  if (form_ != nullptr && IsWindow(form_)) DestroyWindow(form_);
  if (icon_ != nullptr) DestroyIcon(icon_);
}

const DialogFont& TableForm::FontOf(std::size_t index) const {
  return fonts_[index] ? *fonts_[index] : form_font_;
}

std::size_t TableForm::IndexOf(int id) const {
  const FormControl* control = FormControlOf(design_, id);
  return control ? static_cast<std::size_t>(control - design_.controls.data())
                 : design_.controls.size();
}

HWND TableForm::Control(std::string_view name) const {
  return GetDlgItem(form_, FormControlId(design_, name));
}

HWND TableForm::Make(const char* window_class, WNDPROC procedure, void* data,
                     const ControlMaker& make) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterDialogClass(window_class, procedure, false);
  // A dialog: a fixed single border with the system menu and the close box
  // only. A tool window: a small fixed title bar without buttons.
  const bool tool = design_.frame == FormFrame::kToolWindow;
  const DWORD ex_style = WS_EX_CONTROLPARENT | (tool ? WS_EX_TOOLWINDOW : 0);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN | (tool ? 0 : WS_SYSMENU);
  form_ = CreateWindowExA(ex_style, window_class, std::string(design_.caption).c_str(), style, 0, 0,
                          100, 100, owner_, nullptr, DialogModule(), data);
  if (form_ == nullptr) return nullptr;
  if (!tool) TrimSystemMenu(form_);
  SendMessageA(form_, WM_SETFONT, reinterpret_cast<WPARAM>(form_font_.Get()), FALSE);
  MakeControls(make);
  SizeAndCentre(form_, scale_(design_.client_width), scale_(design_.client_height), owner_);
  return form_;
}

void TableForm::MakeControls(const ControlMaker& make) {
  const auto& table = design_.controls;
  HWND tips = nullptr;
  std::vector<HWND> panels;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const FormControl& control = table[i];
    const DialogFont& font = FontOf(i);
    const int id = FormControlId(design_, control.name);
    const std::string caption(control.caption);

    // The place, in the form's client pixels: a control on a panel is
    // placed relative to it; a label as wide as its text at least, and as
    // high where the table leaves its height to it.
    FormPlace place = control.place;
    if (!control.parent.empty()) {
      const FormPlace& parent = design_.Control(control.parent).place;
      place.left += parent.left;
      place.top += parent.top;
    }
    int left = scale_(place.left);
    const int top = scale_(place.top);
    int width = scale_(place.width);
    int height = scale_(place.height);
    if (control.kind == ControlKind::kLabel) {
      const SIZE text = TextSize(font.Get(), font.Drawn(caption));
      width = std::max(width, static_cast<int>(text.cx) + 1);
      if (height == 0) height = text.cy;
    }
    if (control.Has(kAfterPrevious) && i > 0) {
      // One blank, in the line's font, after the previous piece.
      std::size_t line = i;
      while (line > 0 && table[line].Has(kAfterPrevious)) --line;
      RECT previous;
      GetWindowRect(Control(table[i - 1].name), &previous);
      MapWindowPoints(nullptr, form_, reinterpret_cast<POINT*>(&previous), 2);
      left = previous.right - 1 + TextSize(FontOf(line).Get(), " ").cx;
    }

    // The window: its kind's class and look. Controls of one kind in a row
    // are one group, which the arrow keys move within.
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (control.Has(kTabStop)) style |= WS_TABSTOP;
    if (i == 0 || table[i - 1].kind != control.kind) style |= WS_GROUP;
    const char* window_class = "STATIC";
    switch (control.kind) {
      case ControlKind::kPanel:
        RegisterDialogClass(kPanelClass, PanelProcedure, true);
        window_class = kPanelClass;
        style |= WS_CLIPSIBLINGS;
        break;
      case ControlKind::kSeparator:
        style |= SS_ETCHEDHORZ;
        break;
      case ControlKind::kLabel:
        // Drawn by the form (DrawLabel): in its font and colour, on one
        // line, with a shadow where the table gives one.
        style |= SS_OWNERDRAW;
        break;
      case ControlKind::kTrackBar:
        window_class = TRACKBAR_CLASSA;
        style |= TBS_HORZ | TBS_NOTICKS;
        break;
      case ControlKind::kCheckBox:
        window_class = "BUTTON";
        style |= BS_AUTOCHECKBOX;
        break;
      case ControlKind::kButton:
        // BS_NOTIFY: the form hears which button has the focus, to make it
        // the one Enter presses.
        window_class = "BUTTON";
        style |= BS_NOTIFY | (control.Has(kDefaultButton) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
      case ControlKind::kPicture:
        style |= SS_ICON | SS_CENTERIMAGE;
        break;
      case ControlKind::kTextLine:
        // Read-only, so the system draws it on the form's face.
        window_class = "EDIT";
        style |= ES_LEFT | ES_READONLY | ES_AUTOHSCROLL;
        break;
      case ControlKind::kColorGrid:
        break;
    }
    HWND made = nullptr;
    if (control.kind == ControlKind::kColorGrid) {
      if (make) made = make(control, form_, id, left, top, width, height);
    } else {
      made = CreateWindowExA(0, window_class, caption.c_str(), style, left, top, width, height,
                             form_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             DialogModule(), nullptr);
    }
    if (made == nullptr) continue;
    SendMessageA(made, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    if (control.kind == ControlKind::kPanel) panels.push_back(made);
    if (control.kind == ControlKind::kPicture) {
      if (icon_ == nullptr) {
        icon_ = static_cast<HICON>(LoadImageA(DialogModule(), MAKEINTRESOURCEA(kProgramIcon),
                                              IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
      }
      if (icon_ != nullptr) SendMessageA(made, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
    }

    if (!control.tool_tip.empty()) {
      if (tips == nullptr) tips = MakeToolTips(form_, scale_);
      AddToolTip(tips, form_, made, control.tool_tip);
    }
    if (!control.accessible_name.empty()) {
      SetAccessibleText(made, AccessibleText::kName, control.accessible_name);
    }
    if (!control.accessible_description.empty()) {
      SetAccessibleText(made, AccessibleText::kDescription, control.accessible_description);
    }
    // A shadow repeats the text above it: screen readers read that once.
    if (control.Has(kShadow)) HideFromScreenReaders(made);
  }
  // The panels lie under the controls on them.
  for (HWND panel : panels) {
    SetWindowPos(panel, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TableForm::DrawLabel(const DRAWITEMSTRUCT& item) const {
  const auto& table = design_.controls;
  const std::size_t index = IndexOf(static_cast<int>(item.CtlID));
  if (index >= table.size()) return;
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(item.hDC, TRANSPARENT);
  // A shadow and the text it lies under are drawn together, the shadow
  // first, by each of the two: where they overlap, both show the same.
  std::size_t first = index;
  std::size_t last = index;
  if (table[index].Has(kShadow) && index + 1 < table.size()) last = index + 1;
  if (index > 0 && table[index - 1].Has(kShadow)) first = index - 1;
  for (std::size_t i = first; i <= last; ++i) DrawLabelText(item.hDC, item.hwndItem, i);
}

void TableForm::DrawLabelText(HDC dc, HWND target, std::size_t index) const {
  const auto& table = design_.controls;
  const FormControl& control = table[index];
  const DialogFont& font = FontOf(index);
  RECT place;
  GetWindowRect(Control(control.name), &place);
  MapWindowPoints(nullptr, target, reinterpret_cast<POINT*>(&place), 2);
  // The pieces of one line stand on its first piece's baseline.
  std::size_t line = index;
  while (line > 0 && table[line].Has(kAfterPrevious)) --line;
  OffsetRect(&place, 0, FontOf(line).Ascent() - font.Ascent());

  const std::string text = font.Drawn(control.caption);
  HGDIOBJ old = SelectObject(dc, font.Get());
  SetTextColor(dc, font.Color());
  RECT area = place;
  DrawTextA(dc, text.data(), static_cast<int>(text.size()), &area,
            DT_TOP | DT_SINGLELINE | DT_NOPREFIX | (control.Has(kCentred) ? DT_CENTER : DT_LEFT));
  SelectObject(dc, old);
}

void TableForm::FollowFocusedButton(HWND focused) const {
  // Enter presses the push button that has the focus, else the default
  // one; the one it presses is drawn as the default button.
  for (const FormControl& control : design_.controls) {
    if (control.kind != ControlKind::kButton) continue;
    HWND button = Control(control.name);
    const bool pressed = focused != nullptr ? button == focused : control.Has(kDefaultButton);
    SendMessageA(button, BM_SETSTYLE, pressed ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  }
}

bool TableForm::Answer(HWND form, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.CtlType != ODT_STATIC) return false;
      DrawLabel(item);
      *result = TRUE;
      return true;
    }
    case WM_COMMAND: {
      const int code = HIWORD(wparam);
      const HWND control = reinterpret_cast<HWND>(lparam);
      if (code == BN_SETFOCUS && IsPushButton(control)) {
        FollowFocusedButton(control);
        return true;
      }
      if (code == BN_KILLFOCUS && IsPushButton(control)) {
        FollowFocusedButton(nullptr);
        return true;
      }
      // The cancel button, and Esc where there is one.
      const FormControl* pressed = FormControlOf(design_, LOWORD(wparam));
      if (code == BN_CLICKED && pressed != nullptr && pressed->Has(kCancelButton)) {
        EndModal(form, IDCANCEL);
        return true;
      }
      return false;
    }
    case WM_CLOSE:
      EndModal(form, IDCANCEL);
      return true;
    // What a dialog does for IsDialogMessageA.
    case DM_GETDEFID: {
      HWND focused = GetFocus();
      int id = IDOK;
      if (focused != nullptr && GetParent(focused) == form && IsPushButton(focused)) {
        id = GetDlgCtrlID(focused);
      }
      *result = MAKELRESULT(id, DC_HASDEFID);
      return true;
    }
    case WM_NEXTDLGCTL: {
      // To the control given, or to the next (wparam 0) or previous tab stop.
      HWND next = LOWORD(lparam) != 0 ? reinterpret_cast<HWND>(wparam)
                                      : GetNextDlgTabItem(form, GetFocus(), wparam != 0);
      if (next != nullptr) SetFocus(next);
      return true;
    }
    case WM_ACTIVATE: {
      // Leaving the form remembers the focused control; coming back gives it
      // the focus again, the first time the first tab stop.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focused = GetFocus();
        if (focused != nullptr && IsChild(form, focused)) focus_ = focused;
        return true;
      }
      HWND first = nullptr;
      for (const FormControl& control : design_.controls) {
        if (control.Has(kTabStop)) {
          first = GetDlgItem(form, FormControlId(design_, control.name));
          break;
        }
      }
      SetFocus(focus_ != nullptr && IsWindow(focus_) ? focus_ : first);
      return true;
    }
    case WM_DESTROY:
      for (const FormControl& control : design_.controls) {
        ClearAccessibleTexts(GetDlgItem(form, FormControlId(design_, control.name)));
      }
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// Windows

HINSTANCE DialogModule() { return GetModuleHandleA(nullptr); }

void RegisterDialogClass(const char* name, WNDPROC procedure, bool control) {
  // A control paints every pixel itself; a dialog's face is plain.
  RegisterWindowClass(
      {.instance = DialogModule(),
       .name = name,
       .procedure = procedure,
       .background = control ? nullptr : reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)});
}
