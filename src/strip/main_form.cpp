// The main window's handlers: start-up and shutdown, the ticker and the
// title rotation, the display settings, the condition picture, fetching a
// document, the two cuts, the three update paths and the menu commands.
// Each runs its steps in the order the program requires.
#include "strip/main_form.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <optional>

#include "store/reg_ini_file.h"
#include "store/stored_entries.h"
#include "strip/options_form.h"
#include "text/ascii_case.h"
#include "weather/conditions.h"
#include "weather/document_lines.h"
#include "weather/forecast.h"
#include "weather/sources.h"

namespace {

// The forecast box's title shows at most this many bytes of the application
// title.
constexpr std::size_t kMaxForecastTitle = 255;

// The text without the characters 0..32 at either end.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

// Brackets a fetch for the window system, also when it ends by an error.
class FetchScope {
 public:
  explicit FetchScope(TStripPlatform& platform) : platform_(platform) { platform_.FetchStarts(); }
  ~FetchScope() { platform_.FetchEnds(); }
  FetchScope(const FetchScope&) = delete;
  FetchScope& operator=(const FetchScope&) = delete;

 private:
  TStripPlatform& platform_;
};

}  // namespace

bool RunGuarded(TStripPlatform& platform, const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const std::exception& error) {
    platform.ShowUncaughtError(std::string(error.what()) + ".");
    return false;
  }
}

TfrmMain::TfrmMain(TStripPlatform& platform)
    : tmrScroll(platform, StripTimer::tmrScroll, 100),
      tmrUpdate(platform, StripTimer::tmrUpdate, 1800000),
      tmrTitleSwitch(platform, StripTimer::tmrTitleSwitch, 5000),
      platform_(platform) {
  tmrUpdate.SetEnabled(true);
}

// ---------------------------------------------------------------------------
// Start-up and shutdown

void TfrmMain::FormCreate() {
  // The strip's height and the picture frame's size.
  platform_.SetPanelClientHeight(StripPanel::pnlMain, 33);
  platform_.SetPanelClientHeight(StripPanel::pnlImage, 32);
  platform_.SetPanelClientWidth(StripPanel::pnlImage, 32);

  // Place, width and the last texts from the store; geometry applied as read.
  // An entry that raises stops the reads; the close then leaves it, and
  // every one not read after it, as the store has them.
  bool onstart = kOnStart.def;
  {
    TRegIniFile reg(kProductKeyPath);
    unknown_entries_ = {kLeft.name,         kTop.name,          kWidth.name,
                        kLastForecast.name, kLastMarrowby.name, kLastWendmoore.name,
                        kLastUpdate.name};
    platform_.SetLeft(Read(reg, kLeft));
    MarkKnown(kLeft.name);
    platform_.SetTop(Read(reg, kTop));
    MarkKnown(kTop.name);
    // A stored width is the screen's pixels, as the close stored it; where
    // none reads as a number (the first run), the form's design width
    // applies, which the face sizes for its screen. Read as ReadNumber would,
    // raising as it does.
    if (const std::optional<std::int32_t> width =
            StoredTextToNumber(reg.ReadText(kWidth.section, kWidth.name, ""))) {
      platform_.SetWidth(*width);
    } else {
      platform_.SetFormWidth(kWidth.def);
    }
    MarkKnown(kWidth.name);
    ForecastText = Read(reg, kLastForecast);
    MarkKnown(kLastForecast.name);
    PrimaryConditions = Read(reg, kLastMarrowby);
    MarkKnown(kLastMarrowby.name);
    SecondaryConditions = Read(reg, kLastWendmoore);
    MarkKnown(kLastWendmoore.name);
    LastUpdateText = Read(reg, kLastUpdate);
    MarkKnown(kLastUpdate.name);
    onstart = Read(reg, kOnStart);
  }

  // Colours, font, ticker speed and the two option flags.
  ApplySettings();
  platform_.SetHint(LastUpdateText);
  // The texts as they were when the program last ended.
  platform_.SetCaption(ForecastText);
  platform_.SetTickerText(ForecastText);
  platform_.SetTitle(PrimaryConditions);
  platform_.SetClientHeight(platform_.PanelHeight(StripPanel::pnlMain) - 1);
  // The stored texts are on the screen before anything slow happens.
  platform_.ShowWindow();

  // A stored forecast starts the ticker and the title rotation.
  if (platform_.Caption() != kLastForecast.def) {
    tmrScroll.SetEnabled(true);
    tmrTitleSwitch.SetEnabled(true);
    UpdateConditionIcon();
  }

  // The user may have switched the update at start-up off.
  if (onstart) StartupUpdate();
}

void TfrmMain::FormCloseQuery(bool& CanClose) {
  CanClose = true;
  TRegIniFile reg(kProductKeyPath);
  const WindowFrame frame = platform_.Frame();
  // Only what the program read or set: an entry it could not read is never
  // overwritten with a default it merely stood in for.
  if (IsKnown(kLeft.name)) Write(reg, kLeft, frame.left);
  if (IsKnown(kTop.name)) Write(reg, kTop, frame.top);
  if (IsKnown(kWidth.name)) Write(reg, kWidth, frame.width);
  if (IsKnown(kLastForecast.name)) Write(reg, kLastForecast, ForecastText);
  if (IsKnown(kLastMarrowby.name)) Write(reg, kLastMarrowby, PrimaryConditions);
  if (IsKnown(kLastWendmoore.name)) Write(reg, kLastWendmoore, SecondaryConditions);
  if (IsKnown(kLastUpdate.name)) Write(reg, kLastUpdate, LastUpdateText);
  reg.UpdateFile();  // ends the group: a write held back that fails raises here
}

bool TfrmMain::IsKnown(std::string_view entry) const {
  return unknown_entries_.find(entry) == unknown_entries_.end();
}

void TfrmMain::MarkKnown(std::string_view entry) {
  if (const auto it = unknown_entries_.find(entry); it != unknown_entries_.end()) {
    unknown_entries_.erase(it);
  }
}

void TfrmMain::FormClose(TCloseAction& Action) { Action = caFree; }

void TfrmMain::pExitClick() {
  Close();
  platform_.Terminate(0);
}

bool TfrmMain::Close() {
  bool CanClose = true;
  FormCloseQuery(CanClose);
  if (!CanClose) return false;
  TCloseAction Action = caHide;
  FormClose(Action);
  if (Action == caNone) return false;
  // The main window's close ends the program. The object itself lives on
  // until the program's run returns, as the handler that closed it may still
  // be running.
  platform_.HideWindow();
  platform_.Terminate(0);
  return true;
}

void TfrmMain::EndSession() {
  if (platform_.TerminateRequested()) return;
  try {
    if (Close()) return;
  } catch (const std::exception& error) {
    // The session is ending: a box would wait for a click that never comes.
    ReportUnstored(error);
    platform_.HideWindow();
    platform_.Terminate(1);
    return;
  }
  platform_.Terminate(0);
}

bool TfrmMain::QueryEndSession() {
  // Told to end already: that close stored.
  if (platform_.TerminateRequested()) return true;
  bool CanClose = true;
  try {
    FormCloseQuery(CanClose);
    session_query_ = SessionQuery::kStored;
  } catch (const std::exception& error) {
    // Nobody may be there to answer a box, and refusing would only keep the
    // session waiting on us: the log-off goes on, and the end says it failed.
    ReportUnstored(error);
    session_query_ = SessionQuery::kStoreFailed;
  }
  return true;
}

void TfrmMain::SessionEnded(bool ending) {
  if (!ending) {
    // Cancelled: what the strip shows from now on is stored by whatever
    // ends it later.
    session_query_ = SessionQuery::kNone;
    return;
  }
  if (platform_.TerminateRequested()) return;
  if (session_query_ == SessionQuery::kNone) {
    EndSession();
    return;
  }
  TCloseAction Action = caHide;
  FormClose(Action);
  platform_.HideWindow();
  platform_.Terminate(session_query_ == SessionQuery::kStoreFailed ? 1 : 0);
}

void TfrmMain::ReportUnstored(const std::exception& error) {
  std::fprintf(stderr, "marrowby-weather: cannot store the settings in %s: %s\n",
               TRegIniFile(kProductKeyPath).FileName().c_str(), error.what());
  std::fflush(stderr);
}

// ---------------------------------------------------------------------------
// Ticker and title rotation

void TfrmMain::TimerTick(StripTimer timer) {
  switch (timer) {
    case StripTimer::tmrScroll:
      if (tmrScroll.Ticking()) tmrScrollTimer();
      break;
    case StripTimer::tmrUpdate:
      if (tmrUpdate.Ticking()) tmrUpdateTimer();
      break;
    case StripTimer::tmrTitleSwitch:
      if (tmrTitleSwitch.Ticking()) tmrTitleSwitchTimer();
      break;
  }
}

void TfrmMain::tmrScrollTimer() {
  // Drop the first character (the view is taken before the caption changes).
  const std::string& caption = platform_.Caption();
  if (!caption.empty()) platform_.SetCaption(std::string_view(caption).substr(1));
  // Start again from the forecast in the tick that emptied the caption, so
  // that no blank gap stands between two passes.
  if (platform_.Caption().empty()) platform_.SetCaption(ForecastText);
  // The taskbar entry mirrors the ticker, or shows the program's name again
  // at the first tick after the option was switched off.
  if (ScrollInTaskbar) {
    platform_.SetApplicationTitle(platform_.Caption());
  } else {
    platform_.SetApplicationTitle(kApplicationTitle);
  }
}

void TfrmMain::tmrTitleSwitchTimer() {
  // The tag is the rotation's phase: 0 shows the primary station next.
  if (tmrTitleSwitch.Tag() == 0) {
    platform_.SetTitle(PrimaryConditions);
    tmrTitleSwitch.SetTag(1);
  } else {
    platform_.SetTitle(SecondaryConditions);
    tmrTitleSwitch.SetTag(0);
  }
  // A station's name alone, whichever line it came from: the station
  // reports nothing.
  if (EqualsCaseless(Trimmed(platform_.Title()), "marrowby")) {
    platform_.SetTitle("Marrowby - Not available");
  }
  if (EqualsCaseless(Trimmed(platform_.Title()), "wendmoore")) {
    platform_.SetTitle("Wendmoore - Not available");
  }
}

// ---------------------------------------------------------------------------
// Display settings

void TfrmMain::ApplySettings() {
  int foreground = kForeground.def;
  int background = kBackground.def;
  {
    TRegIniFile reg(kProductKeyPath);
    tmrScroll.SetInterval(Read(reg, kRate));
    foreground = Read(reg, kForeground);
    background = Read(reg, kBackground);
    ScrollInTaskbar = Read(reg, kShowTask);
    UseAlternateSource = Read(reg, kAltSource);
    platform_.SetTickerBold(Read(reg, kBold));
  }
  platform_.SetPanelColor(StripPanel::pnlScroll, ColorFromIndex(background));
  platform_.SetPanelColor(StripPanel::pnlImage, ColorFromIndex(background));
  platform_.SetTickerFontColor(ColorFromIndex(foreground));
}

PaletteColor TfrmMain::ColorFromIndex(int index) { return PaletteColorAt(index); }

// ---------------------------------------------------------------------------
// Condition picture

void TfrmMain::UpdateConditionIcon() {
  const ConditionPicture picture = ChooseConditionPicture(PrimaryConditions);
  if (picture != ConditionPicture::kUnchanged) platform_.SetCurrentPicture(picture);
  ShowStationItems();
}

void TfrmMain::ShowStationItems() {
  platform_.SetStationItem(StationItem::pMRB, PrimaryConditions);
  platform_.SetStationItem(StationItem::pWDM, SecondaryConditions);
}

// ---------------------------------------------------------------------------
// Fetching a document

bool TfrmMain::FetchDocument(bool forecast) {
  // Once the program is told to end, nothing more is fetched and no box
  // opens; the handler that called goes on with what it has.
  if (platform_.TerminateRequested()) return false;
  const DocumentSource source =
      FindDocumentSource(TRegIniFile(kProductKeyPath), forecast, UseAlternateSource);
  const std::string& address = source.address;
  const FetchResult result = [&] {
    FetchScope fetching(platform_);
    return FetchHttpDocument(
        address, fetchLimits, [&] { ShowFetchStatus(forecast); },
        [this] { return platform_.KeepFetching(); });
  }();
  // Why it failed goes to standard error, which a desktop session keeps.
  std::fputs(
      FetchFailureLine(forecast, UseAlternateSource, address, result, fetchLimits, source.unusable)
          .c_str(),
      stderr);
  switch (result.outcome) {
    case FetchOutcome::kAbandoned:
      // The program was told to end while the document came in; the close
      // path has stored what is shown. The document counts as not arrived.
      return false;
    case FetchOutcome::kInitFailed:
      platform_.ShowError("Connection to Internet failed or lost. Check your settings.");
      [[fallthrough]];  // without the client no document can be opened
    case FetchOutcome::kOpenFailed:
      platform_.ShowInformation("Attempt to open the URL failed. Check your connection settings");
      // As the Exit command: the close path stores what is shown, then the
      // program ends once control is back in the message loop. A close that
      // the system asked for while the box was open has done both already.
      if (!platform_.TerminateRequested()) {
        Close();
        platform_.Terminate(0);
      }
      return false;
    case FetchOutcome::kReadFailed:
      platform_.ShowError("Connection to Internet failed or lost.");
      return false;
    case FetchOutcome::kDocument:
      break;
  }
  for (const std::string& line : SplitDocumentLines(result.body)) reTmp.AppendLine(line);
  return true;
}

void TfrmMain::ShowFetchStatus(bool forecast) {
  if (forecast) {
    // UpdateForecast set the same caption before the fetch; nothing is
    // painted here, so the screen keeps what the last paint showed.
    platform_.SetCaption(kGettingForecast);
    return;
  }
  ShowUpdateStatus();
}

void TfrmMain::ShowUpdateStatus() {
  platform_.SetTitle(kGettingConditions);
  platform_.SetCaption(kGettingForecast);
  platform_.RepaintCaption();
}

// ---------------------------------------------------------------------------
// Current conditions and forecast

void TfrmMain::UpdateConditions() {
  // The entries are cut only from a roundup that arrived; otherwise
  // the user keeps what was shown.
  if (FetchDocument(false)) {
    if (const std::optional<StationLines> lines = CutConditions(reTmp)) {
      PrimaryConditions = lines->primary;
      SecondaryConditions = lines->secondary;
      MarkKnown(kLastMarrowby.name);
      MarkKnown(kLastWendmoore.name);
    }
  }
  reTmp.ClearBuffer();
  platform_.SetTitle(PrimaryConditions);
  // The ticker starts again from ForecastText at its next step.
  platform_.SetCaption("");
  // Running already: its period goes on.
  tmrUpdate.SetEnabled(true);
  // The title rotation starts again from the primary station.
  tmrTitleSwitch.SetEnabled(true);
  tmrTitleSwitch.SetTag(0);
  UpdateConditionIcon();
  ShowStationItems();
}

void TfrmMain::UpdateForecast() {
  platform_.SetCaption(kGettingForecast);
  // The paragraph is cut only from a zone forecast that arrived, and
  // only then stamped; otherwise the user keeps the forecast and its stamp,
  // and the buffer holds that forecast as it would a new one.
  std::optional<std::string> forecast;
  if (FetchDocument(true)) forecast = CutForecast(reTmp);
  if (forecast) {
    ForecastText = *forecast;
    LastUpdateText = FormatLastUpdate(platform_.Now(), platform_.DateTimeFormats());
    MarkKnown(kLastForecast.name);
    MarkKnown(kLastUpdate.name);
  } else {
    reTmp.SetWholeText(ForecastText);
  }
  platform_.SetHint(LastUpdateText);
  // The ticker starts the new forecast from its beginning at once.
  platform_.SetCaption(ForecastText);
  platform_.SetTickerText(ForecastText);
  tmrScroll.SetEnabled(true);
}

// ---------------------------------------------------------------------------
// Update paths

void TfrmMain::StopForUpdate() {
  tmrScroll.SetEnabled(false);
  tmrTitleSwitch.SetEnabled(false);
  ShowUpdateStatus();
  reTmp.ClearBuffer();
}

void TfrmMain::StartupUpdate() {
  // The buffer holds its initial empty lines; tmrTitleSwitch stays as
  // FormCreate left it.
  platform_.SetTitle(kGettingConditions);
  tmrScroll.SetEnabled(false);
  platform_.SetCaption(kGettingForecast);
  platform_.RepaintCaption();
  platform_.SetApplicationTitle(kApplicationTitle);
  UpdateConditions();
  UpdateForecast();
}

void TfrmMain::tmrUpdateTimer() {
  StopForUpdate();
  UpdateForecast();
  // The roundup is cut alone, never behind the forecast just left in the
  // buffer (a forecast naming a station would pass for its entry).
  reTmp.ClearBuffer();
  UpdateConditions();
  UpdateConditionIcon();
  tmrTitleSwitch.SetEnabled(true);
  tmrScroll.SetEnabled(true);
}

void TfrmMain::pUpdateClick() {
  StopForUpdate();
  UpdateConditions();
  UpdateForecast();
  tmrTitleSwitch.SetEnabled(true);
  tmrScroll.SetEnabled(true);
}

// ---------------------------------------------------------------------------
// Menu commands

void TfrmMain::DisplayCompleteForecast1Click() {
  platform_.ShowForecast(
      std::string_view(platform_.ApplicationTitle()).substr(0, kMaxForecastTitle), ForecastText);
}

void TfrmMain::pOptsClick() {
  {
    // What could not be read keeps its initial value; the error is shown
    // and the dialog still opens.
    TfrmOptions frmOptions;
    RunGuarded(platform_, [&] { frmOptions.FormCreate(); });
    platform_.RunOptions(frmOptions);
  }
  // The stored settings take effect whichever way the dialog closed.
  ApplySettings();
}

void TfrmMain::pAboutClick() { platform_.RunAbout(); }
