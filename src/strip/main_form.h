// The main window's behaviour, unit wx: TfrmMain holds the strip's state and
// runs its handlers, and reaches its window only through the platform
// operations (strip/strip_platform.h), so every window system drives the same
// handlers and the tests drive them with no window at all.
//
// The strip: the picture of the current weather on the left and the forecast
// scrolling through a one-line ticker to its right; the title alternates
// between the two stations' current conditions; every command is on a popup
// menu. TfrmMain keeps the shared texts and flags, the work buffer and the
// three timers under their documented names; its handlers are public, and
// each runs its steps in order.
//
// Nothing here catches errors: an exception (a refused store operation) ends
// the handler where it was raised, and the window system's boundary shows it
// in the standard error box (RunGuarded below for the calls that do not come
// from its event loop).
//
// Boxes and modal forms run nested loops that keep the timers firing, so a
// half-hourly update can run to its end inside a box that another update is
// showing; the handlers allow for that by reading the shared texts and the
// work buffer afresh after every fetch.
#pragma once

#include <exception>
#include <functional>
#include <set>
#include <string>
#include <string_view>

#include "strip/form_design.h"
#include "strip/strip_environment.h"
#include "strip/strip_platform.h"
#include "strip/timer.h"
#include "weather/http_fetch.h"
#include "weather/sources.h"
#include "weather/work_buffer.h"

// What FormClose tells the close path to do with the window. The four values
// are those of the form library the close handler is written against; here
// FormClose always answers caFree, and the close path treats every answer
// but caNone alike.
enum CloseAction { caNone, caHide, caFree, caMinimize };

// Status texts while an update fetches.
inline constexpr char kGettingConditions[] = "Getting Current Conditions...";
inline constexpr char kGettingForecast[] = "Getting Forecast Information...";

class TfrmMain {
 public:
  // The design values: timers, work buffer and flags. The application title
  // is set and tmrUpdate enabled here, so `platform` takes calls from now on;
  // nothing is shown yet.
  // `environment` is what it reaches beyond its window: the settings, the
  // fetch and the diagnostics line.
  TfrmMain(StripPlatform& platform, const StripEnvironment& environment);
  TfrmMain(const TfrmMain&) = delete;
  TfrmMain& operator=(const TfrmMain&) = delete;

  // Components, in the order the form declares them.
  WorkBuffer reTmp;  // the work buffer; starts as two empty lines
  FormTimer tmrScroll;
  FormTimer tmrUpdate;
  FormTimer tmrTitleSwitch;

  // The shared texts (bytes) and flags.
  std::string ForecastText;
  std::string PrimaryConditions;
  std::string SecondaryConditions;
  std::string LastUpdateText;
  bool ScrollInTaskbar = false;
  bool UseAlternateSource = false;

  // Time limits of every fetch (connect, stall, total).
  FetchLimits fetchLimits;

  // The program's start once its window exists, in this order: the main
  // window's creation (FormCreate) behind the error boundary, and the window
  // shown should its creation not have got that far (unless the program is
  // ending already). The window system then runs its message loop and the
  // program ends with ExitStatus().
  void Start();

  // What the strip shows, as it set it.
  const std::string& Title() const { return title_; }
  const std::string& Caption() const { return caption_; }
  const std::string& ApplicationTitle() const { return application_title_; }

  // The program's end: the message loops end, and the program ends with the
  // first non-zero status asked for (something could not be done on the way
  // out), else 0.
  void Terminate(int exit_status);
  bool TerminateRequested() const { return terminate_requested_; }
  int ExitStatus() const { return exit_status_; }

  // The error boundary of the handlers: runs `step`; an exception ends it
  // and is shown in the standard error box, its message followed by ".",
  // titled with the application title at that moment. Returns whether the
  // step ran to its end; nothing escapes it. The window system runs every
  // handler it calls through here, or shows what escaped its own loop with
  // ShowUncaught.
  bool RunGuarded(const std::function<void()>& step);
  void ShowUncaught(const std::exception& error);

  // Start-up and shutdown.
  void FormCreate();
  // Stores the geometry and the four texts, except an entry that FormCreate
  // could not read (and the program has not set since).
  void FormCloseQuery(bool& CanClose);
  void FormClose(CloseAction& Action);
  void pExitClick();

  // A tick of `timer`, from the window system; runs its handler while the
  // timer is enabled.
  void TimerTick(StripTimer timer);
  // Ticker and title rotation.
  void tmrScrollTimer();
  void tmrTitleSwitchTimer();

  // Display settings: the six reads in order, each applied at once, the
  // colours last. A rate of 0 or below (a hand-edited file) leaves the
  // ticker still; an unchanged rate leaves a running ticker's period alone.
  void ApplySettings();
  // The palette colour of `index`; outside 0..15 the fixed kOutOfRangeColor
  // of store/palette.h (orange).
  static PaletteColor ColorFromIndex(int index);

  // The picture of the primary station's conditions, and the station items.
  void UpdateConditionIcon();

  // Fetches `document` from the source that UseAlternateSource chooses at
  // this call, and appends the document's lines to reTmp. The status texts go
  // up once the document is open. Returns whether the document arrived. When
  // it cannot be opened the user is told, the window closes through Close()
  // and the application is told to end; when the read fails the user is told
  // and nothing is appended. The boxes are modal: timers fire while they are
  // open. Once the application is told to end (before or during the fetch) it
  // returns false at once, with no box.
  bool FetchDocument(WeatherDocument document);

  // The two stations' entries from the roundup: shown in the title, the
  // station items and the picture, with the title rotation restarted. A
  // fetch that failed or a document without the roundup's anchor keeps the
  // entries the user had. The work buffer is empty afterwards.
  void UpdateConditions();
  // The Marrowby metro forecast as one line, with its "Last Updated" stamp,
  // restarting the ticker on it. A fetch that failed or a document without
  // the zone's heading keeps the forecast and the stamp the user had. The
  // work buffer keeps the forecast as its text afterwards.
  void UpdateForecast();

  // The three update paths: at start (FormCreate), half-hourly (tmrUpdate,
  // never stopped or restarted by them) and "&Update Now". Each works on a
  // buffer holding one document at a time.
  void StartupUpdate();
  void tmrUpdateTimer();
  void pUpdateClick();

  // A command of the popup menu (strip/form_design.h).
  void MenuClick(MenuCommand command);
  // Menu commands: the whole forecast in a box titled with the application
  // title (at most 255 bytes of it); the options dialog, after which the
  // stored settings are applied however it closed; a fresh about box.
  void DisplayCompleteForecast1Click();
  void pOptsClick();
  void pAboutClick();

  // Closes the main window: FormCloseQuery (which stores), FormClose, then the
  // window disappears and the application is told to end (also when the
  // message loop has not started yet). Errors propagate to the caller, and
  // the window then stays. Returns whether the window closed. Every close
  // route comes here: the close box, Exit, the system's close.
  bool Close();
  // The close box, or a close that another program asks the window for:
  // Close(), unless the program is ending already (what the strip shows is
  // stored then). Returns whether the window may go.
  bool CloseBoxClick();
  // The system asks the program to end (a close signal, the session's end):
  // closes as above, once, and ends the program even when storing failed.
  // Nobody may be there to answer a box: that failure goes to standard error
  // as one line naming the settings location and the error (the
  // environment's diagnostics), and the program ends with status 1. Acts at
  // once in every state, also while a document downloads (the fetch is
  // abandoned).
  void EndSession();

  // A log-off or shutdown comes in two steps: the system first asks every
  // program whether it may end, and only once all have answered does it
  // either end the session or, when one of them refused, cancel it.
  //
  // QueryEndSession is that question. It runs FormCloseQuery, which stores
  // what the strip shows, and answers yes; nothing else changes, since the
  // log-off may still be cancelled: the window, its texts and the timers go
  // on, and a running fetch or an open box goes on too. It acts at once in
  // every state and never waits for a person: storing that fails is one line
  // on standard error naming the settings location and the error, and the
  // program ends with status 1 should the session then end (unless a store
  // on the way out succeeds after all). Once the program is told to end it
  // has stored already, and only answers yes.
  bool QueryEndSession();
  // The system's decision after the question. `ending`: the session ends, and
  // the program with it, at once (the window goes and the application is
  // told to end), storing nothing more when the question stored; without a
  // question answered since the strip last went on, it ends as EndSession
  // does. Not `ending`: the log-off was cancelled, and the strip goes on as
  // it was; a later end stores afresh.
  void SessionEnded(bool ending);

 private:
  // The status texts of a fetch whose document has just opened.
  void ShowFetchStatus(WeatherDocument document);
  // The status texts of an update in the title and the ticker, on the screen
  // at once.
  void ShowUpdateStatus();
  // The start of the half-hourly update and of "&Update Now": the ticker and
  // the title rotation stop, the status texts go up, and the buffer is
  // emptied for the first document.
  void StopForUpdate();
  void ShowStationItems();
  // Set what the window shows; a text it shows already is not set again.
  void SetTitle(std::string_view title);
  void SetCaption(std::string_view caption);
  void SetTickerText(std::string_view forecast);
  void SetApplicationTitle(std::string_view title);
  void ShowWindow();

  // Entries of the close's group that the program neither read nor set:
  // FormCreate's reads were stopped by an error before them. The close
  // leaves them as they are. Empty unless FormCreate ran into such an error.
  std::set<std::string_view, std::less<>> unknown_entries_;  // names from the table
  bool IsKnown(std::string_view entry) const;
  void MarkKnown(std::string_view entry);

  std::string title_;
  std::string caption_;
  std::string ticker_text_;
  std::string application_title_;
  bool shown_ = false;
  bool terminate_requested_ = false;
  int exit_status_ = 0;
  // What the system's question at a log-off left for the session's end.
  enum class SessionQuery { kNone, kStored, kStoreFailed };
  SessionQuery session_query_ = SessionQuery::kNone;
  // The diagnostics line for a store that failed while the system ends the
  // program, where nobody may be there to read a box.
  void ReportUnstored(const std::exception& error);

  StripPlatform& platform_;
  const StripEnvironment& environment_;
};
