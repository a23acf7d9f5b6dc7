// Building the main window: its components with their design values, in
// the order the form declares them, and the wiring of its timers and menu
// commands to the handlers. Nothing here reads the store or shows anything;
// FormCreate does that.
#include <QAction>
#include <QMenu>

#include "qt/strip/close_signals.h"
#include "qt/strip/held_repaints.h"
#include "qt/strip/strip_access.h"
#include "qt/strip/ticker_panel.h"
#include "qt/strip/strip_window.h"
#include "qt/ui/app_title.h"
#include "qt/ui/fonts.h"
#include "qt/ui/locale_formats.h"
#include "qt/ui/panel.h"
#include "qt/ui/picture.h"

namespace {

constexpr int kStockPictureSize = 32;

TPicture* MakeStockPicture(QWidget* parent, const char* name, const char* picture, int left) {
  auto* image = new TPicture(parent);
  image->setObjectName(QLatin1String(name));
  image->SetAutoSize(true);
  image->SetPicture(ProgramPicture(QLatin1String(picture), {kStockPictureSize, kStockPictureSize}));
  // Below the strip, where the client area never reaches.
  image->move(left, 48);
  return image;
}

QAction* MakeItem(QWidget* window, const char* name, const char* caption) {
  auto* item = new QAction(QString::fromLatin1(caption), window);
  item->setObjectName(QLatin1String(name));
  return item;
}

}  // namespace

TStripWindow::TStripWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("frmMain"));
  setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
  // The strip stands beside whatever the user works in and is rarely the
  // active window; its hints must show all the same.
  setAttribute(Qt::WA_AlwaysShowToolTips);

  // The timers tick into the handlers; TfrmMain starts and stops them.
  for (StripTimer timer : {StripTimer::tmrScroll, StripTimer::tmrUpdate,
                           StripTimer::tmrTitleSwitch}) {
    QTimer& window_timer = timers_[static_cast<int>(timer)];
    window_timer.setTimerType(Qt::PreciseTimer);
    connect(&window_timer, &QTimer::timeout, this, [this, timer] { frmMain.TimerTick(timer); });
  }

  // The popup menu's items (PopupMenu::get makes the menu).
  pMRB = MakeItem(this, "pMRB", "Marrowby");
  pMRB->setVisible(false);
  pWDM = MakeItem(this, "pWDM", "Wendmoore");
  pWDM->setVisible(false);
  DisplayCompleteForecast1 = MakeItem(this, "DisplayCompleteForecast1", "&Forecast");
  pShowForecast = MakeItem(this, "pShowForecast", "");
  pShowForecast->setSeparator(true);
  pUpdate = MakeItem(this, "pUpdate", "&Update Now");
  pOptions = MakeItem(this, "pOptions", "&Options");
  pAbout = MakeItem(this, "pAbout", "&About...");
  pExit = MakeItem(this, "pExit", "E&xit");
  connect(DisplayCompleteForecast1, &QAction::triggered, this,
          [this] { frmMain.DisplayCompleteForecast1Click(); });
  connect(pUpdate, &QAction::triggered, this, [this] { frmMain.pUpdateClick(); });
  connect(pOptions, &QAction::triggered, this, [this] { frmMain.pOptsClick(); });
  connect(pAbout, &QAction::triggered, this, [this] { frmMain.pAboutClick(); });
  connect(pExit, &QAction::triggered, this, [this] { frmMain.pExitClick(); });

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
  pnlScroll->setFont(PixelFont(QStringLiteral("Arial"), 15, true));
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

  formats_ = LocaleFormats(QLocale::system());
  InstallStripAccess(*this);
}

QMenu* TStripWindow::PopupMenu::get() const {
  if (menu_) return menu_;
  menu_ = new QMenu(&frm_);
  menu_->setObjectName(QStringLiteral("pMenu"));
  // In the order it shows its items.
  menu_->addActions({frm_.pMRB, frm_.pWDM, frm_.DisplayCompleteForecast1, frm_.pShowForecast,
                     frm_.pUpdate, frm_.pOptions, frm_.pAbout});
  menu_->addSeparator();
  menu_->addAction(frm_.pExit);
  menu_->setAccessibleName(QString::fromLatin1(kApplicationTitle));
  emit frm_.MenuMade(menu_);
  return menu_;
}

