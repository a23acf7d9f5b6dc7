// The Win32 face under the conformance suite (face_conformance_test.cpp):
// the real main window under Wine, read back as the window system holds it
// (window texts, the tool tips' texts, the menu's items, the screen readers'
// objects, the panels' painted pixels) and the forms read back by their
// controls' identifiers and classes while their modal run is open. Boxes go
// through the box seam; their titles are read from the real boxes.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "face_conformance.h"
#include "win32/main_window/main_window.h"
#include "win32/ui/application.h"
#include "win32/ui/dialog_access.h"
#include "win32/ui/dialog_layout.h"
#include "win32/ui/message_boxes.h"

namespace {

std::string Text(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool IsClass(HWND window, const char* name) {
  char class_name[64] = "";
  GetClassNameA(window, class_name, sizeof class_name);
  return lstrcmpiA(class_name, name) == 0;
}

std::string Ansi(const wchar_t* text, int length) {
  if (length <= 0) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, ansi.data(), size, nullptr, nullptr);
  return ansi;
}

// The tool tip's text for `tool` (through the W message: the A one gives
// at most 80 bytes).
std::string ToolText(HWND tips, HWND owner, HWND tool) {
  if (tips == nullptr) return {};
  wchar_t text[1024] = L"";
  TTTOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.hwnd = owner;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = text;
  SendMessageW(tips, TTM_GETTEXTW, ARRAYSIZE(text), reinterpret_cast<LPARAM>(&info));
  return Ansi(text, lstrlenW(text));
}

std::string Narrow(BSTR text) {
  return text ? Ansi(text, static_cast<int>(SysStringLen(text))) : std::string();
}

// The name or value a screen reader gets of `window`'s client object.
std::string Spoken(HWND window, bool value) {
  IAccessible* object = nullptr;
  if (AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible,
                                 reinterpret_cast<void**>(&object)) != S_OK) {
    return "<no object>";
  }
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  if (value) {
    object->get_accValue(self, &text);
  } else {
    object->get_accName(self, &text);
  }
  std::string spoken = Narrow(text);
  SysFreeString(text);
  object->Release();
  return spoken;
}

// The pixel at (x, y) of `panel` as it paints.
PaletteColor PaintedAt(HWND panel, int x, int y) {
  RECT area;
  GetClientRect(panel, &area);
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, area.right, area.bottom);
  ReleaseDC(nullptr, screen);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageA(panel, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  const COLORREF pixel = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)};
}

// The thread's window of class `name` owned by `owner` (any owner: nullptr).
HWND ThreadWindow(const char* name, HWND owner) {
  struct Search {
    const char* name;
    HWND owner;
    HWND found;
  } search{name, owner, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        if (!IsClass(window, s.name)) return TRUE;
        if (s.owner != nullptr && GetWindow(window, GW_OWNER) != s.owner) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

ControlKind KindOf(HWND control) {
  const LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
  if (IsClass(control, "Button")) {
    const LONG_PTR type = style & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ? ControlKind::kButton
                                                             : ControlKind::kCheckBox;
  }
  if (IsClass(control, "Edit")) return ControlKind::kTextLine;
  if (IsClass(control, TRACKBAR_CLASSA)) return ControlKind::kTrackBar;
  if (IsClass(control, "MarrowbyColorGrid")) return ControlKind::kColorGrid;
  if (IsClass(control, "MarrowbyFormPanel")) return ControlKind::kPanel;
  switch (style & SS_TYPEMASK) {
    case SS_ICON:
      return ControlKind::kPicture;
    case SS_ETCHEDHORZ:
      return ControlKind::kSeparator;
    default:
      return ControlKind::kLabel;
  }
}

// The open form `dialog` of `design`, as it stands: each child control
// named by its identifier, placed in form units relative to the panel it
// lies on.
// The names the forms gave their controls for screen readers, as they gave
// them (Wine's annotation service keeps nothing to read back).
std::map<HWND, std::string>& GivenNames() {
  static std::map<HWND, std::string> names;
  return names;
}

ShownForm ReadForm(HWND dialog, const FormDesign& design) {
  int dpi = 96;
  if (const HDC dc = GetDC(dialog)) {
    dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(dialog, dc);
  }
  const auto units = [dpi](LONG pixels) { return MulDiv(static_cast<int>(pixels), 96, dpi); };
  const auto place_of = [dialog](HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  ShownForm shown;
  shown.caption = Text(dialog);
  RECT client;
  GetClientRect(dialog, &client);
  shown.client_width = units(client.right);
  shown.client_height = units(client.bottom);
  const HWND tips = ThreadWindow(TOOLTIPS_CLASSA, dialog);

  std::vector<std::pair<std::string, RECT>> panels;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const FormControl* control = FormControlOf(design, GetDlgCtrlID(child));
    if (control != nullptr && KindOf(child) == ControlKind::kPanel) {
      panels.emplace_back(control->name, place_of(child));
    }
  }
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const FormControl* control = FormControlOf(design, GetDlgCtrlID(child));
    if (control == nullptr) continue;
    ShownControl c;
    c.name = control->name;
    c.kind = KindOf(child);
    c.caption = Text(child);
    RECT rect = place_of(child);
    POINT origin{0, 0};
    for (const auto& [name, panel] : panels) {
      if (name != c.name && rect.left >= panel.left && rect.right <= panel.right &&
          rect.top >= panel.top && rect.bottom <= panel.bottom) {
        c.parent = name;
        origin = {panel.left, panel.top};
      }
    }
    c.place = {units(rect.left - origin.x), units(rect.top - origin.y),
               units(rect.right - rect.left), units(rect.bottom - rect.top)};
    c.tool_tip = ToolText(tips, dialog, child);
    const auto given = GivenNames().find(child);
    c.accessible_name = given == GivenNames().end() ? std::string() : given->second;
    const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
    c.tab_stop = (style & WS_TABSTOP) != 0;
    c.default_button = c.kind == ControlKind::kButton && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    c.cancel_button = c.kind == ControlKind::kButton && GetDlgCtrlID(child) == IDCANCEL;
    shown.controls.push_back(std::move(c));
  }
  return shown;
}

class ObservedApplication : public Application {
 public:
  using Application::Application;
  void EndProcess(int) override {}
};

// The box seam: boxes recorded; a modal run shows its dialog and hands it
// to `on_modal`, then ends it unless that did.
class ProbeBoxes : public MessageBoxes {
 public:
  void ShowError(HWND, std::string_view text) override { Add("error: ", text); }
  void ShowInformation(HWND, std::string_view text) override { Add("information: ", text); }
  void ShowForecast(HWND, std::string_view title, std::string_view text) override {
    Add("forecast: " + std::string(title) + " | ", text);
  }
  void ShowUncaughtError(HWND, std::string_view title, std::string_view message) override {
    Add("uncaught: " + std::string(title) + " | ", message);
  }
  int RunModal(HWND, HWND dialog) override {
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
    if (on_modal) on_modal(dialog);
    if (IsWindow(dialog)) EndModal(dialog, IDCANCEL);
    return 0;
  }
  std::vector<std::string> boxes;
  std::function<void(HWND)> on_modal;

 private:
  void Add(const std::string& kind, std::string_view text) {
    boxes.push_back(kind + std::string(text));
  }
};

// The title of the real box that `show` opens, closed as soon as it is seen.
std::string RealBoxTitle(const std::function<void()>& show) {
  static std::string title;
  title = "<no box>";
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
    const HWND box = ThreadWindow("#32770", nullptr);
    if (box == nullptr || !IsWindowVisible(box)) return;
    title = Text(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  show();
  KillTimer(nullptr, timer);
  return title;
}

class Win32Probe : public FaceProbe {
 public:
  Win32Probe() {
    com_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    InstallMessageBoxes(&boxes_);
    WatchAccessibleTexts([](HWND control, AccessibleText what, std::string_view text) {
      if (what == AccessibleText::kName) GivenNames()[control] = std::string(text);
    });
    app_ = std::make_unique<ObservedApplication>(GetModuleHandleA(nullptr));
    strip_ = std::make_unique<MainWindow>(*app_);
  }
  ~Win32Probe() override {
    strip_.reset();
    app_.reset();
    InstallMessageBoxes(nullptr);
    WatchAccessibleTexts({});
    GivenNames().clear();
    // The end of the loops asked for stays with this run.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    if (SUCCEEDED(com_)) CoUninitialize();
  }

  StripPlatform& Platform() override { return *strip_; }
  TfrmMain& Form() override { return strip_->frmMain; }

  bool RunUntil(const std::function<bool()>& done, int limit_ms) override {
    const ULONGLONG limit = GetTickCount64() + static_cast<ULONGLONG>(limit_ms);
    while (!done()) {
      const ULONGLONG now = GetTickCount64();
      if (now >= limit) return done();
      MsgWaitForMultipleObjects(
          0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(limit - now, 20)), QS_ALLINPUT);
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    return true;
  }

  std::string ShownTitle() override { return Text(strip_->Handle()); }
  std::string ShownApplicationTitle() override { return Text(app_->Handle()); }
  std::string ShownHint() override {
    return ToolText(strip_->ToolTipHandle(), strip_->Handle(), strip_->Handle());
  }
  std::string ShownCaption() override { return std::string(strip_->DrawnCaption()); }
  std::string ShownTickerText() override {
    return Spoken(strip_->PanelHandle(StripPanel::pnlScroll), true);
  }
  bool Visible() override { return IsWindowVisible(strip_->Handle()) != FALSE; }
  int ClientHeight() override {
    RECT client;
    GetClientRect(strip_->Handle(), &client);
    return client.bottom;
  }
  int Dpi() override { return strip_->Dpi(); }
  PaletteColor ShownPanelColor(StripPanel panel) override {
    // Inside the bevel (one pixel) or the ticker's border (two).
    const int inside = panel == StripPanel::pnlScroll ? 2 : 1;
    return PaintedAt(strip_->PanelHandle(panel), inside, inside);
  }
  PaletteColor ShownTickerFontColor() override {
    const COLORREF color = strip_->TickerFontColor();
    return {GetRValue(color), GetGValue(color), GetBValue(color)};
  }
  bool ShownTickerBold() override { return strip_->TickerBold(); }
  std::string ShownPictureName() override { return Spoken(strip_->PictureHandle(), false); }
  std::string ShownStationItem(StationItem item) override {
    return strip_->StationItemCaption(item);
  }

  std::vector<ShownMenuItem> ShownMenu() override {
    std::vector<ShownMenuItem> items;
    const HMENU menu = strip_->MenuHandle();
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char text[256] = "";
      MENUITEMINFOA info{};
      info.cbSize = sizeof(info);
      info.fMask = MIIM_FTYPE | MIIM_STRING;
      info.dwTypeData = text;
      info.cch = sizeof text;
      GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
      items.push_back({(info.fType & MFT_SEPARATOR) ? std::string("-") : std::string(text), true});
    }
    return items;
  }
  void ChooseMenuItem(std::string_view name) override {
    for (const MenuItem& item : kPopupMenu) {
      if (item.name != name) continue;
      // As the menu sends it, where the menu has the item.
      const WORD id = MenuCommandId(item.command);
      if (GetMenuState(strip_->MenuHandle(), id, MF_BYCOMMAND) == static_cast<UINT>(-1)) return;
      SendMessageA(strip_->Handle(), WM_COMMAND, id, 0);
    }
  }

  std::vector<std::string> Boxes() override { return boxes_.boxes; }
  std::vector<std::string> BoxTitles() override {
    InstallMessageBoxes(nullptr);
    std::vector<std::string> titles{RealBoxTitle([] { ::Boxes().ShowError(nullptr, "x"); }),
                                    RealBoxTitle([] { ::Boxes().ShowInformation(nullptr, "x"); })};
    InstallMessageBoxes(&boxes_);
    return titles;
  }

  bool HasForms() override { return true; }
  void OpenOptions(
      TfrmOptions& form,
      const std::function<void(const ShownForm&, const PressButton&)>& inside) override {
    Open(kOptionsDesign, inside, [&] { strip_->RunOptions(form); });
  }
  void OpenAbout(const std::function<void(const ShownForm&, const PressButton&)>& inside) override {
    Open(kAboutDesign, inside, [&] { strip_->RunAbout(); });
  }

 private:
  void Open(const FormDesign& design,
            const std::function<void(const ShownForm&, const PressButton&)>& inside,
            const std::function<void()>& run) {
    boxes_.on_modal = [&](HWND dialog) {
      inside(ReadForm(dialog, design), [&](std::string_view name) {
        SendMessageA(GetDlgItem(dialog, FormControlId(design, name)), BM_CLICK, 0, 0);
      });
    };
    run();
    boxes_.on_modal = nullptr;
  }

  HRESULT com_ = E_FAIL;
  ProbeBoxes boxes_;
  std::unique_ptr<ObservedApplication> app_;
  std::unique_ptr<MainWindow> strip_;
};

}  // namespace

std::unique_ptr<FaceProbe> MakeFaceProbe() { return std::make_unique<Win32Probe>(); }
