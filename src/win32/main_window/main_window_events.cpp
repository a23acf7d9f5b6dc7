// The main window's messages: the timers, the menu and its commands, the
// close routes, the keyboard, changes of size, DPI and locale, and the
// painting of the strip. Every handler of TfrmMain runs behind the strip's
// error boundary.
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>

#include "win32/main_window/main_window.h"
#include "win32/ui/application.h"
#include "win32/ui/locale_formats.h"

// ---------------------------------------------------------------------------
// Messages

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* strip = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!strip || !strip->hwnd_) return DefWindowProcA(hwnd, message, wparam, lparam);
  return strip->HandleWindow(message, wparam, lparam);
}

LRESULT CALLBACK MainWindow::PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* strip = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!strip) return DefWindowProcA(hwnd, message, wparam, lparam);
  return strip->HandlePanel(hwnd, message, wparam, lparam);
}

LRESULT MainWindow::HandleWindow(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam >= 1 && wparam <= 3) {
        const auto timer = static_cast<StripTimer>(wparam - 1);
        Guarded([&] { frmMain.TimerTick(timer); });
        return 0;
      }
      break;
    case WM_COMMAND:
      // The menu's commands, by their identifiers.
      if (HIWORD(wparam) == 0 && lparam == 0) {
        const WORD id = LOWORD(wparam);
        if (id > MenuCommandId(MenuCommand::kNone) && id <= MenuCommandId(MenuCommand::kExit)) {
          const auto command = static_cast<MenuCommand>(id - MenuCommandId(MenuCommand::kNone));
          Guarded([&] { frmMain.MenuClick(command); });
        }
        return 0;
      }
      break;
    case WM_CONTEXTMENU:
      if (lparam == -1) {
        OpenMenuFromKeyboard();
      } else {
        OpenMenu({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
      }
      return 0;
    case WM_KEYDOWN:
      if (wparam == VK_APPS) {
        OpenMenuFromKeyboard();
        return 0;
      }
      break;
    case WM_SYSKEYDOWN:
      if (wparam == VK_F10 && GetKeyState(VK_SHIFT) < 0) {
        OpenMenuFromKeyboard();
        return 0;
      }
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      // The menu opened on the key's press already.
      if (wparam == VK_APPS || (wparam == VK_F10 && GetKeyState(VK_SHIFT) < 0)) return 0;
      break;

    // --- The close routes
    case WM_CLOSE:
      // The close box (and a close asked for by another program): stays open
      // unless the whole close path ran; storing may fail.
      Guarded([&] { frmMain.CloseBoxClick(); });
      return 0;
    case WM_QUERYENDSESSION:
      // May the program end? It stores and says yes, never waiting for a
      // person; it goes on until the system decides, as another program may
      // still cancel the log-off.
      try {
        frmMain.QueryEndSession();
      } catch (...) {
      }
      return TRUE;
    case WM_ENDSESSION:
      // The decision: the session ends, or the log-off was cancelled.
      try {
        frmMain.SessionEnded(wparam != FALSE);
      } catch (...) {
      }
      // The system ends the process once this returns; it ends here, with
      // the status the close gave.
      if (wparam) app_.EndProcess(frmMain.ExitStatus());
      return 0;

    // --- Size, DPI and locale
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) Layout();
      return 0;
    case WM_GETMINMAXINFO:
      if (client_height_ > 0) {
        // Only the width can be dragged.
        auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
        const int height = client_height_ + NonClientHeight();
        limits->ptMinTrackSize.y = height;
        limits->ptMaxTrackSize.y = height;
        return 0;
      }
      break;
    case WM_DPICHANGED:
      ChangeDpi(HIWORD(wparam), reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_SETTINGCHANGE:
      if (lparam && std::strcmp(reinterpret_cast<const char*>(lparam), "intl") == 0) {
        formats_ = UserLocaleFormats();
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // the strip covers the client area
    default:
      break;
  }
  return DefWindowProcA(hwnd_, message, wparam, lparam);
}

LRESULT MainWindow::HandlePanel(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      // Only what is to be painted is drawn: after a ticker step, the
      // columns the move uncovered.
      const HRGN update = CreateRectRgn(0, 0, 0, 0);
      const bool known = GetUpdateRgn(panel, update, FALSE) > NULLREGION;
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(panel, &paint);
      PaintPanel(panel, dc, known ? update : nullptr);
      EndPaint(panel, &paint);
      DeleteObject(update);
      return 0;
    }
    case WM_PRINTCLIENT:
      // Drawn into another device (a printout of the window, a screenshot).
      PaintPanel(panel, reinterpret_cast<HDC>(wparam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint fills the whole panel
    case WM_GETOBJECT:
      if (panel == panels_[Index(StripPanel::pnlScroll)]) {
        if (const LRESULT answer = AnswerTickerObject(panel, wparam, lparam)) return answer;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(panel, message, wparam, lparam);
}

// ---------------------------------------------------------------------------
// The popup menu

void MainWindow::OpenMenu(POINT screen) {
  // The menu must belong to the foreground window to close when the user
  // clicks elsewhere; the empty message afterwards lets it go at once.
  SetForegroundWindow(hwnd_);
  TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                 hwnd_, nullptr);
  PostMessageA(hwnd_, WM_NULL, 0, 0);
}

void MainWindow::OpenMenuFromKeyboard() {
  // Below the ticker, where the keyboard acts, not where the mouse is.
  RECT ticker;
  GetWindowRect(panels_[Index(StripPanel::pnlScroll)], &ticker);
  OpenMenu({ticker.left, ticker.bottom});
}

// ---------------------------------------------------------------------------
// Painting

void MainWindow::PaintPanel(HWND panel, HDC dc, HRGN clip) {
  RECT area;
  GetClientRect(panel, &area);
  if (panel == picture_) {
    PaintPicture(dc, area);
    return;
  }
  if (panel == panels_[Index(StripPanel::pnlScroll)]) {
    PaintTicker(dc, area, clip);
    return;
  }
  const int index = panel == panels_[Index(StripPanel::pnlMain)] ? Index(StripPanel::pnlMain)
                                                                 : Index(StripPanel::pnlImage);
  const HBRUSH brush = CreateSolidBrush(panel_colors_[index]);
  FillRect(dc, &area, brush);
  DeleteObject(brush);
  // The strip and the picture's frame: a lowered bevel of one pixel.
  DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT);
}

void MainWindow::PaintPicture(HDC dc, const RECT& area) {
  const HBRUSH brush = CreateSolidBrush(panel_colors_[Index(StripPanel::pnlImage)]);
  FillRect(dc, &area, brush);
  DeleteObject(brush);
  int shown = kInitial;
  switch (current_picture_) {
    case ConditionPicture::kSun:
      shown = kSun;
      break;
    case ConditionPicture::kCloud:
      shown = kCloud;
      break;
    case ConditionPicture::kRain:
      shown = kRain;
      break;
    case ConditionPicture::kSnow:
      shown = kSnow;
      break;
    case ConditionPicture::kUnchanged:
      break;
  }
  const HICON icon = pictures_[shown];
  if (!icon) return;
  const int size = Scaled(shown == kInitial ? 24 : 32);
  // Centred in the picture.
  DrawIconEx(dc, (area.right - size) / 2, (area.bottom - size) / 2, icon, size, size, 0, nullptr,
             DI_NORMAL);
}

void MainWindow::PaintTicker(HDC dc, const RECT& area, HRGN clip) {
  // Drawn off the screen and copied in one go, so a step never flickers.
  // The same drawing paints the whole panel and any part of it, so a part
  // shows what the whole would.
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  const HDC buffer = CreateCompatibleDC(dc);
  const HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  const HGDIOBJ old_bitmap = SelectObject(buffer, bitmap);
  if (clip) SelectClipRgn(buffer, clip);

  const HBRUSH brush = CreateSolidBrush(panel_colors_[Index(StripPanel::pnlScroll)]);
  FillRect(buffer, &area, brush);
  DeleteObject(brush);
  RECT inside = area;
  // The ticker's single sunken border, two pixels wide.
  DrawEdge(buffer, &inside, EDGE_SUNKEN, BF_RECT | BF_ADJUST);

  // Only the front piece of the caption the strip's rule gives for the
  // ticker's width. Line breaks and tabs show as blanks: the caption is one
  // line.
  std::string shown(DrawnCaption());
  std::replace_if(
      shown.begin(), shown.end(), [](char c) { return static_cast<unsigned char>(c) < 32; }, ' ');
  IntersectClipRect(buffer, inside.left, inside.top, inside.right, inside.bottom);
  const HGDIOBJ old_font = SelectObject(buffer, ticker_font_);
  SetTextColor(buffer, font_color_);
  SetBkMode(buffer, TRANSPARENT);
  DrawTextA(buffer, shown.data(), static_cast<int>(shown.size()), &inside,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(buffer, old_font);
  SelectClipRgn(buffer, nullptr);

  BitBlt(dc, area.left, area.top, width, height, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(buffer);
}
