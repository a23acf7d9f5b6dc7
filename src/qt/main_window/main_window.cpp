// The platform operations of the strip on Qt: the application, the ticker,
// the picture, the station items, the timers, the boxes and modal forms, and
// what the window does while a document downloads.
#include "qt/main_window/main_window.h"

#include <QAction>
#include <QCoreApplication>

#include "qt/about/about_box.h"
#include "qt/main_window/close_signals.h"
#include "qt/main_window/held_repaints.h"
#include "qt/main_window/ticker_panel.h"
#include "qt/options/options_dialog.h"
#include "qt/ui/app_title.h"
#include "qt/ui/application.h"
#include "qt/ui/display_text.h"
#include "qt/ui/message_boxes.h"
#include "qt/ui/palette_color.h"
#include "qt/ui/panel.h"
#include "qt/ui/picture.h"
#include "qt/ui/x11_window.h"

MainWindow::~MainWindow() {
  Application::Instance().RemoveErrorBoundary(this);
  SetTaskbarProxyTarget(nullptr);
}

// ---------------------------------------------------------------------------
// The application

void MainWindow::SetApplicationTitle(std::string_view title) { ::SetApplicationTitle(title); }

void MainWindow::EndMessageLoops() { Application::Instance().EndMessageLoops(); }

LocalTime MainWindow::Now() const { return LocalTimeNow(); }

// ---------------------------------------------------------------------------
// Panels, the ticker, the picture and the station items

Panel* MainWindow::PanelOf(StripPanel panel) const {
  switch (panel) {
    case StripPanel::pnlMain:
      return pnlMain;
    case StripPanel::pnlImage:
      return pnlImage;
    case StripPanel::pnlScroll:
      break;
  }
  return pnlScroll;
}

void MainWindow::SetPanelClientHeight(StripPanel panel, int height) {
  PanelOf(panel)->SetClientHeight(height);
}

void MainWindow::SetPanelClientWidth(StripPanel panel, int width) {
  PanelOf(panel)->SetClientWidth(width);
}

int MainWindow::PanelHeight(StripPanel panel) const { return PanelOf(panel)->height(); }

void MainWindow::SetPanelColor(StripPanel panel, PaletteColor color) {
  PanelOf(panel)->SetColor(ToQColor(color));
}

void MainWindow::SetCaption(std::string_view caption) { pnlScroll->SetCaption(caption); }

void MainWindow::StepCaption(std::string_view dropped, std::string_view caption) {
  pnlScroll->StepCaption(dropped, caption);
}

void MainWindow::RepaintCaption() {
  if (held_repaints_) {
    held_repaints_->RepaintNow(*pnlScroll);
  } else {
    pnlScroll->repaint();
  }
  SyncWithDisplay();
}

void MainWindow::SetTickerText(std::string_view forecast) { pnlScroll->SetWholeText(forecast); }

void MainWindow::SetTickerBold(bool bold) {
  // The whole style is replaced: bold, or no style at all.
  QFont font = pnlScroll->font();
  font.setBold(bold);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  pnlScroll->setFont(font);
}

void MainWindow::SetTickerFontColor(PaletteColor color) {
  pnlScroll->SetFontColor(ToQColor(color));
}

void MainWindow::SetCurrentPicture(ConditionPicture picture) {
  imgCurrent->setAccessibleName(ToDisplay(SpokenPictureName(picture)));
  switch (picture) {
    case ConditionPicture::kSun:
      imgCurrent->SetPicture(imgSun->Image());
      break;
    case ConditionPicture::kCloud:
      imgCurrent->SetPicture(imgCloud->Image());
      break;
    case ConditionPicture::kRain:
      imgCurrent->SetPicture(imgRain->Image());
      break;
    case ConditionPicture::kSnow:
      imgCurrent->SetPicture(imgSnow->Image());
      break;
    case ConditionPicture::kUnchanged:
      break;
  }
}

void MainWindow::SetStationItem(StationItem item, std::string_view caption) {
  (item == StationItem::pMRB ? pMRB : pWDM)->setText(PlainMenuText(ToDisplay(caption)));
}

// ---------------------------------------------------------------------------
// Timers

void MainWindow::StartTimer(StripTimer timer, int interval_ms) {
  timers_[static_cast<int>(timer)].start(interval_ms);
}

void MainWindow::StopTimer(StripTimer timer) { timers_[static_cast<int>(timer)].stop(); }

// ---------------------------------------------------------------------------
// Boxes and modal forms

void MainWindow::ShowError(std::string_view text) { Boxes().ShowError(ToDisplay(text)); }

void MainWindow::ShowInformation(std::string_view text) {
  Boxes().ShowInformation(ToDisplay(text));
}

namespace {

// A box's title: the application title, or its front, shows as the title
// does (a title that mirrors the ticker keeps the decoding of the whole
// forecast); any other as it stands.
QString BoxTitle(std::string_view title) {
  if (ApplicationTitleText().starts_with(title)) {
    return ToDisplayPiece(title, ApplicationTitleIsUtf8());
  }
  return ToDisplay(title);
}

}  // namespace

void MainWindow::ShowForecast(std::string_view title, std::string_view text) {
  Boxes().ShowForecast(BoxTitle(title), ToDisplay(text));
}

void MainWindow::ShowUncaughtError(std::string_view title, std::string_view message) {
  Boxes().ShowUncaughtError(BoxTitle(title), ToDisplay(message));
}

void MainWindow::RunOptions(TfrmOptions& form) { RunOptionsDialog(this, form); }

void MainWindow::RunAbout() { RunAboutBox(this); }

// ---------------------------------------------------------------------------
// While a document downloads

void MainWindow::FetchStarts() { held_repaints_ = std::make_unique<HeldRepaints>(); }

void MainWindow::KeepFetching() {
  // The download blocks the user, not the strip: it repaints when uncovered,
  // answers the window manager, and the close signals and the session's end
  // act at once. Input (the close box included) and timer ticks wait until
  // the fetch returns, so no handler runs in the middle of an update.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                  QEventLoop::X11ExcludeTimers);
}

void MainWindow::FetchEnds() { held_repaints_.reset(); }
