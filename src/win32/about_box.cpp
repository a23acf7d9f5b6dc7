#include "win32/about_box.h"

#include <algorithm>
#include <string>

#include "strip/about_texts.h"
#include "win32/boxes.h"
#include "win32/dialog_access.h"
#include "win32/dialog_layout.h"
#include "win32/resource_ids.h"

namespace {

constexpr char kAboutClass[] = "MarrowbyAboutBox";

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kGray = RGB(128, 128, 128);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// The copyright sign in the Symbol font's own encoding.
constexpr char kSymbolCopyright = '\xD3';

struct AboutWindow {
  explicit AboutWindow(const DialogScale& scale)
      : scale(scale),
        face("MS Sans Serif", 11, scale),
        text("Arial", 11, scale),
        bold("Arial", 11, scale, true),
        title("Arial", 19, scale),
        symbol("Symbol", 11, scale, false, SYMBOL_CHARSET) {}
  ~AboutWindow() {
    for (HICON icon : {big_icon, small_icon}) {
      if (icon != nullptr) DestroyIcon(icon);
    }
  }
  AboutWindow(const AboutWindow&) = delete;
  AboutWindow& operator=(const AboutWindow&) = delete;

  DialogScale scale;
  DialogFont face;
  DialogFont text;
  DialogFont bold;
  DialogFont title;
  DialogFont symbol;
  bool symbol_installed = false;  // else the sign is the ordinary one in Arial
  int title_width = 0;            // pixels, of each of the two title lines
  HICON big_icon = nullptr;
  HICON small_icon = nullptr;
  HWND focus = nullptr;
};

AboutWindow* AboutOf(HWND box) {
  return reinterpret_cast<AboutWindow*>(GetWindowLongPtrA(box, GWLP_USERDATA));
}

HICON ProgramIcon(int size) {
  return static_cast<HICON>(LoadImageA(DialogModule(), MAKEINTRESOURCEA(kProgramIcon),
                                       IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// Whether the system gave the Symbol font itself, not a stand-in that would
// draw another character at its code.
bool SymbolInstalled(HFONT symbol) {
  HDC dc = GetDC(nullptr);
  if (dc == nullptr) return false;
  HGDIOBJ old = SelectObject(dc, symbol);
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, LF_FACESIZE, face);
  const bool installed =
      GetTextCharset(dc) == SYMBOL_CHARSET && lstrcmpiA(face, "Symbol") == 0;
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return installed;
}

int Ascent(HFONT font) {
  HDC dc = GetDC(nullptr);
  if (dc == nullptr) return 0;
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return metrics.tmAscent;
}

// The width of the copyright sign as DrawCopyrightSign draws it.
int SignWidth(const AboutWindow& window) {
  if (window.symbol_installed) {
    return TextWidth(window.symbol.Get(), std::string_view(&kSymbolCopyright, 1));
  }
  HDC dc = GetDC(nullptr);
  if (dc == nullptr) return 0;
  HGDIOBJ old = SelectObject(dc, window.text.Get());
  SIZE size{};
  GetTextExtentPoint32W(dc, L"\u00A9", 1, &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size.cx;
}

// The copyright sign in the ANSI code page, for the label's window text that
// screen readers read; "(c)" where the code page has no such sign.
std::string AnsiCopyrightSign() {
  const wchar_t sign = 0x00A9;
  char bytes[8] = {};
  BOOL defaulted = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &sign, 1, bytes,
                                         sizeof bytes, nullptr, &defaulted);
  if (length <= 0 || defaulted) return "(c)";
  return std::string(bytes, static_cast<std::size_t>(length));
}

// A label at `place`, grown to the right where its text is wider.
HWND MakeLabel(HWND box, const AboutWindow& window, int id, const char* text, DWORD alignment,
               HFONT font, LayoutRect place) {
  HWND label = MakeControl(box, "STATIC", text, alignment | SS_NOPREFIX | WS_GROUP, id, place,
                           window.scale, font);
  const int width = TextWidth(font, text);
  if (width > window.scale(place.width)) {
    SetWindowPos(label, nullptr, 0, 0, width + 1, window.scale(place.height),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return label;
}

HWND MakeContactLine(HWND box, const AboutWindow& window, HWND tips, int id, const char* text,
                     const char* name, LayoutRect place) {
  // Read-only, so the system draws it on the dialog's face; no tab stop.
  HWND edit = MakeControl(box, "EDIT", text, ES_LEFT | ES_READONLY | ES_AUTOHSCROLL, id, place,
                          window.scale, window.face.Get());
  AddToolTip(tips, box, edit, kAboutContactHint);
  SetAccessibleText(edit, AccessibleText::kName, name);
  return edit;
}

void MakeControls(HWND box, AboutWindow& window) {
  const DialogScale& scale = window.scale;
  HWND tips = MakeToolTips(box, scale);

  MakeControl(box, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, kAboutOk,
              {290, 16, 55, 23}, scale, window.bold.Get());

  HWND image = MakeControl(box, "STATIC", "", SS_ICON | SS_CENTERIMAGE | WS_GROUP, kAboutImage1,
                           {20, 15, 32, 32}, scale, nullptr);
  if (window.big_icon != nullptr) {
    SendMessageA(image, STM_SETICON, reinterpret_cast<WPARAM>(window.big_icon), 0);
  }
  SetAccessibleText(image, AccessibleText::kName, "Marrowby Weather icon");

  // The navy name over its grey shadow (one pixel right, two down), drawn by
  // one label; the name grows to the right where it is wider than its place.
  window.title_width = std::max(scale(204), TextWidth(window.title.Get(), kAboutProduct));
  HWND title = MakeLabel(box, window, kAboutTitle, kAboutProduct, SS_OWNERDRAW, window.title.Get(),
                         {64, 14, 0, 0});
  SetWindowPos(title, nullptr, 0, 0, window.title_width + scale(1), scale(22) + scale(2),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  MakeLabel(box, window, kAboutLabel9, kAboutVersion, SS_CENTER, window.text.Get(),
            {66, 39, 56, 14});
  MakeLabel(box, window, kAboutLabel6, kAboutDescription, SS_CENTER, window.text.Get(),
            {26, 88, 146, 14});

  // The copyright line in three pieces, each as wide as its text and one
  // blank apart.
  window.symbol_installed = SymbolInstalled(window.symbol.Get());
  const std::string sign = AnsiCopyrightSign();
  const int sign_width = SignWidth(window);
  const int blank = TextWidth(window.text.Get(), " ");
  int left = scale(26);
  struct Piece {
    int id;
    const char* text;
    DWORD style;
    int width;
  };
  for (const Piece& piece :
       {Piece{kAboutLabel3, kAboutCopyrightWord, SS_LEFT,
              TextWidth(window.text.Get(), kAboutCopyrightWord)},
        Piece{kAboutLabel4, sign.c_str(), SS_OWNERDRAW, sign_width},
        Piece{kAboutLabel5, kAboutCopyrightHolder, SS_LEFT,
              TextWidth(window.text.Get(), kAboutCopyrightHolder)}}) {
    HWND label = MakeLabel(box, window, piece.id, piece.text, piece.style, window.text.Get(),
                           {0, 0, 0, 0});
    SetWindowPos(label, nullptr, left, scale(103), piece.width + 1, scale(14),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    left += piece.width + blank;
  }

  MakeContactLine(box, window, tips, kAboutEdit1, kAboutEmail, "E-mail", {25, 119, 191, 14});
  // The separator: a lowered groove two pixels high.
  MakeControl(box, "STATIC", "", SS_ETCHEDHORZ | WS_GROUP, kAboutPanel1, {20, 72, 321, 2}, scale,
              nullptr);
  MakeContactLine(box, window, tips, kAboutEdit2, kAboutWeb, "Web", {25, 134, 246, 14});
}

void DrawTitle(const AboutWindow& window, const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(dc, window.title.Get());
  SetBkMode(dc, TRANSPARENT);
  const int height = window.scale(22);
  RECT shadow{window.scale(1), window.scale(2), window.scale(1) + window.title_width,
              window.scale(2) + height};
  RECT name{0, 0, window.title_width, height};
  const UINT format = DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;
  SetTextColor(dc, kGray);
  DrawTextA(dc, kAboutProduct, -1, &shadow, format);
  SetTextColor(dc, kNavy);
  DrawTextA(dc, kAboutProduct, -1, &name, format);
  SelectObject(dc, old);
}

void DrawCopyrightSign(const AboutWindow& window, const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  FillRect(dc, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kBlack);
  if (window.symbol_installed) {
    // On the line of the pieces beside it: the two fonts' baselines meet.
    HGDIOBJ old = SelectObject(dc, window.symbol.Get());
    const int top = Ascent(window.text.Get()) - Ascent(window.symbol.Get());
    TextOutA(dc, 0, top, &kSymbolCopyright, 1);
    SelectObject(dc, old);
  } else {
    HGDIOBJ old = SelectObject(dc, window.text.Get());
    TextOutW(dc, 0, 0, L"\u00A9", 1);
    SelectObject(dc, old);
  }
}

LRESULT CALLBACK AboutProcedure(HWND box, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(box, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(
                          reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
    return DefWindowProcA(box, message, wparam, lparam);
  }
  AboutWindow* window = AboutOf(box);
  if (window == nullptr) return DefWindowProcA(box, message, wparam, lparam);

  switch (message) {
    case WM_COMMAND:
      // OK closes the box; the result means nothing. Esc comes as IDCANCEL
      // and has nothing to press.
      if (LOWORD(wparam) == kAboutOk && HIWORD(wparam) == BN_CLICKED) EndModal(box, IDCANCEL);
      return 0;
    case WM_CLOSE:
      EndModal(box, IDCANCEL);
      return 0;
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
      if (id == kAboutEdit1 || id == kAboutEdit2) break;
      HDC dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, id == kAboutLabel6 ? kNavy : kBlack);
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.CtlID == kAboutTitle) DrawTitle(*window, item);
      if (item.CtlID == kAboutLabel4) DrawCopyrightSign(*window, item);
      return TRUE;
    }
    // What a dialog does for IsDialogMessageA: Enter presses OK wherever the
    // focus is.
    case DM_GETDEFID:
      return MAKELRESULT(kAboutOk, DC_HASDEFID);
    case WM_NEXTDLGCTL:
      MoveDialogFocus(box, wparam, lparam);
      return 0;
    case WM_ACTIVATE:
      KeepDialogFocus(box, wparam, &window->focus, GetDlgItem(box, kAboutOk));
      return 0;
    case WM_DESTROY:
      for (int id : {kAboutImage1, kAboutEdit1, kAboutEdit2}) {
        ClearAccessibleTexts(GetDlgItem(box, id));
      }
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(box, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcA(box, message, wparam, lparam);
}

}  // namespace

void RunAboutBox(HWND owner) {
  RegisterDialogClass(kAboutClass, AboutProcedure, false);
  const DialogComScope com;
  AboutWindow window(DialogScale::For(owner));
  window.big_icon = ProgramIcon(window.scale(32));
  window.small_icon = ProgramIcon(GetSystemMetrics(SM_CXSMICON));

  // A fixed tool window without title-bar buttons: only OK and Enter close it.
  HWND box = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kAboutClass, kAboutCaption,
                             WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, 0, 0, 100, 100, owner,
                             nullptr, DialogModule(), &window);
  if (box == nullptr) return;
  SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(window.face.Get()), FALSE);
  if (window.big_icon != nullptr) {
    SendMessageA(box, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(window.big_icon));
  }
  if (window.small_icon != nullptr) {
    SendMessageA(box, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(window.small_icon));
  }
  MakeControls(box, window);
  SizeAndCentre(box, window.scale(356), window.scale(167), owner);

  Boxes().RunModal(owner, box);
  if (IsWindow(box)) DestroyWindow(box);
}
