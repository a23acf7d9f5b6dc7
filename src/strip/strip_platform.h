// The platform operations through which the strip's handlers reach their
// window, their application and the user: what a window system gives the
// main window TfrmMain (strip/main_form.h). Each window system (Qt on Linux,
// Win32 on Windows) is one implementation; the tests record the calls.
//
// The operations only tell the window system what to show and do. The strip
// keeps its own state (title, caption, application title, whether the
// program is ending and with which status) and never reads it back; a face
// keeps what it needs to draw. What it builds is in strip/form_design.h.
//
// Texts are bytes, passed as they are: stored texts and fetched documents in
// the code page they came in, the "Last Updated" stamp in the locale's
// encoding. A face shows every text as the plain characters it holds (no
// markup, no access keys, no title placeholders).
//
// Nothing here raises, except that a face may let an error escape from a
// modal form's run. Calls come on the one thread that runs the window.
#pragma once

#include <string>
#include <string_view>

#include "store/palette.h"
#include "strip/last_update.h"
#include "strip/timer.h"
#include "weather/condition_picture.h"

class TfrmOptions;

// The strip's panels: pnlMain the strip itself, pnlImage the picture's frame
// at its left, pnlScroll the ticker.
enum class StripPanel { pnlMain, pnlImage, pnlScroll };
// The popup menu's two hidden station items.
enum class StationItem { pMRB, pWDM };

// The main window's outer frame: left and top edges and width, in pixels.
struct WindowFrame {
  int left = 0;
  int top = 0;
  int width = 0;
  friend bool operator==(const WindowFrame&, const WindowFrame&) = default;
};

class StripPlatform {
 public:
  virtual ~StripPlatform() = default;

  // --- The application
  // The application title: the text of the application's taskbar entry.
  virtual void SetApplicationTitle(std::string_view title) = 0;
  // Ends every running message loop, nested modal loops included, at once;
  // the main loop, if it has not started yet, returns as soon as it starts.
  // Windows are not closed by this.
  virtual void EndMessageLoops() = 0;
  // The local clock, and the date and time formats of the user's locale (as
  // they are now: a face follows the user's changes to them).
  virtual LocalTime Now() const = 0;
  virtual const LastUpdateFormats& DateTimeFormats() const = 0;

  // --- The main window
  virtual void SetTitle(std::string_view title) = 0;
  // The window's hint, shown wherever the control under the mouse has none.
  virtual void SetHint(std::string_view hint) = 0;
  // The outer frame's left edge, top edge and width in the screen's pixels,
  // applied as they stand (a place off the screen included); the client
  // height.
  virtual void SetLeft(int left) = 0;
  virtual void SetTop(int top) = 0;
  virtual void SetWidth(int width) = 0;
  // The width the form is designed with, in the form's units (pixels at
  // 96 dpi): the face gives the frame that width at its screen's DPI, as it
  // sizes the other design values.
  virtual void SetFormWidth(int width) = 0;
  virtual void SetClientHeight(int height) = 0;
  // The frame as it is now: the user may have moved or sized the window.
  virtual WindowFrame Frame() const = 0;
  // Shows the window and paints it before returning.
  virtual void ShowWindow() = 0;
  // The closed main window disappears (it stays in existence).
  virtual void HideWindow() = 0;

  // --- Panels, the ticker, the picture and the station items
  // Client sizes in the form's units (strip/form_design.h).
  virtual void SetPanelClientHeight(StripPanel panel, int height) = 0;
  virtual void SetPanelClientWidth(StripPanel panel, int width) = 0;
  // The panel's outer height in the window's pixels, as laid out.
  virtual int PanelHeight(StripPanel panel) const = 0;
  virtual void SetPanelColor(StripPanel panel, PaletteColor color) = 0;
  // A new caption for the ticker, drawn left-justified on one line and
  // clipped at the panel's right edge; it repaints at the next paint. The
  // strip never sets the caption the ticker already shows.
  virtual void SetCaption(std::string_view caption) = 0;
  // A ticker step: the caption lost `dropped` from its front and is now
  // `caption`. The whole text moves left by what was dropped.
  virtual void StepCaption(std::string_view dropped, std::string_view caption) = 0;
  // Paints the ticker at once, before returning.
  virtual void RepaintCaption() = 0;
  // The whole text the caption is cut from (the forecast), which screen
  // readers read instead of the moving caption. Each new text is news to
  // them; the strip never sets the text the ticker already has.
  virtual void SetTickerText(std::string_view forecast) = 0;
  // The ticker's font: exactly bold, or no style at all.
  virtual void SetTickerBold(bool bold) = 0;
  virtual void SetTickerFontColor(PaletteColor color) = 0;
  // imgCurrent shows a copy of that stock picture (never kUnchanged), named
  // for screen readers by SpokenPictureName.
  virtual void SetCurrentPicture(ConditionPicture picture) = 0;
  virtual void SetStationItem(StationItem item, std::string_view caption) = 0;

  // --- Timers: a periodic timer that ticks every `interval_ms` from now
  // (restarted if it ran), and its end. Ticks reach TfrmMain::TimerTick.
  virtual void StartTimer(StripTimer timer, int interval_ms) = 0;
  virtual void StopTimer(StripTimer timer) = 0;

  // --- Boxes and modal forms. Each runs a nested message loop in which the
  // window's enabled timers keep firing, and returns when the user closes it.
  // One "OK" that Enter and Esc press, centred on the screen; kErrorBoxTitle
  // with the error icon, kInformationBoxTitle with the information icon.
  virtual void ShowError(std::string_view text) = 0;
  virtual void ShowInformation(std::string_view text) = 0;
  // The whole forecast, no icon, word-wrapped to half the screen's width;
  // the whole text is reachable however long it is.
  virtual void ShowForecast(std::string_view title, std::string_view text) = 0;
  // The standard box for an error that escaped a handler: the message and
  // the stop icon, one "OK".
  virtual void ShowUncaughtError(std::string_view title, std::string_view message) = 0;
  // Runs the options dialog (kOptionsDesign) on `form` modally: its controls
  // show the form's values and change them; OK calls form.OkClick() and
  // closes the dialog when that says so; Cancel, Esc and the close box
  // close it.
  virtual void RunOptions(TfrmOptions& form) = 0;
  // Runs a fresh about box (kAboutDesign) modally.
  virtual void RunAbout() = 0;

  // --- While a document downloads. FetchStarts and FetchEnds bracket every
  // fetch; KeepFetching is called about every 40 ms in between. It lets the
  // window repaint what is uncovered and answer the window system, and lets
  // a close that the system asks for act at once (the strip then abandons
  // the fetch); user input and timer ticks wait.
  virtual void FetchStarts() {}
  virtual void KeepFetching() = 0;
  virtual void FetchEnds() {}
};
