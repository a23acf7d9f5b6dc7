#include "win32/options/color_grid.h"

#include <windowsx.h>

#include <array>
#include <string>
#include <string_view>

#include "store/palette.h"
#include "strip/form_design.h"
#include "win32/ui/dialog_access.h"
#include "win32/ui/dialog_layout.h"

namespace {

constexpr char kColorGridClass[] = "MarrowbyColorGrid";

struct GridWindow {
  TColorGrid& state;
  HFONT font = nullptr;
  bool focused = false;
};

GridWindow* GridOf(HWND grid) {
  return reinterpret_cast<GridWindow*>(GetWindowLongPtrA(grid, GWLP_USERDATA));
}

COLORREF ToColorRef(PaletteColor colour) { return RGB(colour.red, colour.green, colour.blue); }

// What screen readers read as the grid's value: the foreground and the
// background colour after their marks' names, then the colour of the cell
// the focus mark stands in while the grid has the focus. An index without a
// cell is not named.
std::string ValueText(const GridWindow& window) {
  std::string text;
  const auto add = [&](std::string_view mark, int index) {
    if (!TColorGrid::IsCell(index)) return;
    if (!text.empty()) text += ", ";
    if (!mark.empty()) text.append(mark).append(" ");
    text.append(TColorGrid::ColorName(index));
  };
  add(kForegroundMark, window.state.ForegroundIndex);
  add(kBackgroundMark, window.state.BackgroundIndex);
  if (window.focused) add({}, window.state.FocusIndex());
  return text;
}

void AnnounceValue(HWND grid, const GridWindow& window) {
  SetAccessibleText(grid, AccessibleText::kValue, ValueText(window));
  NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, grid, OBJID_CLIENT, CHILDID_SELF);
}

void RepaintCell(HWND grid, int index) {
  const RECT cell = ColorGridCellRect(grid, index);
  if (!IsRectEmpty(&cell)) InvalidateRect(grid, &cell, FALSE);
}

// Runs `change` on the state, then repaints the cells whose marks or focus
// mark it changed.
template <class Change>
void Changing(HWND grid, GridWindow& window, Change change) {
  TColorGrid& state = window.state;
  std::array<std::string_view, kPaletteSize> marks;
  for (int index = 0; index < kPaletteSize; ++index) marks[index] = state.CellMark(index);
  const int foreground = state.ForegroundIndex;
  const int background = state.BackgroundIndex;
  const int focus = state.FocusIndex();
  change();
  for (int index = 0; index < kPaletteSize; ++index) {
    if (state.CellMark(index) != marks[index]) RepaintCell(grid, index);
  }
  if (state.FocusIndex() != focus) {
    RepaintCell(grid, focus);
    RepaintCell(grid, state.FocusIndex());
  }
  if (state.ForegroundIndex != foreground || state.BackgroundIndex != background ||
      (window.focused && state.FocusIndex() != focus)) {
    AnnounceValue(grid, window);
  }
}

int CellUnder(HWND grid, const GridWindow& window, LPARAM point) {
  RECT client{};
  GetClientRect(grid, &client);
  // Signed: with the mouse held the pointer may stand left of or above the grid.
  return window.state.CellAt(GET_X_LPARAM(point), GET_Y_LPARAM(point), client.right, client.bottom);
}

void FillBrush(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
  const RECT area{left, top, right, bottom};
  FillRect(dc, &area, brush);
}

// One ring of an edge: `top_left` along the top and left, `bottom_right`
// along the bottom and right.
void EdgeRing(HDC dc, const RECT& r, HBRUSH top_left, HBRUSH bottom_right) {
  FillBrush(dc, r.left, r.top, r.right - 1, r.top + 1, top_left);
  FillBrush(dc, r.left, r.top, r.left + 1, r.bottom - 1, top_left);
  FillBrush(dc, r.left, r.bottom - 1, r.right, r.bottom, bottom_right);
  FillBrush(dc, r.right - 1, r.top, r.right, r.bottom, bottom_right);
}

// A dotted rectangle, every other pixel, in `colour`.
void DottedFrame(HDC dc, const RECT& r, COLORREF colour) {
  for (int x = r.left; x < r.right; ++x) {
    if ((x - r.left) % 2 == 0) {
      SetPixelV(dc, x, r.top, colour);
      SetPixelV(dc, x, r.bottom - 1, colour);
    }
  }
  for (int y = r.top; y < r.bottom; ++y) {
    if ((y - r.top) % 2 == 0) {
      SetPixelV(dc, r.left, y, colour);
      SetPixelV(dc, r.right - 1, y, colour);
    }
  }
}

void PaintCell(HDC dc, const GridWindow& window, int index, RECT cell) {
  const TColorGrid& state = window.state;
  EdgeRing(dc, cell, GetSysColorBrush(COLOR_BTNFACE), GetSysColorBrush(COLOR_BTNFACE));
  InflateRect(&cell, -1, -1);
  for (int step = 0; step < 2; ++step) {
    EdgeRing(dc, cell, GetSysColorBrush(COLOR_BTNSHADOW), GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    InflateRect(&cell, -1, -1);
  }
  const PaletteColor colour = PaletteColorAt(index);
  HBRUSH fill = CreateSolidBrush(ToColorRef(colour));
  FillRect(dc, &cell, fill);
  DeleteObject(fill);

  const COLORREF letters = ToColorRef(TColorGrid::ContrastingTextColor(colour));
  const std::string_view mark = state.CellMark(index);
  if (!mark.empty()) {
    RECT whole = cell;
    InflateRect(&whole, 3, 3);
    SetTextColor(dc, letters);
    DrawTextA(dc, mark.data(), static_cast<int>(mark.size()), &whole,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (window.focused && index == state.FocusIndex()) {
    InflateRect(&cell, -1, -1);
    DottedFrame(dc, cell, letters);
  }
}

void Paint(HWND grid, GridWindow& window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(grid, &paint);
  RECT client{};
  GetClientRect(grid, &client);
  const int columns = window.state.Columns();
  const int rows = window.state.Rows();
  // Whatever lies right of or below the whole cells shows the dialog's face.
  const int cells_right = (client.right / columns) * columns;
  const int cells_bottom = (client.bottom / rows) * rows;
  FillBrush(dc, cells_right, 0, client.right, client.bottom, GetSysColorBrush(COLOR_BTNFACE));
  FillBrush(dc, 0, cells_bottom, client.right, client.bottom, GetSysColorBrush(COLOR_BTNFACE));

  HGDIOBJ old_font =
      SelectObject(dc, window.font != nullptr ? window.font : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  for (int index = 0; index < kPaletteSize; ++index) {
    const RECT cell = ColorGridCellRect(grid, index);
    RECT overlap;
    if (IntersectRect(&overlap, &cell, &paint.rcPaint)) PaintCell(dc, window, index, cell);
  }
  SelectObject(dc, old_font);
  EndPaint(grid, &paint);
}

bool KeyOf(WPARAM virtual_key, GridKey* key) {
  switch (virtual_key) {
    case VK_LEFT:
      *key = GridKey::kLeft;
      return true;
    case VK_RIGHT:
      *key = GridKey::kRight;
      return true;
    case VK_UP:
      *key = GridKey::kUp;
      return true;
    case VK_DOWN:
      *key = GridKey::kDown;
      return true;
  }
  return false;
}

bool CharacterOf(WPARAM character, GridKey* key) {
  switch (character) {
    case 'f':
    case 'F':
    case ' ':
      *key = GridKey::kForeground;
      return true;
    case 'b':
    case 'B':
      *key = GridKey::kBackground;
      return true;
  }
  return false;
}

LRESULT CALLBACK GridProcedure(HWND grid, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* state =
        static_cast<TColorGrid*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    SetWindowLongPtrA(grid, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new GridWindow{*state}));
    return DefWindowProcA(grid, message, wparam, lparam);
  }
  GridWindow* window = GridOf(grid);
  if (window == nullptr) return DefWindowProcA(grid, message, wparam, lparam);
  TColorGrid& state = window->state;

  switch (message) {
    case WM_NCDESTROY:
      SetWindowLongPtrA(grid, GWLP_USERDATA, 0);
      ClearAccessibleTexts(grid);
      delete window;
      return DefWindowProcA(grid, message, wparam, lparam);
    case WM_SETFONT:
      window->font = reinterpret_cast<HFONT>(wparam);
      if (LOWORD(lparam)) InvalidateRect(grid, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(window->font);
    case WM_ERASEBKGND:
      return 1;  // every pixel is painted by WM_PAINT
    case WM_PAINT:
      Paint(grid, *window);
      return 0;

    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      const GridButton button = message == WM_LBUTTONDOWN ? GridButton::kLeft : GridButton::kRight;
      Changing(grid, *window, [&] { state.Press(button, CellUnder(grid, *window, lparam)); });
      if (state.Held() && GetCapture() != grid) SetCapture(grid);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (state.Held()) {
        Changing(grid, *window, [&] { state.Drag(CellUnder(grid, *window, lparam)); });
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      state.Release(message == WM_LBUTTONUP ? GridButton::kLeft : GridButton::kRight);
      if (!state.Held() && GetCapture() == grid) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      // Another window took the mouse (a box opened): its release will not
      // come here.
      if (reinterpret_cast<HWND>(lparam) != grid) state.ForgetPress();
      return 0;

    case WM_GETDLGCODE:
      // The arrows move the focus mark, and letters are the grid's own keys,
      // not the dialog's access keys.
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN: {
      GridKey key;
      if (!KeyOf(wparam, &key)) break;
      Changing(grid, *window, [&] { state.KeyPress(key); });
      return 0;
    }
    case WM_CHAR: {
      GridKey key;
      if (!CharacterOf(wparam, &key)) break;
      Changing(grid, *window, [&] { state.KeyPress(key); });
      return 0;
    }
    case WM_SETFOCUS:
      window->focused = true;
      state.FocusIn();
      RepaintCell(grid, state.FocusIndex());
      AnnounceValue(grid, *window);
      return 0;
    case WM_KILLFOCUS:
      window->focused = false;
      RepaintCell(grid, state.FocusIndex());
      AnnounceValue(grid, *window);
      return 0;
  }
  return DefWindowProcA(grid, message, wparam, lparam);
}

}  // namespace

HWND MakeColorGrid(HWND parent, int id, TColorGrid& state, int x, int y, int width, int height) {
  RegisterDialogClass(kColorGridClass, GridProcedure, true);
  const int columns = state.Columns();
  const int rows = state.Rows();
  HWND grid =
      CreateWindowExA(0, kColorGridClass, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP, x, y,
                      (width / columns) * columns, (height / rows) * rows, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), DialogModule(), &state);
  if (grid != nullptr) {
    SetAccessibleText(grid, AccessibleText::kValue, ValueText(*GridOf(grid)));
  }
  return grid;
}

RECT ColorGridCellRect(HWND grid, int index) {
  const GridWindow* window = GridOf(grid);
  if (window == nullptr || !TColorGrid::IsCell(index)) return RECT{};
  RECT client{};
  GetClientRect(grid, &client);
  const int columns = window->state.Columns();
  const int cell_width = client.right / columns;
  const int cell_height = client.bottom / window->state.Rows();
  const int left = (index % columns) * cell_width;
  const int top = (index / columns) * cell_height;
  return RECT{left, top, left + cell_width, top + cell_height};
}
