// The main window on Win32: the strip drawn with GDI, one face of the strip's
// behaviour (strip/main_form.h). It builds the form's components, implements
// the platform operations for TfrmMain, turns window messages (timer ticks,
// menu commands, the close box, the session's end) into calls of its
// handlers, each behind the strip's error boundary (TfrmMain::RunGuarded),
// and draws; it holds no behaviour of its own beyond keeping its controls in
// place. Its sizes, fonts, texts and menu are the strip's (strip/form_design.h).
//
// The window is a sizable tool window with only a close box, owned by the
// application window (win32/ui/application.h), which carries the taskbar
// button. The strip inside is three child windows: pnlMain (lowered bevel),
// pnlImage (the picture's frame, lowered bevel) with imgCurrent at its inner
// corner, and pnlScroll, the ticker (sunken border), which draws its caption
// left-justified, vertically centred, on one line, clipped at its edge, with
// no access-key processing. Texts are bytes in the system's ANSI code page,
// shown through the A functions.
//
// Sizes are the form's at 96 dpi and scale with the window's DPI (the
// program is per-monitor DPI aware), the design width among them; the place
// and width read from the store are the screen's pixels and are applied as
// they stand.
//
// While a document downloads the window repaints what is uncovered and
// answers the messages the system sends (the session's end among them), but
// input and timer ticks wait in the queue until the fetch returns.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "strip/main_form.h"
#include "strip/strip_platform.h"
#include "win32/main_window/main_window_access.h"

class Application;

// The WM_COMMAND identifier of a command of the popup menu (kPopupMenu).
constexpr WORD MenuCommandId(MenuCommand command) {
  return static_cast<WORD>(100 + static_cast<int>(command));
}

class MainWindow : public StripPlatform {
 public:
  // Builds the window with the strip's design values, hidden; the strip's
  // start (frmMain.Start()) does the rest.
  // `environment` is what the strip reaches beyond the window (the settings,
  // the fetch, the diagnostics): the program's own unless a test gives one.
  explicit MainWindow(Application& app, const StripEnvironment& environment = ProgramEnvironment());
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  HWND Handle() const { return hwnd_; }
  HWND PanelHandle(StripPanel panel) const { return panels_[Index(panel)]; }
  // imgCurrent, the picture inside pnlImage.
  HWND PictureHandle() const { return picture_; }
  // The tool tips of the window's hint and of the picture.
  HWND ToolTipHandle() const { return tooltip_; }
  // pMenu, in the order it shows its items.
  HMENU MenuHandle() const { return menu_; }
  // The caption of a hidden station item (pMRB, pWDM).
  const std::string& StationItemCaption(StationItem item) const;
  // What the ticker lays out and draws of its caption, from its left edge
  // (control characters show as blanks).
  std::string_view DrawnCaption() const;
  // The picture imgCurrent shows (kUnchanged: the initial one).
  ConditionPicture CurrentPicture() const { return current_picture_; }
  // The window's DPI, which the strip's sizes follow.
  int Dpi() const { return dpi_; }

  // Keeps the controls in place after a change of size: the height stays at
  // the strip's, the ticker reaches the right edge.
  void FormResize();
  // Opens pMenu at a point of the screen (a right click) or, for the
  // keyboard, below the ticker.
  void OpenMenu(POINT screen);
  void OpenMenuFromKeyboard();

  // StripPlatform
  void SetApplicationTitle(std::string_view title) override;
  void EndMessageLoops() override;
  LocalTime Now() const override;
  const LastUpdateFormats& DateTimeFormats() const override { return formats_; }
  void SetTitle(std::string_view title) override;
  void SetHint(std::string_view hint) override;
  void SetLeft(int left) override;
  void SetTop(int top) override;
  void SetWidth(int width) override;
  void SetFormWidth(int width) override { SetWidth(Scaled(width)); }
  void SetClientHeight(int height) override;
  WindowFrame Frame() const override;
  void ShowWindow() override;
  void HideWindow() override;
  void SetPanelClientHeight(StripPanel panel, int height) override;
  void SetPanelClientWidth(StripPanel panel, int width) override;
  int PanelHeight(StripPanel panel) const override;
  void SetPanelColor(StripPanel panel, PaletteColor color) override;
  void SetCaption(std::string_view caption) override;
  void StepCaption(std::string_view dropped, std::string_view caption) override;
  void RepaintCaption() override;
  void SetTickerText(std::string_view forecast) override;
  void SetTickerBold(bool bold) override;
  void SetTickerFontColor(PaletteColor color) override;
  void SetCurrentPicture(ConditionPicture picture) override;
  void SetStationItem(StationItem item, std::string_view caption) override;
  void StartTimer(StripTimer timer, int interval_ms) override;
  void StopTimer(StripTimer timer) override;
  void ShowError(std::string_view text) override;
  void ShowInformation(std::string_view text) override;
  void ShowForecast(std::string_view title, std::string_view text) override;
  void ShowUncaughtError(std::string_view title, std::string_view message) override;
  void RunOptions(TfrmOptions& form) override;
  void RunAbout() override;
  void FetchStarts() override;
  void KeepFetching() override;
  void FetchEnds() override;

  // The colour and the style the ticker's text is drawn in.
  COLORREF TickerFontColor() const { return font_color_; }
  bool TickerBold() const { return bold_; }

 private:
  static int Index(StripPanel panel) { return static_cast<int>(panel); }
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleWindow(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandlePanel(HWND panel, UINT message, WPARAM wparam, LPARAM lparam);
  // Runs a handler behind the strip's error boundary.
  void Guarded(const std::function<void()>& step) { frmMain.RunGuarded(step); }

  int Scaled(int pixels) const { return MulDiv(pixels, dpi_, 96); }
  // Places the panels and the picture for the window's width and DPI.
  void Layout();
  // The font and the pictures at the window's DPI.
  void MakeFont();
  void LoadPictures();
  void ChangeDpi(int dpi, const RECT* suggested);
  struct TickerStep {
    bool measured = false;
    int advance = 0;   // how far the line moves; 0: it is painted whole
    int overhang = 0;  // the columns at the line's left to paint after the move
  };
  // How far the line moves when the caption drops `byte`, and how far that
  // byte's ink reaches into the next character's cell, in the ticker's font.
  TickerStep MeasureTickerStep(unsigned char byte) const;
  // A ticker step that dropped `dropped`, the caption's first byte: moves
  // what the ticker shows and paints what the move uncovered. False, with
  // nothing done, where the screen may not show the previous caption whole.
  bool StepTicker(unsigned char dropped);
  int NonClientHeight() const;

  // `clip`, where given, is the part of the panel to paint (its update
  // region); nothing outside it is drawn.
  void PaintPanel(HWND panel, HDC dc, HRGN clip = nullptr);
  void PaintTicker(HDC dc, const RECT& area, HRGN clip);
  void PaintPicture(HDC dc, const RECT& area);

  Application& app_;
  HWND hwnd_ = nullptr;
  std::array<HWND, 3> panels_{};
  HWND picture_ = nullptr;
  HWND tooltip_ = nullptr;
  HMENU menu_ = nullptr;
  int dpi_ = 96;

  // The form's design sizes at 96 dpi.
  int main_client_height_ = kStripDesign.strip_client_height;
  int image_client_width_ = kStripDesign.picture_frame_size;
  int client_height_ = 0;  // as set in pixels; 0 until the form sets it

  std::string caption_;  // what the ticker draws from
  TickerAccessText ticker_text_;
  std::array<COLORREF, 3> panel_colors_{};
  COLORREF font_color_ = 0;
  bool bold_ = kStripDesign.ticker_font.bold;
  HFONT ticker_font_ = nullptr;
  std::array<TickerStep, 256> ticker_steps_{};  // by byte, measured at its first step
  // The stock pictures imgSun, imgCloud, imgRain, imgSnow, and the initial one.
  static constexpr int kSun = 0, kCloud = 1, kRain = 2, kSnow = 3, kInitial = 4;
  std::array<HICON, 5> pictures_{};
  ConditionPicture current_picture_ = ConditionPicture::kUnchanged;
  std::array<std::string, 2> station_items_{std::string(kStationItemCaptions[0]),
                                            std::string(kStationItemCaptions[1])};
  std::array<int, 3> timer_intervals_{};  // 0: not running
  LastUpdateFormats formats_;
  bool fetching_ = false;
  bool ticker_repaint_held_ = false;

 public:
  // The strip's behaviour, last: it sets the application title and starts
  // tmrUpdate through this window when it is made.
  TfrmMain frmMain;
};
