// The main window, unit wx: a thin strip with the picture of the current
// weather on the left and the forecast scrolling through a one-line ticker to
// its right; the title alternates between the two stations' current
// conditions; every command is on a popup menu opened by a right-click
// anywhere on the strip.
//
// TfrmMain owns the components under their documented names, the shared
// texts and flags, the work buffer and the three timers. Its handlers are
// public so that tests can call them directly; each runs its steps in order.
// Nothing here catches errors: an exception ends the handler where it was
// raised, and the application's boundary (TApplication::notify, RunGuarded)
// shows it.
//
// Every box the window shows and every dialog it runs goes through Boxes()
// (ui/message_boxes.h). Their nested loops keep the window's timers
// firing, so a half-hourly update can run to its end inside a box that
// another update is showing; the handlers allow for that by reading the
// shared texts and the work buffer afresh after every fetch.
#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "shell/last_update.h"
#include "ui/timer.h"
#include "weather/http_fetch.h"
#include "weather/work_buffer.h"

class QAction;
class QMenu;
class TCloseSignals;
class TPanel;
class TPicture;
class TTickerPanel;

// What FormClose tells the close path to do with the window. The four values
// are those of the form library this window's close handler is written
// against; here FormClose always answers caFree, and the close path treats
// every answer but caNone alike.
enum TCloseAction { caNone, caHide, caFree, caMinimize };

// Texts of the strip that the program itself shows (those shown until a first
// update has stored anything are the defaults of store/stored_entries.h).
inline constexpr char kApplicationTitle[] = "Marrowby Weather";
inline constexpr char kPictureHint[] = "Current Marrowby Weather";
// Status texts while an update fetches.
inline constexpr char kGettingConditions[] = "Getting Current Conditions...";
inline constexpr char kGettingForecast[] = "Getting Forecast Information...";

class TfrmMain : public QWidget {
  Q_OBJECT
 public:
  // Builds the window with its design values, hidden. FormCreate does the rest.
  explicit TfrmMain(QWidget* parent = nullptr);
  ~TfrmMain() override;

  // Components, in the order the form declares them.
  WorkBuffer reTmp;  // the work buffer; starts as two empty lines
  TTimer* tmrScroll;
  TTimer* tmrUpdate;
  TTimer* tmrTitleSwitch;
  QMenu* pMenu;
  QAction* pShowForecast;
  QAction* pMRB;
  QAction* pWDM;
  QAction* pUpdate;
  QAction* pOptions;
  QAction* pExit;
  QAction* pAbout;
  TPanel* pnlMain;
  TPanel* pnlImage;
  TTickerPanel* pnlScroll;
  TPicture* imgRain;
  TPicture* imgCloud;
  TPicture* imgSnow;
  TPicture* imgSun;
  TPicture* imgCurrent;
  QAction* DisplayCompleteForecast1;

  // The shared texts (bytes) and flags.
  std::string ForecastText;
  std::string PrimaryConditions;
  std::string SecondaryConditions;
  std::string LastUpdateText;
  bool ScrollInTaskbar = false;
  bool UseAlternateSource = false;

  // Start-up and shutdown.
  void FormCreate();
  void FormResize();
  // Stores the geometry and the four texts, except an entry that FormCreate
  // could not read (and the program has not set since).
  void FormCloseQuery(bool& CanClose);
  void FormClose(TCloseAction& Action);
  void pExitClick();

  // Ticker and title rotation.
  void tmrScrollTimer();
  void tmrTitleSwitchTimer();

  // Display settings: the six reads in order, each applied at once, the
  // colours last. A rate of 0 or below (a hand-edited file) leaves the
  // ticker still; an unchanged rate leaves a running ticker's period alone.
  void ApplySettings();
  // The palette colour of `index`; outside 0..15 the fixed kOutOfRangeColor
  // of store/palette.h (orange).
  static QColor ColorFromIndex(int index);

  // The picture of the primary station's conditions, and the station items.
  void UpdateConditionIcon();

  // Fetches the forecast (true) or the current conditions (false) from the
  // source that UseAlternateSource chooses at this call, and appends the
  // document's lines to reTmp. The status texts go up once the document is
  // open. Returns whether the document arrived. When it cannot be opened the
  // user is told, the window closes through Close() and the application is
  // told to end; when the read fails the user is told and nothing is
  // appended. The boxes are modal: timers fire while they are open.
  // Once the application is told to end (before or during the fetch) it
  // returns false at once, with no box.
  bool FetchDocument(bool forecast);
  // Time limits of every fetch (connect, stall, total).
  FetchLimits fetchLimits;

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

  // Menu commands: the whole forecast in a box titled with the application
  // title (the taskbar entry's text, at most 255 characters); the options
  // dialog, after which the stored settings are applied however it closed;
  // a fresh about box.
  void DisplayCompleteForecast1Click();
  void pOptsClick();
  void pAboutClick();

  // The locale's date and time formats for the "Last Updated" stamp: taken
  // from QLocale::system() at construction and again whenever Qt reports a
  // locale change (to the application, which passes it on to this window).
  LastUpdateFormats lastUpdateFormats;

  // Closes the main window: FormCloseQuery (which stores), FormClose, then the
  // window disappears and the application is told to end (also when the
  // event loop has not started yet). Errors propagate to the caller, and the
  // window then stays. Returns whether the window closed. Every close route
  // comes here: the close box, Exit, the close signals, the session's end.
  bool Close();
  // The system asks the program to end (SIGTERM, SIGINT, SIGHUP, the session
  // manager's commit-data request): closes as above, once, and ends the
  // program even when storing failed. Nobody may be there to answer a box:
  // that failure goes to standard error as one line naming the settings file
  // and the error, and the program ends with status 1. Acts at once in every
  // state, also while a document downloads (the fetch is abandoned).
  void EndSession();
  // Routes SIGTERM, SIGINT, SIGHUP and the session manager's request to
  // EndSession. The program's run (app/program.h) does this; tests may.
  void InstallCloseRoutes();

  // The window title and hint, as bytes; shown as plain text.
  const std::string& Title() const { return title_; }
  void SetTitle(std::string_view title);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string_view hint);

  // Geometry as the form sees it: left, top and width of the outer frame,
  // client height and width.
  void SetLeft(int left);
  void SetTop(int top);
  void SetWidth(int width);
  void SetClientHeight(int height);
  int ClientWidth() const { return width(); }
  int ClientHeight() const { return height(); }

  // Shows the strip without a taskbar entry of its own and paints it on the
  // screen before returning. Virtual: a program that watches the start-up
  // from inside (app/program.h) learns here that the stored texts are on the
  // screen.
  virtual void ShowStrip();
  // Gives the strip its icon and the application its taskbar entry (on X11
  // the proxy window, which brings this window forward).
  void ShowInTaskbar();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // The status texts of a fetch whose document has just opened.
  void ShowFetchStatus(bool forecast);
  // The status texts of an update in the title and the ticker, on the screen
  // at once.
  void ShowUpdateStatus();
  // The start of the half-hourly update and of "&Update Now": the ticker and
  // the title rotation stop, the status texts go up, and the buffer is
  // emptied for the first document.
  void StopForUpdate();
  // Called while a fetch waits: runs what must not wait for it (painting,
  // the window manager, the close signals). False once the program is told
  // to end, which abandons the fetch.
  bool KeepFetching();
  // Puts the ticker's caption (and the title) on the screen before a
  // blocking step.
  void PaintStatusNow();
  void ShowStationItems();
  void AlignControls();
  void WaitUntilExposed();
  void ApplyPendingGeometry();

  // Entries of the close's group that the program neither read nor set:
  // FormCreate's reads were stopped by an error before them. The close
  // leaves them as they are. Empty unless FormCreate ran into such an error.
  std::set<std::string_view, std::less<>> unknown_entries_;  // names from the table
  bool IsKnown(std::string_view entry) const;
  void MarkKnown(std::string_view entry);

  std::string title_;
  std::string hint_;
  QRect wanted_frame_{10, 40, 340, 0};  // as set, to reach once the frame is known
  bool pending_frame_ = false;
  std::unique_ptr<TCloseSignals> close_signals_;
};
