// Building the main window: its components with the strip's design values
// (kStripDesign, kPopupMenu), in the order the form declares them, and the
// wiring of its timers, menu commands and error boundary to the strip.
// Nothing here reads the store or shows anything; FormCreate does that.
#include <QAction>
#include <QMenu>

#include "qt/main_window/close_signals.h"
#include "qt/main_window/held_repaints.h"
#include "qt/main_window/main_window.h"
#include "qt/main_window/main_window_access.h"
#include "qt/main_window/ticker_panel.h"
#include "qt/ui/app_title.h"
#include "qt/ui/application.h"
#include "qt/ui/display_text.h"
#include "qt/ui/fonts.h"
#include "qt/ui/locale_formats.h"
#include "qt/ui/palette_color.h"
#include "qt/ui/panel.h"
#include "qt/ui/picture.h"

namespace {

// The stock pictures' places in kStripDesign.stock_picture_lefts.
enum StockPlace { kSunPlace, kRainPlace, kSnowPlace, kCloudPlace };

Picture* MakeStockPicture(QWidget* parent, const char* name, const char* picture,
                          StockPlace place) {
  const int size = kStripDesign.picture_size;
  auto* image = new Picture(parent);
  image->setObjectName(QLatin1String(name));
  image->SetAutoSize(true);
  image->SetPicture(ProgramPicture(QLatin1String(picture), {size, size}));
  // Below the strip, where the client area never reaches.
  image->move(kStripDesign.stock_picture_lefts[place], kStripDesign.stock_pictures_top);
  return image;
}

}  // namespace

MainWindow::MainWindow(const StripEnvironment& environment, QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      frmMain(*this, environment) {
  const StripDesign& design = kStripDesign;
  setObjectName(QStringLiteral("frmMain"));
  setFont(ScreenFont(design.window_font));
  // The strip stands beside whatever the user works in and is rarely the
  // active window; its hints must show all the same.
  setAttribute(Qt::WA_AlwaysShowToolTips);

  // The timers tick into the handlers; TfrmMain starts and stops them.
  for (StripTimer timer :
       {StripTimer::tmrScroll, StripTimer::tmrUpdate, StripTimer::tmrTitleSwitch}) {
    QTimer& window_timer = timers_[static_cast<int>(timer)];
    window_timer.setTimerType(Qt::PreciseTimer);
    connect(&window_timer, &QTimer::timeout, this, [this, timer] { frmMain.TimerTick(timer); });
  }

  // The popup menu's items (PopupMenu::get makes the menu).
  for (const MenuItem& item : kPopupMenu) {
    auto* action = new QAction(this);
    action->setObjectName(
        QString::fromLatin1(item.name.data(), static_cast<qsizetype>(item.name.size())));
    action->setSeparator(item.Separator());
    if (!item.Separator()) action->setText(ToDisplay(item.caption));
    action->setVisible(item.visible);
    const MenuCommand command = item.command;
    if (command != MenuCommand::kNone) {
      connect(action, &QAction::triggered, this, [this, command] { frmMain.MenuClick(command); });
    }
    menu_items_.push_back(action);
  }
  const auto item = [this](const char* name) { return findChild<QAction*>(QLatin1String(name)); };
  pMRB = item("pMRB");
  pWDM = item("pWDM");
  DisplayCompleteForecast1 = item("DisplayCompleteForecast1");
  pUpdate = item("pUpdate");
  pOptions = item("pOptions");
  pAbout = item("pAbout");
  pExit = item("pExit");

  // The strip: the picture frame and the ticker inside a lowered bevel.
  pnlMain = new Panel(this, QFrame::Panel, QFrame::Sunken, 1);
  pnlMain->setObjectName(QStringLiteral("pnlMain"));
  pnlMain->resize(design.width, design.strip_client_height);
  pnlMain->SetClientHeight(design.strip_client_height);
  pnlMain->installEventFilter(this);
  const QRect inside = pnlMain->contentsRect();

  pnlImage = new Panel(pnlMain, QFrame::Panel, QFrame::Sunken, 1);
  pnlImage->setObjectName(QStringLiteral("pnlImage"));
  pnlImage->SetColor(ToQColor(design.panel_color));
  pnlImage->setGeometry(inside.left(), inside.top(), design.picture_frame_size, inside.height());
  pnlImage->SetClientWidth(design.picture_frame_size);

  pnlScroll = new TickerPanel(pnlMain);
  pnlScroll->setObjectName(QStringLiteral("pnlScroll"));
  pnlScroll->SetColor(ToQColor(design.panel_color));
  pnlScroll->setFont(ScreenFont(design.ticker_font));
  pnlScroll->SetFontColor(ToQColor(design.ticker_font.color));
  const int ticker_left = pnlImage->geometry().right() + 1 + design.ticker_gap;
  pnlScroll->setGeometry(ticker_left, inside.top(), design.width - ticker_left, inside.height());

  // The stock pictures, side by side: sun, rain, snow, cloud.
  imgRain = MakeStockPicture(this, "imgRain", "rain", kRainPlace);
  imgCloud = MakeStockPicture(this, "imgCloud", "cloud", kCloudPlace);
  imgSnow = MakeStockPicture(this, "imgSnow", "snow", kSnowPlace);
  imgSun = MakeStockPicture(this, "imgSun", "sun", kSunPlace);

  imgCurrent = new Picture(pnlImage);
  imgCurrent->setObjectName(QStringLiteral("imgCurrent"));
  imgCurrent->setGeometry(pnlImage->contentsRect().left(), pnlImage->contentsRect().top(),
                          design.picture_size, design.picture_size);
  imgCurrent->SetCenter(true);
  imgCurrent->SetPicture(ProgramPicture(
      QStringLiteral("initial"), {design.initial_picture_size, design.initial_picture_size}));
  imgCurrent->setToolTip(ToDisplay(kPictureHint));

  resize(design.width, design.client_height);

  formats_ = LocaleFormats(QLocale::system());
  InstallMainWindowAccess(*this);
  // What escapes a handler that Qt's event loop called is the strip's to
  // show, as what escapes one the strip runs itself.
  Application::Instance().InstallErrorBoundary(
      this, [this](const std::exception& error) { frmMain.ShowUncaught(error); });
}

QMenu* MainWindow::PopupMenu::get() const {
  if (menu_) return menu_;
  menu_ = new QMenu(&frm_);
  menu_->setObjectName(QStringLiteral("pMenu"));
  // In the order it shows its items.
  menu_->addActions(frm_.menu_items_);
  menu_->setAccessibleName(ToDisplay(kPopupMenuName));
  emit frm_.MenuMade(menu_);
  return menu_;
}
