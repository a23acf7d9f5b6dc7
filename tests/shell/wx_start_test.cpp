// The main window from creation to the first paint: design values, the first
// run, restoring the stored texts, the strip's geometry, hints, plain text.
#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QTest>
#include <QToolTip>
#include <QWindow>

#include "shell/ticker_panel.h"
#include "shell/wx.h"
#include "shell_fixture.h"
#include "store/reg_ini_file.h"
#include "support/display_bytes.h"
#include "ui/display_text.h"
#include "ui/panel.h"
#include "ui/picture.h"

namespace {

using StartTest = ShellTest;

std::vector<std::string> MenuItems(QMenu* menu) {
  std::vector<std::string> items;
  for (QAction* item : menu->actions()) {
    std::string text = item->isSeparator() ? "-" : item->text().toStdString();
    if (!item->isVisible()) text += " (hidden)";
    items.push_back(text);
  }
  return items;
}

TEST_F(StartTest, DesignValuesBeforeCreation) {
  TfrmMain frm;
  EXPECT_TRUE(frm.windowFlags() & Qt::Tool);
  EXPECT_TRUE(frm.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(frm.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(frm.isVisible());

  EXPECT_FALSE(frm.tmrScroll->Enabled());
  EXPECT_EQ(frm.tmrScroll->Interval(), 100);
  EXPECT_TRUE(frm.tmrUpdate->Enabled());
  EXPECT_EQ(frm.tmrUpdate->Interval(), 1800000);
  EXPECT_FALSE(frm.tmrTitleSwitch->Enabled());
  EXPECT_EQ(frm.tmrTitleSwitch->Interval(), 5000);
  EXPECT_EQ(frm.tmrTitleSwitch->Tag(), 0);
  EXPECT_EQ(frm.reTmp.WholeText(), "\r\n\r\n");
  EXPECT_FALSE(frm.ScrollInTaskbar);
  EXPECT_FALSE(frm.UseAlternateSource);

  EXPECT_EQ(MenuItems(frm.pMenu),
            (std::vector<std::string>{"Marrowby (hidden)", "Wendmoore (hidden)", "&Forecast", "-",
                                      "&Update Now", "&Options", "&About...", "-", "E&xit"}));
  EXPECT_EQ(frm.pMenu->actions()[3], frm.pShowForecast);
  for (QAction* item : frm.pMenu->actions()) EXPECT_TRUE(item->shortcut().isEmpty());

  const QFont ticker = frm.pnlScroll->font();
  EXPECT_EQ(ticker.family(), "Arial");
  EXPECT_EQ(ticker.pixelSize(), 15);
  EXPECT_TRUE(ticker.bold());
  EXPECT_EQ(frm.pnlScroll->FontColor(), QColor(Qt::yellow));
  EXPECT_EQ(frm.pnlScroll->Color(), QColor(Qt::black));
  EXPECT_EQ(frm.pnlImage->Color(), QColor(Qt::black));
  EXPECT_EQ(frm.imgCurrent->toolTip(), "Current Marrowby Weather");
  EXPECT_EQ(frm.imgCurrent->Picture().name, "initial");
  EXPECT_EQ(frm.imgCurrent->Picture().size, QSize(24, 24));
  for (TPicture* stock : {frm.imgSun, frm.imgRain, frm.imgSnow, frm.imgCloud}) {
    EXPECT_EQ(stock->size(), QSize(32, 32));
    EXPECT_TRUE(stock->toolTip().isEmpty());
  }
  EXPECT_EQ(frm.imgSun->Picture().name, "sun");
  EXPECT_LT(frm.imgSun->x(), frm.imgRain->x());
  EXPECT_LT(frm.imgRain->x(), frm.imgSnow->x());
  EXPECT_LT(frm.imgSnow->x(), frm.imgCloud->x());
}

TEST_F(StartTest, FirstRunShowsTheDefaultsStandingStill) {
  StoreFile("[settings]\nonstart=0\n");  // the start-up update has tests of its own
  TfrmMain frm;
  frm.FormCreate();
  ASSERT_TRUE(frm.isVisible());
  EXPECT_EQ(frm.frameGeometry().topLeft(), QPoint(10, 40));
  EXPECT_EQ(frm.frameGeometry().width(), 340);
  EXPECT_EQ(frm.pnlScroll->Caption(), "Getting Forecast...");
  EXPECT_EQ(frm.Title(), "Getting current conditions...");
  EXPECT_EQ(frm.windowHandle()->title(), "Getting current conditions...");
  EXPECT_EQ(frm.Hint(), "Last Update Unknown");
  EXPECT_EQ(frm.ForecastText, "Getting Forecast...");
  EXPECT_EQ(frm.SecondaryConditions, "Getting current conditions...");
  EXPECT_FALSE(frm.tmrScroll->Enabled());
  EXPECT_FALSE(frm.tmrTitleSwitch->Enabled());
  EXPECT_TRUE(frm.tmrUpdate->Enabled());
  EXPECT_EQ(frm.tmrScroll->Interval(), 150);
  EXPECT_EQ(frm.imgCurrent->Picture().name, "initial");
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(StartTest, StoredTextsComeBackByteForByteAndGoBackUnchanged) {
  const std::string forecast = "Sunny.\r\nHighs near 70 \xE9t\xE9 \x80 \xFF  ";
  const std::string primary = "MARROWBY  RAIN 52 \x93quoted\x94   ";
  const std::string secondary = "WENDMOORE\r\n  ";
  const std::string update = "Last Updated 3/4/2024 5:06:07 PM \xB0";
  {
    TRegIniFile reg(kProductKeyPath);
    Write(reg, kLeft, 120);
    Write(reg, kTop, -30);
    Write(reg, kWidth, 512);
    Write(reg, kLastForecast, forecast);
    Write(reg, kLastMarrowby, primary);
    Write(reg, kLastWendmoore, secondary);
    Write(reg, kLastUpdate, update);
    Write(reg, kOnStart, false);
  }
  {
    TfrmMain frm;
    frm.FormCreate();
    EXPECT_EQ(frm.ForecastText, forecast);
    EXPECT_EQ(frm.PrimaryConditions, primary);
    EXPECT_EQ(frm.SecondaryConditions, secondary);
    EXPECT_EQ(frm.LastUpdateText, update);
    EXPECT_EQ(frm.pnlScroll->Caption(), forecast);
    EXPECT_EQ(frm.Title(), primary);
    EXPECT_EQ(frm.Hint(), update);
    // A stored position off the screen is applied as it stands.
    EXPECT_EQ(frm.frameGeometry().topLeft(), QPoint(120, -30));
    EXPECT_EQ(frm.frameGeometry().width(), 512);
    EXPECT_TRUE(frm.tmrScroll->Enabled());
    EXPECT_TRUE(frm.tmrTitleSwitch->Enabled());
    // The picture follows the stored conditions.
    EXPECT_EQ(frm.imgCurrent->Picture(), frm.imgRain->Picture());
    EXPECT_EQ(FromDisplay(frm.pnlScroll->ShownText()), forecast);
    ASSERT_TRUE(frm.Close());
  }
  EXPECT_EQ(StoredText(kLastForecast), forecast);
  EXPECT_EQ(StoredText(kLastMarrowby), primary);
  EXPECT_EQ(StoredText(kLastWendmoore), secondary);
  EXPECT_EQ(StoredText(kLastUpdate), update);
  EXPECT_EQ(StoredText(kLeft), "120");
  EXPECT_EQ(StoredText(kTop), "-30");
  EXPECT_EQ(StoredText(kWidth), "512");
  EXPECT_EQ(StoredText(kOnStart), "0");
}

TEST_F(StartTest, StoredNoForecastStandsStillAndAnEmptyOneRuns) {
  StoreFile(
      "[settings]\nonstart=0\n[weather]\nlast forecast=Getting Forecast...\nlast "
      "marrowby=MARROWBY SUNNY\n");
  {
    TfrmMain frm;
    frm.FormCreate();
    EXPECT_FALSE(frm.tmrScroll->Enabled());
    EXPECT_FALSE(frm.tmrTitleSwitch->Enabled());
    // No picture choice either.
    EXPECT_EQ(frm.imgCurrent->Picture().name, "initial");
    // The comparison is exact: another case is a forecast.
  }
  StoreFile("[settings]\nonstart=0\n[weather]\nlast forecast=getting forecast...\n");
  {
    TfrmMain frm;
    frm.FormCreate();
    EXPECT_TRUE(frm.tmrScroll->Enabled());
  }
  StoreFile("[settings]\nonstart=0\n[weather]\nlast forecast=\n");
  {
    TfrmMain frm;
    frm.FormCreate();
    EXPECT_EQ(frm.ForecastText, "");
    EXPECT_TRUE(frm.tmrScroll->Enabled());
    EXPECT_TRUE(frm.tmrTitleSwitch->Enabled());
    frm.tmrScrollTimer();
    EXPECT_EQ(frm.pnlScroll->Caption(), "");
  }
}

TEST_F(StartTest, TheStripKeepsItsHeightAndTheTickerReachesTheRightEdge) {
  StoreFile("[settings]\nonstart=0\n");
  TfrmMain frm;
  frm.FormCreate();
  EXPECT_EQ(frm.pnlMain->ClientHeight(), 33);
  EXPECT_EQ(frm.pnlImage->ClientWidth(), 32);
  EXPECT_EQ(frm.ClientHeight(), frm.pnlMain->height() - 1);
  EXPECT_EQ(frm.pnlImage->height(), frm.pnlMain->ClientHeight());
  EXPECT_EQ(frm.imgCurrent->geometry(), QRect(1, 1, 32, 32));
  const int strip_height = frm.ClientHeight();

  for (QSize drag : {QSize(500, 120), QSize(200, 5), QSize(700, strip_height)}) {
    frm.resize(drag);
    frm.windowHandle()->resize(drag);
    ProcessEventsUntil([&] { return frm.width() == drag.width(); }, 1000);
    EXPECT_EQ(frm.ClientHeight(), strip_height);
    EXPECT_EQ(frm.width(), drag.width());
    EXPECT_EQ(frm.pnlScroll->x(), frm.pnlImage->x() + frm.pnlImage->width() + 2);
    EXPECT_EQ(frm.pnlScroll->geometry().right() + 1, drag.width());
    EXPECT_EQ(frm.pnlMain->width(), drag.width());
  }
}

TEST_F(StartTest, HintsAndPopupMenuOverTheStrip) {
  StoreFile("[settings]\nonstart=0\n[weather]\nlast update=Last Updated <b>noon</b> & later\n");
  TfrmMain frm;
  frm.FormCreate();

  // The window's hint wherever the control under the mouse has none.
  QHelpEvent over_ticker(QEvent::ToolTip, QPoint(5, 5), frm.pnlScroll->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(frm.pnlScroll, &over_ticker);
  EXPECT_EQ(QToolTip::text(), PlainToolTip("Last Updated <b>noon</b> & later"));
  QToolTip::hideText();
  QHelpEvent over_picture(QEvent::ToolTip, QPoint(5, 5), frm.imgCurrent->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(frm.imgCurrent, &over_picture);
  EXPECT_EQ(QToolTip::text(), "Current Marrowby Weather");
  QToolTip::hideText();

  for (QWidget* target : {static_cast<QWidget*>(frm.pnlScroll),
                          static_cast<QWidget*>(frm.imgCurrent), static_cast<QWidget*>(&frm)}) {
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(3, 3),
                            target->mapToGlobal(QPoint(3, 3)));
    QCoreApplication::sendEvent(target, &click);
    EXPECT_TRUE(frm.pMenu->isVisible());
    frm.pMenu->hide();
  }
}

// The strip is rarely the active window: a hint shows when the mouse rests
// over it all the same.
TEST_F(StartTest, HintsShowWhileAnotherWindowIsActive) {
  StoreFile("[settings]\nonstart=0\n[weather]\nlast update=Last Updated noon\n");
  TfrmMain frm;
  frm.FormCreate();
  QWidget elsewhere;
  elsewhere.show();
  elsewhere.activateWindow();
  ASSERT_TRUE(ProcessEventsUntil([&] { return elsewhere.isActiveWindow(); }));
  ASSERT_FALSE(frm.isActiveWindow());

  for (QWidget* target :
       {static_cast<QWidget*>(frm.pnlScroll), static_cast<QWidget*>(frm.imgCurrent)}) {
    const QString hint = target == frm.imgCurrent ? QString("Current Marrowby Weather")
                                                  : PlainToolTip("Last Updated noon");
    QTest::mouseMove(target, QPoint(10, 10));
    QTest::mouseMove(target, QPoint(11, 10));
    EXPECT_TRUE(ProcessEventsUntil([&] {
      return QToolTip::isVisible() && QToolTip::text() == hint;
    })) << QToolTip::text().toStdString();
  }
  QToolTip::hideText();
}

TEST_F(StartTest, TextsFromTheStoreAreShownAsPlainText) {
  StoreFile("[settings]\nonstart=0\n");
  TfrmMain frm;
  frm.FormCreate();
  frm.SetTitle("Rain [*] & <b>x</b>");
  EXPECT_EQ(frm.windowHandle()->title(), "Rain [*] & <b>x</b>");
  frm.SetTitle("[*][*]");
  EXPECT_EQ(frm.windowHandle()->title(), "[*][*]");
  frm.SetTitle("");
  EXPECT_EQ(frm.windowTitle(), "");

  frm.pnlScroll->SetCaption("<b>x</b>");
  EXPECT_EQ(frm.pnlScroll->ShownText(), "<b>x</b>");

  frm.PrimaryConditions = "MARROWBY & CO";
  frm.SecondaryConditions = "WENDMOORE &Fog";
  frm.UpdateConditionIcon();
  EXPECT_EQ(frm.pMRB->text(), "MARROWBY && CO");
  EXPECT_EQ(frm.pWDM->text(), "WENDMOORE &&Fog");

  // Tool tips: escaped markup that keeps blanks.
  EXPECT_EQ(PlainToolTip("a <b>b</b>  &"),
            "<p style=\"white-space:pre\">a &lt;b&gt;b&lt;/b&gt;  &amp;</p>");
  EXPECT_EQ(PlainToolTip(""), "");
}

TEST_F(StartTest, ConditionPictureIsCopiedFromTheStockPictures) {
  TfrmMain frm;
  const TPictureImage sun = frm.imgSun->Picture();
  frm.PrimaryConditions = "MARROWBY  MOSUNNY 71";
  frm.UpdateConditionIcon();
  EXPECT_EQ(frm.imgCurrent->Picture(), sun);
  EXPECT_EQ(frm.imgSun->Picture(), sun);  // the source is unchanged
  EXPECT_EQ(frm.pMRB->text(), "MARROWBY  MOSUNNY 71");

  frm.PrimaryConditions = "MARROWBY  SNOW SHOWERS";
  frm.UpdateConditionIcon();
  EXPECT_EQ(frm.imgCurrent->Picture(), frm.imgSnow->Picture());

  // A station that reports nothing leaves the picture as it was.
  frm.PrimaryConditions = "MARROWBY      ";
  frm.UpdateConditionIcon();
  EXPECT_EQ(frm.imgCurrent->Picture(), frm.imgSnow->Picture());
  EXPECT_FALSE(frm.pMRB->isVisible());
  EXPECT_FALSE(frm.pWDM->isVisible());
}

}  // namespace
