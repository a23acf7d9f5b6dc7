// The main window's handlers: start-up and shutdown, the ticker and the
// title rotation, the display settings, the condition picture, fetching a
// document, the two cuts, the three update paths and the menu commands.
// Each runs its steps in the order the program requires.
#include "strip/main_form.h"

#include <cstdint>
#include <exception>
#include <optional>

#include "store/stored_entries.h"
#include "strip/options_form.h"
#include "text/ascii_case.h"
#include "weather/conditions.h"
#include "weather/document_lines.h"
#include "weather/forecast.h"

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
  explicit FetchScope(StripPlatform& platform) : platform_(platform) { platform_.FetchStarts(); }
  ~FetchScope() { platform_.FetchEnds(); }
  FetchScope(const FetchScope&) = delete;
  FetchScope& operator=(const FetchScope&) = delete;

 private:
  StripPlatform& platform_;
};

}  // namespace

TfrmMain::TfrmMain(StripPlatform& platform, const StripEnvironment& environment)
    : tmrScroll(platform, StripTimer::tmrScroll, 100),
      tmrUpdate(platform, StripTimer::tmrUpdate, 1800000),
      tmrTitleSwitch(platform, StripTimer::tmrTitleSwitch, 5000),
      application_title_(kApplicationTitle),
      platform_(platform),
      environment_(environment) {
  // The taskbar entry shows the program's name from the start.
  platform_.SetApplicationTitle(application_title_);
  tmrUpdate.SetEnabled(true);
}

// ---------------------------------------------------------------------------
// The program's start and end, the error boundary, what the window shows

void TfrmMain::Start() {
  // An error in FormCreate ends it where it was raised, like any handler's.
  // The about box the form would also make now, hidden, is never seen: the
  // About command makes a box of its own, so none is made here.
  RunGuarded([this] { FormCreate(); });
  if (!terminate_requested_ && !shown_) ShowWindow();
}

void TfrmMain::Terminate(int exit_status) {
  if (exit_status_ == 0) exit_status_ = exit_status;
  terminate_requested_ = true;
  platform_.EndMessageLoops();
}

bool TfrmMain::RunGuarded(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const std::exception& error) {
    ShowUncaught(error);
    return false;
  } catch (...) {
    // Nothing the program raises is of another kind; should anything be,
    // it must not cross the window system's code that called the handler.
    platform_.ShowUncaughtError(application_title_, "Unexpected error.");
    return false;
  }
}

void TfrmMain::ShowUncaught(const std::exception& error) {
  platform_.ShowUncaughtError(application_title_, std::string(error.what()) + ".");
}

void TfrmMain::SetTitle(std::string_view title) {
  if (title == title_) return;
  title_.assign(title);
  platform_.SetTitle(title_);
}

void TfrmMain::SetCaption(std::string_view caption) {
  if (caption == caption_) return;
  caption_.assign(caption);
  platform_.SetCaption(caption_);
}

void TfrmMain::SetTickerText(std::string_view forecast) {
  if (forecast == ticker_text_) return;
  ticker_text_.assign(forecast);
  platform_.SetTickerText(ticker_text_);
}

void TfrmMain::SetApplicationTitle(std::string_view title) {
  if (title == application_title_) return;
  application_title_.assign(title);
  platform_.SetApplicationTitle(application_title_);
}

void TfrmMain::ShowWindow() {
  shown_ = true;
  platform_.ShowWindow();
}

// ---------------------------------------------------------------------------
// Start-up and shutdown

void TfrmMain::FormCreate() {
  // The strip's height and the picture frame's size.
  platform_.SetPanelClientHeight(StripPanel::pnlMain, kStripDesign.strip_client_height);
  platform_.SetPanelClientHeight(StripPanel::pnlImage, kStripDesign.picture_frame_size);
  platform_.SetPanelClientWidth(StripPanel::pnlImage, kStripDesign.picture_frame_size);

  // Place, width and the last texts from the store; geometry applied as read.
  // An entry that raises stops the reads; the close then leaves it, and
  // every one not read after it, as the store has them.
  bool onstart = kOnStart.def;
  {
    const std::unique_ptr<SettingsGroup> group = environment_.settings.Open();
    const SettingsGroup& reg = *group;
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
  SetCaption(ForecastText);
  SetTickerText(ForecastText);
  SetTitle(PrimaryConditions);
  platform_.SetClientHeight(platform_.PanelHeight(StripPanel::pnlMain) - 1);
  // The stored texts are on the screen before anything slow happens.
  ShowWindow();

  // A stored forecast starts the ticker and the title rotation.
  if (caption_ != kLastForecast.def) {
    tmrScroll.SetEnabled(true);
    tmrTitleSwitch.SetEnabled(true);
    UpdateConditionIcon();
  }

  // The user may have switched the update at start-up off.
  if (onstart) StartupUpdate();
}

void TfrmMain::FormCloseQuery(bool& CanClose) {
  CanClose = true;
  const std::unique_ptr<SettingsGroup> group = environment_.settings.Open();
  SettingsGroup& reg = *group;
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

void TfrmMain::FormClose(CloseAction& Action) { Action = caFree; }

void TfrmMain::pExitClick() {
  Close();
  Terminate(0);
}

bool TfrmMain::Close() {
  bool CanClose = true;
  FormCloseQuery(CanClose);
  if (!CanClose) return false;
  CloseAction Action = caHide;
  FormClose(Action);
  if (Action == caNone) return false;
  // The main window's close ends the program. The object itself lives on
  // until the program's run returns, as the handler that closed it may still
  // be running.
  platform_.HideWindow();
  Terminate(0);
  return true;
}

bool TfrmMain::CloseBoxClick() {
  if (terminate_requested_) return true;
  return Close();
}

void TfrmMain::EndSession() {
  if (terminate_requested_) return;
  try {
    if (Close()) return;
  } catch (const std::exception& error) {
    // The session is ending: a box would wait for a click that never comes.
    ReportUnstored(error);
    platform_.HideWindow();
    Terminate(1);
    return;
  }
  Terminate(0);
}

bool TfrmMain::QueryEndSession() {
  // Told to end already: that close stored.
  if (terminate_requested_) return true;
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
  if (terminate_requested_) return;
  if (session_query_ == SessionQuery::kNone) {
    EndSession();
    return;
  }
  CloseAction Action = caHide;
  FormClose(Action);
  platform_.HideWindow();
  Terminate(session_query_ == SessionQuery::kStoreFailed ? 1 : 0);
}

void TfrmMain::ReportUnstored(const std::exception& error) {
  environment_.log.WriteLine("marrowby-weather: cannot store the settings in " +
                             environment_.settings.Location() + ": " + error.what() + "\n");
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
  // Drop the first character: the whole text moves one character left.
  if (!caption_.empty()) {
    const char dropped = caption_.front();
    caption_.erase(0, 1);
    platform_.StepCaption(std::string_view(&dropped, 1), caption_);
  }
  // Start again from the forecast in the tick that emptied the caption, so
  // that no blank gap stands between two passes.
  if (caption_.empty()) SetCaption(ForecastText);
  // The taskbar entry mirrors the ticker, or shows the program's name again
  // at the first tick after the option was switched off.
  SetApplicationTitle(ScrollInTaskbar ? std::string_view(caption_)
                                      : std::string_view(kApplicationTitle));
}

void TfrmMain::tmrTitleSwitchTimer() {
  // The tag is the rotation's phase: 0 shows the primary station next.
  if (tmrTitleSwitch.Tag() == 0) {
    SetTitle(PrimaryConditions);
    tmrTitleSwitch.SetTag(1);
  } else {
    SetTitle(SecondaryConditions);
    tmrTitleSwitch.SetTag(0);
  }
  // A station's name alone, whichever line it came from: the station
  // reports nothing.
  if (EqualsCaseless(Trimmed(title_), "marrowby")) SetTitle("Marrowby - Not available");
  if (EqualsCaseless(Trimmed(title_), "wendmoore")) SetTitle("Wendmoore - Not available");
}

// ---------------------------------------------------------------------------
// Display settings

void TfrmMain::ApplySettings() {
  int foreground = kForeground.def;
  int background = kBackground.def;
  {
    const std::unique_ptr<SettingsGroup> group = environment_.settings.Open();
    const SettingsGroup& reg = *group;
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

bool TfrmMain::FetchDocument(WeatherDocument document) {
  // Once the program is told to end, nothing more is fetched and no box
  // opens; the handler that called goes on with what it has.
  if (terminate_requested_) return false;
  const WeatherSource from =
      UseAlternateSource ? WeatherSource::kAlternate : WeatherSource::kPrimary;
  const DocumentSource source = FindDocumentSource(*environment_.settings.Open(), document, from);
  const std::string& address = source.address;
  const FetchResult result = [&] {
    FetchScope fetching(platform_);
    return environment_.fetch.Fetch(
        address, fetchLimits, [&] { ShowFetchStatus(document); },
        [this] {
          platform_.KeepFetching();
          return !terminate_requested_;
        });
  }();
  // Why it failed goes to the diagnostics, which a desktop session keeps.
  const std::string failure =
      FetchFailureLine(document, from, address, result, fetchLimits, source.unusable);
  if (!failure.empty()) environment_.log.WriteLine(failure);
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
      if (!terminate_requested_) {
        Close();
        Terminate(0);
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

void TfrmMain::ShowFetchStatus(WeatherDocument document) {
  if (document == WeatherDocument::kForecast) {
    // UpdateForecast set the same caption before the fetch; nothing is
    // painted here, so the screen keeps what the last paint showed.
    SetCaption(kGettingForecast);
    return;
  }
  ShowUpdateStatus();
}

void TfrmMain::ShowUpdateStatus() {
  SetTitle(kGettingConditions);
  SetCaption(kGettingForecast);
  platform_.RepaintCaption();
}

// ---------------------------------------------------------------------------
// Current conditions and forecast

void TfrmMain::UpdateConditions() {
  // The entries are cut only from a roundup that arrived; otherwise
  // the user keeps what was shown.
  if (FetchDocument(WeatherDocument::kConditions)) {
    if (const std::optional<StationLines> lines = CutConditions(reTmp)) {
      PrimaryConditions = lines->primary;
      SecondaryConditions = lines->secondary;
      MarkKnown(kLastMarrowby.name);
      MarkKnown(kLastWendmoore.name);
    }
  }
  reTmp.ClearBuffer();
  SetTitle(PrimaryConditions);
  // The ticker starts again from ForecastText at its next step.
  SetCaption("");
  // Running already: its period goes on.
  tmrUpdate.SetEnabled(true);
  // The title rotation starts again from the primary station.
  tmrTitleSwitch.SetEnabled(true);
  tmrTitleSwitch.SetTag(0);
  UpdateConditionIcon();
  ShowStationItems();
}

void TfrmMain::UpdateForecast() {
  SetCaption(kGettingForecast);
  // The paragraph is cut only from a zone forecast that arrived, and
  // only then stamped; otherwise the user keeps the forecast and its stamp,
  // and the buffer holds that forecast as it would a new one.
  std::optional<std::string> forecast;
  if (FetchDocument(WeatherDocument::kForecast)) forecast = CutForecast(reTmp);
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
  SetCaption(ForecastText);
  SetTickerText(ForecastText);
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
  SetTitle(kGettingConditions);
  tmrScroll.SetEnabled(false);
  SetCaption(kGettingForecast);
  platform_.RepaintCaption();
  SetApplicationTitle(kApplicationTitle);
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

void TfrmMain::MenuClick(MenuCommand command) {
  switch (command) {
    case MenuCommand::kForecast:
      return DisplayCompleteForecast1Click();
    case MenuCommand::kUpdate:
      return pUpdateClick();
    case MenuCommand::kOptions:
      return pOptsClick();
    case MenuCommand::kAbout:
      return pAboutClick();
    case MenuCommand::kExit:
      return pExitClick();
    case MenuCommand::kNone:
      return;
  }
}

void TfrmMain::DisplayCompleteForecast1Click() {
  platform_.ShowForecast(std::string_view(application_title_).substr(0, kMaxForecastTitle),
                         ForecastText);
}

void TfrmMain::pOptsClick() {
  {
    // What could not be read keeps its initial value; the error is shown
    // and the dialog still opens. An error on OK is shown with the title
    // the application has then, and keeps the dialog open.
    TfrmOptions frmOptions(environment_.settings,
                           [this](const std::function<void()>& step) { return RunGuarded(step); });
    RunGuarded([&] { frmOptions.FormCreate(); });
    platform_.RunOptions(frmOptions);
  }
  // The stored settings take effect whichever way the dialog closed.
  ApplySettings();
}

void TfrmMain::pAboutClick() { platform_.RunAbout(); }
