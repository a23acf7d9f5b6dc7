// The main window on Qt: the strip drawn with Qt Widgets, one face of the
// strip's behaviour (strip/main_form.h). It builds the form's components from
// the strip's design (strip/form_design.h), implements the platform
// operations for TfrmMain, turns Qt's events (timer ticks, menu commands, the
// close box, the close signals, the session's end, errors that escape a
// handler) into calls of its handlers, and draws; it holds no behaviour of
// its own beyond keeping its controls in place, and keeps of what the strip
// shows only what it needs to draw.
//
// Texts arrive as bytes and are shown as plain text (qt/ui/display_text.h).
// Every box and modal form goes through Boxes() (qt/ui/message_boxes.h).
// While a document downloads the strip keeps painting what is uncovered and
// answers the window manager and the close signals, but takes no input and
// runs no timer handler until the fetch returns.
#pragma once

#include <QList>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "strip/main_form.h"
#include "strip/strip_platform.h"

class QAction;
class QMenu;
class HeldRepaints;
class CloseSignals;
class Panel;
class Picture;
class TickerPanel;

class MainWindow : public QWidget, public StripPlatform {
  Q_OBJECT
 public:
  // Builds the window with its design values, hidden, and makes its strip
  // the application's error boundary; the strip's start (frmMain.Start())
  // does the rest.
  // `environment` is what the strip reaches beyond the window (the settings,
  // the fetch, the diagnostics): the program's own unless a test gives one.
  explicit MainWindow(const StripEnvironment& environment = ProgramEnvironment(),
                      QWidget* parent = nullptr);
  ~MainWindow() override;

  // The popup menu, made with its items when it is first used (shown, or
  // looked at through here): a strip that is only watched never needs it.
  class PopupMenu {
   public:
    explicit PopupMenu(MainWindow& frm) : frm_(frm) {}
    QMenu* operator->() const { return get(); }
    operator QMenu*() const { return get(); }
    QMenu* get() const;

   private:
    MainWindow& frm_;
    mutable QMenu* menu_ = nullptr;
  };

  // Components, in the order the form declares them; the menu's items
  // (kPopupMenu) exist from the start, each under its name.
  PopupMenu pMenu{*this};
  QAction* pMRB;
  QAction* pWDM;
  QAction* DisplayCompleteForecast1;
  QAction* pUpdate;
  QAction* pOptions;
  QAction* pAbout;
  QAction* pExit;
  Panel* pnlMain;
  Panel* pnlImage;
  TickerPanel* pnlScroll;
  Picture* imgRain;
  Picture* imgCloud;
  Picture* imgSnow;
  Picture* imgSun;
  Picture* imgCurrent;

  // Keeps the controls in place after a change of size: the height stays at
  // the strip's, the ticker reaches the right edge.
  void FormResize();

  // Routes SIGTERM, SIGINT, SIGHUP and the session manager's end (Qt's quit
  // event to the application) to TfrmMain::EndSession, and the session
  // manager's request to save at a log-off to TfrmMain::QueryEndSession. The
  // program's run (qt/app/program.h) does this; tests may.
  void InstallCloseRoutes();

  // The window's timer for `timer` (for tests of the wiring).
  const QTimer& Timer(StripTimer timer) const { return timers_[static_cast<int>(timer)]; }

  // Shows the strip without a taskbar entry of its own and paints it on the
  // screen before returning. Virtual: a program that watches the start-up
  // from inside (qt/app/program.h) learns here that the stored texts are on
  // the screen.
  virtual void ShowStrip();
  // Gives the strip its icon and the application its taskbar entry (on X11
  // the proxy window, which brings this window forward).
  void ShowInTaskbar();

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
  // Qt sizes in device-independent pixels: the design width as it stands.
  void SetFormWidth(int width) override { SetWidth(width); }
  void SetClientHeight(int height) override;
  WindowFrame Frame() const override;
  void ShowWindow() override;
  void HideWindow() override { hide(); }
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

 signals:
  // The popup menu was made, at its first use.
  void MenuMade(QMenu* menu);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  Panel* PanelOf(StripPanel panel) const;
  void AlignControls();
  void WaitUntilExposed();
  void ApplyPendingGeometry();

  QList<QAction*> menu_items_;  // kPopupMenu's, in its order
  std::array<QTimer, 3> timers_;
  LastUpdateFormats formats_;
  QRect wanted_frame_{10, 40, 340, 0};  // as set, to reach once the frame is known
  bool pending_frame_ = false;
  std::unique_ptr<HeldRepaints> held_repaints_;
  std::unique_ptr<CloseSignals> close_signals_;

 public:
  // The strip's behaviour, last: it starts tmrUpdate through this window
  // when it is made.
  TfrmMain frmMain;
};
