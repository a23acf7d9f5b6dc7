// The main window's handlers: start-up and shutdown, the ticker and the
// title rotation, the display settings, the condition picture, fetching a
// document, the two cuts, the three update paths and the menu commands.
// Each runs its steps in the order the program requires.
#include "shell/wx.h"

#include <QAction>
#include <QCoreApplication>
#include <QList>
#include <QPointer>
#include <cstdio>
#include <optional>

#include "about/wxabout.h"
#include "options/wxopts.h"
#include "shell/ticker_panel.h"
#include "store/reg_ini_file.h"
#include "store/stored_entries.h"
#include "text/ascii_case.h"
#include "ui/app_title.h"
#include "ui/application.h"
#include "ui/display_text.h"
#include "ui/message_boxes.h"
#include "ui/palette_color.h"
#include "ui/panel.h"
#include "ui/picture.h"
#include "ui/x11_window.h"
#include "weather/condition_picture.h"
#include "weather/conditions.h"
#include "weather/document_lines.h"
#include "weather/forecast.h"
#include "weather/sources.h"

namespace {

// The forecast box's title shows at most this many characters of the
// application title.
constexpr std::size_t kMaxForecastTitle = 255;

// The text without the characters 0..32 at either end.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

// While a document downloads, the strip shows what the update last painted
// on purpose: the screen changes only where it is uncovered (and by the
// update's own forced repaints), never with the half-done texts an update
// passes through. Requests to repaint later are held back until the fetch
// returns, and then sent again, to be served once control is back in an
// event loop.
class HeldRepaints : public QObject {
 public:
  // A forced repaint asks for its paint at once, with the same event; it
  // goes through.
  static inline int forced_ = 0;

  HeldRepaints() { qApp->installEventFilter(this); }
  ~HeldRepaints() override {
    qApp->removeEventFilter(this);
    for (const QPointer<QObject>& receiver : held_) {
      if (receiver) {
        QCoreApplication::postEvent(receiver, new QEvent(QEvent::UpdateRequest),
                                    Qt::LowEventPriority);
      }
    }
  }
  HeldRepaints(const HeldRepaints&) = delete;
  HeldRepaints& operator=(const HeldRepaints&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::UpdateRequest || forced_ > 0) return false;
    if (!held_.contains(watched)) held_.append(watched);
    return true;
  }

 private:
  QList<QPointer<QObject>> held_;
};

}  // namespace

void TfrmMain::FormCreate() {
  // The strip's height and the picture frame's size.
  pnlMain->SetClientHeight(33);
  pnlImage->SetClientHeight(32);
  pnlImage->SetClientWidth(32);

  // Place, width and the last texts from the store; geometry applied as read.
  // An entry that raises stops the reads; the close then leaves it, and
  // every one not read after it, as the file has them.
  bool onstart = kOnStart.def;
  {
    TRegIniFile reg(kProductKeyPath);
    unknown_entries_ = {kLeft.name,         kTop.name,          kWidth.name,
                        kLastForecast.name, kLastMarrowby.name, kLastWendmoore.name,
                        kLastUpdate.name};
    SetLeft(Read(reg, kLeft));
    SetTop(Read(reg, kTop));
    SetWidth(Read(reg, kWidth));
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
  SetHint(LastUpdateText);
  // The texts as they were when the program last ended.
  pnlScroll->SetCaption(ForecastText);
  pnlScroll->SetWholeText(ForecastText);
  SetTitle(PrimaryConditions);
  SetClientHeight(pnlMain->height() - 1);
  // The stored texts are on the screen before anything slow happens.
  ShowStrip();
  ShowInTaskbar();

  // A stored forecast starts the ticker and the title rotation.
  if (pnlScroll->Caption() != kLastForecast.def) {
    tmrScroll->SetEnabled(true);
    tmrTitleSwitch->SetEnabled(true);
    UpdateConditionIcon();
  }

  // The user may have switched the update at start-up off.
  if (onstart) StartupUpdate();
}

void TfrmMain::FormResize() {
  SetClientHeight(pnlMain->height() - 1);
  pnlScroll->move(pnlImage->x() + pnlImage->width() + 2, pnlScroll->y());
  pnlScroll->resize(ClientWidth() - pnlScroll->x(), pnlScroll->height());
}

void TfrmMain::FormCloseQuery(bool& CanClose) {
  CanClose = true;
  TRegIniFile reg(kProductKeyPath);
  const QRect frame = frameGeometry();
  // Only what the program read or set: an entry it could not read is never
  // overwritten with a default it merely stood in for.
  if (IsKnown(kLeft.name)) Write(reg, kLeft, frame.x());
  if (IsKnown(kTop.name)) Write(reg, kTop, frame.y());
  if (IsKnown(kWidth.name)) Write(reg, kWidth, frame.width());
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
  TerminateApplication();
}

// ---------------------------------------------------------------------------
// Ticker and title rotation

void TfrmMain::tmrScrollTimer() {
  // Drop the first character (the view is taken before the caption changes).
  const std::string& caption = pnlScroll->Caption();
  if (!caption.empty()) pnlScroll->SetCaption(std::string(std::string_view(caption).substr(1)));
  // Start again from the forecast in the tick that emptied the caption, so
  // that no blank gap stands between two passes.
  if (pnlScroll->Caption().empty()) pnlScroll->SetCaption(ForecastText);
  // The taskbar entry mirrors the ticker, or shows the program's name again
  // at the first tick after the option was switched off.
  if (ScrollInTaskbar) {
    SetApplicationTitle(pnlScroll->Caption());
  } else {
    SetApplicationTitle(kApplicationTitle);
  }
}

void TfrmMain::tmrTitleSwitchTimer() {
  // The tag is the rotation's phase: 0 shows the primary station next.
  if (tmrTitleSwitch->Tag() == 0) {
    SetTitle(PrimaryConditions);
    tmrTitleSwitch->SetTag(1);
  } else {
    SetTitle(SecondaryConditions);
    tmrTitleSwitch->SetTag(0);
  }
  // A station's name alone, whichever line it came from: the station
  // reports nothing.
  if (EqualsCaseless(Trimmed(Title()), "marrowby")) SetTitle("Marrowby - Not available");
  if (EqualsCaseless(Trimmed(Title()), "wendmoore")) SetTitle("Wendmoore - Not available");
}

// ---------------------------------------------------------------------------
// Display settings

void TfrmMain::ApplySettings() {
  int foreground = kForeground.def;
  int background = kBackground.def;
  {
    TRegIniFile reg(kProductKeyPath);
    tmrScroll->SetInterval(Read(reg, kRate));
    foreground = Read(reg, kForeground);
    background = Read(reg, kBackground);
    ScrollInTaskbar = Read(reg, kShowTask);
    UseAlternateSource = Read(reg, kAltSource);
    const bool bold = Read(reg, kBold);
    // The whole style is replaced: bold, or no style at all.
    QFont font = pnlScroll->font();
    font.setBold(bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    pnlScroll->setFont(font);
  }
  pnlScroll->SetColor(ColorFromIndex(background));
  pnlImage->SetColor(ColorFromIndex(background));
  pnlScroll->SetFontColor(ColorFromIndex(foreground));
}

QColor TfrmMain::ColorFromIndex(int index) { return PaletteQColor(index); }

// ---------------------------------------------------------------------------
// Condition picture

void TfrmMain::UpdateConditionIcon() {
  switch (ChooseConditionPicture(PrimaryConditions)) {
    case ConditionPicture::kSun:
      imgCurrent->SetPicture(imgSun->Picture());
      break;
    case ConditionPicture::kCloud:
      imgCurrent->SetPicture(imgCloud->Picture());
      break;
    case ConditionPicture::kRain:
      imgCurrent->SetPicture(imgRain->Picture());
      break;
    case ConditionPicture::kSnow:
      imgCurrent->SetPicture(imgSnow->Picture());
      break;
    case ConditionPicture::kUnchanged:
      break;
  }
  ShowStationItems();
}

void TfrmMain::ShowStationItems() {
  pMRB->setText(PlainMenuText(ToDisplay(PrimaryConditions)));
  pWDM->setText(PlainMenuText(ToDisplay(SecondaryConditions)));
}

// ---------------------------------------------------------------------------
// Fetching a document

bool TfrmMain::FetchDocument(bool forecast) {
  // Once the program is told to end, nothing more is fetched and no box
  // opens; the handler that called goes on with what it has.
  if (TerminateRequested()) return false;
  const DocumentSource source =
      FindDocumentSource(TRegIniFile(kProductKeyPath), forecast, UseAlternateSource);
  const std::string& address = source.address;
  const FetchResult result = [&] {
    HeldRepaints held;
    return FetchHttpDocument(
        address, fetchLimits, [&] { ShowFetchStatus(forecast); },
        [this] { return KeepFetching(); });
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
      Boxes().ShowError(
          QStringLiteral("Connection to Internet failed or lost. Check your settings."));
      [[fallthrough]];  // without the client no document can be opened
    case FetchOutcome::kOpenFailed:
      Boxes().ShowInformation(
          QStringLiteral("Attempt to open the URL failed. Check your connection settings"));
      // As the Exit command: the close path stores what is shown, then the
      // program ends once control is back in the event loop. A close signal
      // answered while the box was open has done both already.
      if (!TerminateRequested()) {
        Close();
        TerminateApplication();
      }
      return false;
    case FetchOutcome::kReadFailed:
      Boxes().ShowError(QStringLiteral("Connection to Internet failed or lost."));
      return false;
    case FetchOutcome::kDocument:
      break;
  }
  for (const std::string& line : SplitDocumentLines(result.body)) reTmp.AppendLine(line);
  return true;
}

bool TfrmMain::KeepFetching() {
  // The download blocks the user, not the strip: it repaints when uncovered,
  // answers the window manager, and the close signals and the session's end
  // act at once. Input (the close box included) and timer ticks wait until
  // the fetch returns, so no handler runs in the middle of an update.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                  QEventLoop::X11ExcludeTimers);
  return !TerminateRequested();
}

void TfrmMain::ShowFetchStatus(bool forecast) {
  if (forecast) {
    // UpdateForecast set the same caption before the fetch; nothing is
    // painted here, so the screen keeps what the last paint showed.
    pnlScroll->SetCaption(kGettingForecast);
    return;
  }
  ShowUpdateStatus();
}

void TfrmMain::ShowUpdateStatus() {
  SetTitle(kGettingConditions);
  pnlScroll->SetCaption(kGettingForecast);
  PaintStatusNow();
}

void TfrmMain::PaintStatusNow() {
  ++HeldRepaints::forced_;
  pnlScroll->repaint();
  --HeldRepaints::forced_;
  SyncWithDisplay();
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
  SetTitle(PrimaryConditions);
  // The ticker starts again from ForecastText at its next step.
  pnlScroll->SetCaption("");
  // Running already: its period goes on.
  tmrUpdate->SetEnabled(true);
  // The title rotation starts again from the primary station.
  tmrTitleSwitch->SetEnabled(true);
  tmrTitleSwitch->SetTag(0);
  UpdateConditionIcon();
  ShowStationItems();
}

void TfrmMain::UpdateForecast() {
  pnlScroll->SetCaption(kGettingForecast);
  // The paragraph is cut only from a zone forecast that arrived, and
  // only then stamped; otherwise the user keeps the forecast and its stamp,
  // and the buffer holds that forecast as it would a new one.
  std::optional<std::string> forecast;
  if (FetchDocument(true)) forecast = CutForecast(reTmp);
  if (forecast) {
    ForecastText = *forecast;
    LastUpdateText = FormatLastUpdate(QDateTime::currentDateTime(), lastUpdateFormats);
    MarkKnown(kLastForecast.name);
    MarkKnown(kLastUpdate.name);
  } else {
    reTmp.SetWholeText(ForecastText);
  }
  SetHint(LastUpdateText);
  // The ticker starts the new forecast from its beginning at once.
  pnlScroll->SetCaption(ForecastText);
  pnlScroll->SetWholeText(ForecastText);
  tmrScroll->SetEnabled(true);
}

// ---------------------------------------------------------------------------
// Update paths

void TfrmMain::StopForUpdate() {
  tmrScroll->SetEnabled(false);
  tmrTitleSwitch->SetEnabled(false);
  ShowUpdateStatus();
  reTmp.ClearBuffer();
}

void TfrmMain::StartupUpdate() {
  // The buffer holds its initial empty lines; tmrTitleSwitch stays as
  // FormCreate left it.
  SetTitle(kGettingConditions);
  tmrScroll->SetEnabled(false);
  pnlScroll->SetCaption(kGettingForecast);
  PaintStatusNow();
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
  tmrTitleSwitch->SetEnabled(true);
  tmrScroll->SetEnabled(true);
}

void TfrmMain::pUpdateClick() {
  StopForUpdate();
  UpdateConditions();
  UpdateForecast();
  tmrTitleSwitch->SetEnabled(true);
  tmrScroll->SetEnabled(true);
}

// ---------------------------------------------------------------------------
// Menu commands

void TfrmMain::DisplayCompleteForecast1Click() {
  const std::string title = ApplicationTitleText().substr(0, kMaxForecastTitle);
  Boxes().ShowForecast(ToDisplayPiece(title, ApplicationTitleIsUtf8()), ToDisplay(ForecastText));
}

void TfrmMain::pOptsClick() {
  {
    auto frmOptions = std::make_unique<TfrmOptions>(this);
    Boxes().RunModal(*frmOptions);
  }
  // The stored settings take effect whichever way the dialog closed.
  ApplySettings();
}

void TfrmMain::pAboutClick() {
  auto frmAbout = std::make_unique<TfrmAbout>(this);
  Boxes().RunModal(*frmAbout);
}
