#include "shell/wx.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QSessionManager>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>

#include "about/wxabout.h"
#include "pictures.h"
#include "store/palette.h"
#include "store/reg_ini_file.h"
#include "options/wxopts.h"
#include "ui/app_title.h"
#include "ui/application.h"
#include "shell/close_signals.h"
#include "ui/display_text.h"
#include "ui/message_boxes.h"
#include "ui/panel.h"
#include "ui/picture.h"
#include "shell/ticker_panel.h"
#include "ui/x11_window.h"
#include "weather/condition_picture.h"
#include "weather/conditions.h"
#include "weather/document_lines.h"
#include "weather/forecast.h"
#include "weather/sources.h"

namespace {

constexpr int kStockPictureSize = 32;
// The forecast box's title shows at most this many characters of the
// application title.
constexpr std::size_t kMaxForecastTitle = 255;

QFont PixelFont(const char* family, int pixels, bool bold) {
  QFont font(QString::fromLatin1(family));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

TPicture* MakeStockPicture(QWidget* parent, const char* name, const char* picture, int left) {
  auto* image = new TPicture(parent);
  image->setObjectName(QLatin1String(name));
  image->SetAutoSize(true);
  image->SetPicture(ProgramPicture(QLatin1String(picture), {kStockPictureSize, kStockPictureSize}));
  // Below the strip, where the client area never reaches.
  image->move(left, 48);
  return image;
}

QAction* MakeItem(QMenu* menu, const char* name, const char* caption) {
  QAction* item = menu->addAction(QString::fromLatin1(caption));
  item->setObjectName(QLatin1String(name));
  return item;
}

// The text with the characters 0..32 removed at both ends and A-Z lowered.
std::string TrimmedLower(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  std::string result(text.substr(begin, end - begin));
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return result;
}

// Hooks for the smoke test and the start-up benchmark, between showing the
// strip and the slow steps that follow it; not part of the program's
// behaviour. HOLD blocks (no events) for a while; EXIT prints the steady
// clock in nanoseconds and ends the process at once.
void TestHookAfterShow() {
  if (const char* hold = std::getenv("MW_TEST_HOLD_AFTER_SHOW_MS")) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(hold)));
  }
  if (std::getenv("MW_TEST_EXIT_AFTER_SHOW")) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
    std::fflush(stdout);
    std::_Exit(0);
  }
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("frmMain"));
  setFont(PixelFont("MS Sans Serif", 11, false));
  // The strip stands beside whatever the user works in and is rarely the
  // active window; its hints must show all the same.
  setAttribute(Qt::WA_AlwaysShowToolTips);

  tmrScroll = new TTimer(this);
  tmrScroll->setObjectName(QStringLiteral("tmrScroll"));
  tmrScroll->SetInterval(100);
  tmrScroll->OnTimer = [this] { tmrScrollTimer(); };

  tmrUpdate = new TTimer(this);
  tmrUpdate->setObjectName(QStringLiteral("tmrUpdate"));
  tmrUpdate->SetInterval(1800000);
  tmrUpdate->OnTimer = [this] { tmrUpdateTimer(); };
  tmrUpdate->SetEnabled(true);

  tmrTitleSwitch = new TTimer(this);
  tmrTitleSwitch->setObjectName(QStringLiteral("tmrTitleSwitch"));
  tmrTitleSwitch->SetInterval(5000);
  tmrTitleSwitch->SetTag(0);
  tmrTitleSwitch->OnTimer = [this] { tmrTitleSwitchTimer(); };

  // The popup menu, in the order it shows its items.
  pMenu = new QMenu(this);
  pMenu->setObjectName(QStringLiteral("pMenu"));
  pMRB = MakeItem(pMenu, "pMRB", "Marrowby");
  pMRB->setVisible(false);
  pWDM = MakeItem(pMenu, "pWDM", "Wendmoore");
  pWDM->setVisible(false);
  DisplayCompleteForecast1 = MakeItem(pMenu, "DisplayCompleteForecast1", "&Forecast");
  pShowForecast = pMenu->addSeparator();
  pShowForecast->setObjectName(QStringLiteral("pShowForecast"));
  pUpdate = MakeItem(pMenu, "pUpdate", "&Update Now");
  pOptions = MakeItem(pMenu, "pOptions", "&Options");
  pAbout = MakeItem(pMenu, "pAbout", "&About...");
  pMenu->addSeparator();
  pExit = MakeItem(pMenu, "pExit", "E&xit");
  connect(DisplayCompleteForecast1, &QAction::triggered, this,
          [this] { DisplayCompleteForecast1Click(); });
  connect(pUpdate, &QAction::triggered, this, [this] { pUpdateClick(); });
  connect(pOptions, &QAction::triggered, this, [this] { pOptsClick(); });
  connect(pAbout, &QAction::triggered, this, [this] { pAboutClick(); });
  connect(pExit, &QAction::triggered, this, [this] { pExitClick(); });

  // The strip: the picture frame and the ticker inside a lowered bevel.
  pnlMain = new TPanel(this, QFrame::Panel, QFrame::Sunken, 1);
  pnlMain->setObjectName(QStringLiteral("pnlMain"));
  pnlMain->setGeometry(0, 0, 340, 35);
  pnlMain->installEventFilter(this);

  pnlImage = new TPanel(pnlMain, QFrame::Panel, QFrame::Sunken, 1);
  pnlImage->setObjectName(QStringLiteral("pnlImage"));
  pnlImage->SetColor(Qt::black);
  pnlImage->setGeometry(1, 1, 34, 33);

  pnlScroll = new TTickerPanel(pnlMain);
  pnlScroll->setObjectName(QStringLiteral("pnlScroll"));
  pnlScroll->SetColor(Qt::black);
  pnlScroll->setFont(PixelFont("Arial", 15, true));
  pnlScroll->SetFontColor(Qt::yellow);
  pnlScroll->setGeometry(37, 1, 303, 33);

  // The stock pictures, side by side: sun, rain, snow, cloud.
  imgRain = MakeStockPicture(this, "imgRain", "rain", 48);
  imgCloud = MakeStockPicture(this, "imgCloud", "cloud", 128);
  imgSnow = MakeStockPicture(this, "imgSnow", "snow", 88);
  imgSun = MakeStockPicture(this, "imgSun", "sun", 8);

  imgCurrent = new TPicture(pnlImage);
  imgCurrent->setObjectName(QStringLiteral("imgCurrent"));
  imgCurrent->setGeometry(1, 1, 32, 32);
  imgCurrent->SetCenter(true);
  imgCurrent->SetPicture(ProgramPicture(QStringLiteral("initial"), {24, 24}));
  imgCurrent->setToolTip(QString::fromLatin1(kPictureHint));

  resize(340, 34);

  lastUpdateFormats = LastUpdateFormats::FromLocale(QLocale::system());
}

TfrmMain::~TfrmMain() { SetTaskbarProxyTarget(nullptr); }

// ---------------------------------------------------------------------------
// Start-up and shutdown

void TfrmMain::FormCreate() {
  // 1. The strip's height and the picture frame's size.
  pnlMain->SetClientHeight(33);
  pnlImage->SetClientHeight(32);
  pnlImage->SetClientWidth(32);

  // 2. Place, width and the last texts from the store; geometry applied as read.
  bool onstart = true;
  {
    TRegIniFile reg(kProductKeyPath);
    SetLeft(reg.ReadNumber("window", "left", 10));
    SetTop(reg.ReadNumber("window", "top", 40));
    SetWidth(reg.ReadNumber("window", "width", 340));
    ForecastText = reg.ReadText("weather", "last forecast", kNoForecast);
    PrimaryConditions = reg.ReadText("weather", "last marrowby", kNoConditions);
    SecondaryConditions = reg.ReadText("weather", "last wendmoore", kNoConditions);
    LastUpdateText = reg.ReadText("weather", "last update", kNoUpdate);
    onstart = reg.ReadFlag("settings", "onstart", true);
  }

  // 3.
  ApplySettings();
  // 4.
  SetHint(LastUpdateText);
  // 5.
  pnlScroll->SetCaption(ForecastText);
  SetTitle(PrimaryConditions);
  // 6.
  SetClientHeight(pnlMain->height() - 1);
  // 7. The stored texts are on the screen before anything slow happens.
  ShowStrip();
  TestHookAfterShow();
  ShowInTaskbar();

  // 8. A stored forecast starts the ticker and the title rotation.
  if (pnlScroll->Caption() != kNoForecast) {
    tmrScroll->SetEnabled(true);
    tmrTitleSwitch->SetEnabled(true);
    UpdateConditionIcon();
  }

  // 9.
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
  reg.WriteNumber("window", "left", frame.x());
  reg.WriteNumber("window", "top", frame.y());
  reg.WriteNumber("window", "width", frame.width());
  reg.WriteText("weather", "last forecast", ForecastText);
  reg.WriteText("weather", "last marrowby", PrimaryConditions);
  reg.WriteText("weather", "last wendmoore", SecondaryConditions);
  reg.WriteText("weather", "last update", LastUpdateText);
}

void TfrmMain::FormClose(TCloseAction& Action) { Action = caFree; }

void TfrmMain::pExitClick() {
  Close();
  TerminateApplication();
}

bool TfrmMain::Close() {
  bool CanClose = true;
  FormCloseQuery(CanClose);
  if (!CanClose) return false;
  TCloseAction Action = caHide;
  FormClose(Action);
  if (Action == caNone) return false;
  // The main window's close ends the program. The object itself lives on
  // until the program entry returns, as the handler that closed it may still
  // be running.
  hide();
  TerminateApplication();
  return true;
}

void TfrmMain::EndSession() {
  if (TerminateRequested()) return;
  bool closed = false;
  RunGuarded([&] { closed = Close(); });
  if (!closed) TerminateApplication();
}

void TfrmMain::InstallCloseRoutes() {
  close_signals_ = std::make_unique<TCloseSignals>([this] { EndSession(); });
  connect(qApp, &QGuiApplication::commitDataRequest, this,
          [this](QSessionManager&) { EndSession(); });
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  // Stays open unless the whole close path ran (storing may fail).
  event->ignore();
  if (Close()) event->accept();
}

// ---------------------------------------------------------------------------
// Ticker and title rotation

void TfrmMain::tmrScrollTimer() {
  // 1. Drop the first character (the view is taken before the caption changes).
  const std::string& caption = pnlScroll->Caption();
  if (!caption.empty()) pnlScroll->SetCaption(std::string(std::string_view(caption).substr(1)));
  // 2. Start again from the forecast in the tick that emptied the caption.
  if (pnlScroll->Caption().empty()) pnlScroll->SetCaption(ForecastText);
  // 3.
  if (ScrollInTaskbar) {
    SetApplicationTitle(pnlScroll->Caption());
  } else {
    SetApplicationTitle(kApplicationTitle);
  }
}

void TfrmMain::tmrTitleSwitchTimer() {
  // 1.
  if (tmrTitleSwitch->Tag() == 0) {
    SetTitle(PrimaryConditions);
    tmrTitleSwitch->SetTag(1);
  } else {
    SetTitle(SecondaryConditions);
    tmrTitleSwitch->SetTag(0);
  }
  // 2. and 3. A station's name alone: the station reports nothing.
  if (TrimmedLower(Title()) == "marrowby") SetTitle("Marrowby - Not available");
  if (TrimmedLower(Title()) == "wendmoore") SetTitle("Wendmoore - Not available");
}

// ---------------------------------------------------------------------------
// Display settings

void TfrmMain::ApplySettings() {
  int foreground = 15;
  int background = 0;
  {
    TRegIniFile reg(kProductKeyPath);
    tmrScroll->SetInterval(reg.ReadNumber("scroll", "rate", 150));
    foreground = reg.ReadNumber("window", "foreground", 15);
    background = reg.ReadNumber("window", "background", 0);
    ScrollInTaskbar = reg.ReadFlag("window", "showtask", false);
    UseAlternateSource = reg.ReadFlag("settings", "altsource", false);
    const bool bold = reg.ReadFlag("window", "bold", true);
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

QColor TfrmMain::ColorFromIndex(int index) {
  const PaletteColor color = PaletteColorAt(index);
  return QColor(color.red, color.green, color.blue);
}

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
  const std::string address = DocumentAddress(
      forecast, UseAlternateSource,
      TRegIniFile(kProductKeyPath)
          .ReadText(kSourcesSection,
                    UseAlternateSource ? kAlternateServerEntry : kPrimaryServerEntry, ""));
  const FetchResult result =
      FetchHttpDocument(address, fetchLimits, [&] { ShowFetchStatus(forecast); });
  // Why it failed goes to standard error, which a desktop session keeps.
  std::fputs(
      FetchFailureLine(forecast, UseAlternateSource, address, result, fetchLimits).c_str(),
      stderr);
  switch (result.outcome) {
    case FetchOutcome::kInitFailed:
      Boxes().ShowError(
          QStringLiteral("Connection to Internet failed or lost. Check your settings."));
      [[fallthrough]];  // without the client no document can be opened
    case FetchOutcome::kOpenFailed:
      Boxes().ShowInformation(
          QStringLiteral("Attempt to open the URL failed. Check your connection settings"));
      // As the Exit command: the close path stores what is shown, then the
      // program ends once control is back in the event loop.
      Close();
      TerminateApplication();
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

void TfrmMain::ShowFetchStatus(bool forecast) {
  if (forecast) {
    // UpdateForecast set the same caption before the fetch; nothing is
    // painted here, so the screen keeps what the last paint showed.
    pnlScroll->SetCaption(kGettingForecast);
    return;
  }
  SetTitle(kGettingConditions);
  pnlScroll->SetCaption(kGettingForecast);
  PaintStatusNow();
}

void TfrmMain::PaintStatusNow() {
  pnlScroll->repaint();
  SyncWithDisplay();
}

// ---------------------------------------------------------------------------
// Current conditions and forecast

void TfrmMain::UpdateConditions() {
  // 1.-3. The entries are cut only from a roundup that arrived; otherwise
  // the user keeps what was shown.
  if (FetchDocument(false)) {
    if (const std::optional<StationLines> lines = CutConditions(reTmp)) {
      PrimaryConditions = lines->primary;
      SecondaryConditions = lines->secondary;
    }
  }
  // 4.
  reTmp.ClearBuffer();
  // 5.
  SetTitle(PrimaryConditions);
  // 6. The ticker starts again from ForecastText at its next step.
  pnlScroll->SetCaption("");
  // 7. Running already: its period goes on.
  tmrUpdate->SetEnabled(true);
  // 8. The title rotation starts again from the primary station.
  tmrTitleSwitch->SetEnabled(true);
  tmrTitleSwitch->SetTag(0);
  // 9.
  UpdateConditionIcon();
  // 10.
  ShowStationItems();
}

void TfrmMain::UpdateForecast() {
  // 1.
  pnlScroll->SetCaption(kGettingForecast);
  // 2.-7. The paragraph is cut only from a zone forecast that arrived, and
  // only then stamped; otherwise the user keeps the forecast and its stamp,
  // and the buffer holds that forecast as it would a new one.
  std::optional<std::string> forecast;
  if (FetchDocument(true)) forecast = CutForecast(reTmp);
  if (forecast) {
    ForecastText = *forecast;
    // 8.
    LastUpdateText = FormatLastUpdate(QDateTime::currentDateTime(), lastUpdateFormats);
  } else {
    reTmp.SetWholeText(ForecastText);
  }
  // 9.
  SetHint(LastUpdateText);
  // 10.
  pnlScroll->SetCaption(ForecastText);
  // 11.
  tmrScroll->SetEnabled(true);
}

// ---------------------------------------------------------------------------
// Update paths

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
  tmrScroll->SetEnabled(false);
  tmrTitleSwitch->SetEnabled(false);
  SetTitle(kGettingConditions);
  pnlScroll->SetCaption(kGettingForecast);
  PaintStatusNow();
  reTmp.ClearBuffer();
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
  tmrScroll->SetEnabled(false);
  tmrTitleSwitch->SetEnabled(false);
  SetTitle(kGettingConditions);
  pnlScroll->SetCaption(kGettingForecast);
  PaintStatusNow();
  reTmp.ClearBuffer();
  UpdateConditions();
  UpdateForecast();
  tmrTitleSwitch->SetEnabled(true);
  tmrScroll->SetEnabled(true);
}

// ---------------------------------------------------------------------------
// Menu commands

void TfrmMain::DisplayCompleteForecast1Click() {
  const std::string title = ApplicationTitleText().substr(0, kMaxForecastTitle);
  Boxes().ShowForecast(ToDisplay(title), ToDisplay(ForecastText));
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

// ---------------------------------------------------------------------------
// Window

void TfrmMain::SetTitle(std::string_view title) {
  title_.assign(title);
  SetPlainWindowTitle(this, ToDisplay(title_));
}

void TfrmMain::SetHint(std::string_view hint) {
  hint_.assign(hint);
  setToolTip(PlainToolTip(ToDisplay(hint_)));
}

// Left, top and width are the outer frame's. Before the window is shown its
// frame is not known; ShowStrip finishes the placing once it is.
void TfrmMain::SetLeft(int left) {
  move(left, y());
  wanted_frame_.moveLeft(left);
  pending_frame_ = !isVisible();
}

void TfrmMain::SetTop(int top) {
  move(x(), top);
  wanted_frame_.moveTop(top);
  pending_frame_ = !isVisible();
}

void TfrmMain::SetWidth(int width) {
  const int frame_extra = frameGeometry().width() - this->width();
  resize(width - frame_extra, height());
  wanted_frame_.setWidth(width);
  pending_frame_ = !isVisible();
}

void TfrmMain::SetClientHeight(int height) {
  // The window manager is told that the height is fixed; where it does not
  // listen, FormResize puts it back.
  setMinimumHeight(height);
  setMaximumHeight(height);
  resize(width(), height);
}

void TfrmMain::ShowStrip() {
  show();
  WaitUntilExposed();
  ApplyPendingGeometry();
  repaint();
  SyncWithDisplay();
}

void TfrmMain::ShowInTaskbar() {
  // Drawing the icon from its vector source and mapping the proxy take a
  // few milliseconds, so they come after the strip is on the screen.
  setWindowIcon(ProgramWindowIcon());
  SetTaskbarProxyTarget(this);
}

void TfrmMain::WaitUntilExposed() {
  // On X11 the window appears only once the window manager has framed and
  // mapped it; what is painted before that is lost. Bounded, so a window
  // manager that never maps it cannot hang the start.
  QTimer limit;
  limit.setSingleShot(true);
  limit.start(2000);
  while (windowHandle() && !windowHandle()->isExposed() && limit.isActive()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::WaitForMoreEvents);
  }
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmMain::ApplyPendingGeometry() {
  if (!pending_frame_) return;
  pending_frame_ = false;
  // Window managers place a new window's frame in their own ways (icewm, for
  // one, shifts a window without a taskbar entry by its border). Now that the
  // frame is known, put it where it was asked to be.
  const QRect wanted = wanted_frame_;
  const auto frame_matches = [&] {
    const QRect frame = frameGeometry();
    return frame.topLeft() == wanted.topLeft() && frame.width() == wanted.width();
  };
  if (frame_matches()) return;
  const int frame_extra = frameGeometry().width() - width();
  move(wanted.topLeft());
  resize(wanted.width() - frame_extra, height());
  QElapsedTimer waited;
  waited.start();
  while (!frame_matches() && waited.elapsed() < 500) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!frame_matches()) QThread::msleep(2);
  }
}

void TfrmMain::AlignControls() {
  pnlMain->setGeometry(0, 0, ClientWidth(), pnlMain->height());
  const QRect inside = pnlMain->contentsRect();
  pnlImage->setGeometry(inside.left(), inside.top(), pnlImage->width(), inside.height());
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  AlignControls();
  FormResize();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  // The picture frame follows the strip's height.
  if (watched == pnlMain && event->type() == QEvent::Resize) AlignControls();
  return QWidget::eventFilter(watched, event);
}

void TfrmMain::changeEvent(QEvent* event) {
  // The user changed the regional settings (the application passes its own
  // locale change on to every top-level window).
  if (event->type() == QEvent::LocaleChange) {
    lastUpdateFormats = LastUpdateFormats::FromLocale(QLocale::system());
  }
  QWidget::changeEvent(event);
}

void TfrmMain::showEvent(QShowEvent* event) {
  // The native window exists now and is not mapped yet. The strip has no
  // taskbar entry of its own (the application's entry is the proxy
  // window's); the window manager reads that state when it maps the window.
  // (Creating the native window any earlier would upset Qt's placing of the
  // outer frame.)
  SetSkipTaskbar(this);
  if (title_.empty()) ClearNativeTitle(this);
  QWidget::showEvent(event);
}

void TfrmMain::contextMenuEvent(QContextMenuEvent* event) {
  pMenu->popup(event->globalPos());
  event->accept();
}
