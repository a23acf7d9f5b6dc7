// ApplySettings and ColorFromIndex: the six reads, what they change, and a
// store error in the middle.
#include <QThread>

#include "shell/ticker_panel.h"
#include "shell/wx.h"
#include "shell_fixture.h"
#include "store/palette.h"
#include "ui/application.h"
#include "ui/panel.h"

namespace {

using SettingsTest = ShellTest;

TEST_F(SettingsTest, EmptyStoreGivesTheDefaults) {
  TfrmMain frm;
  frm.pnlScroll->SetFontColor(Qt::red);
  frm.ApplySettings();
  EXPECT_EQ(frm.tmrScroll->Interval(), 150);
  EXPECT_FALSE(frm.tmrScroll->Enabled());  // the interval neither starts nor stops it
  EXPECT_EQ(frm.pnlScroll->FontColor(), QColor(255, 255, 255));
  EXPECT_EQ(frm.pnlScroll->Color(), QColor(0, 0, 0));
  EXPECT_EQ(frm.pnlImage->Color(), QColor(0, 0, 0));
  EXPECT_TRUE(frm.pnlScroll->font().bold());
  EXPECT_FALSE(frm.ScrollInTaskbar);
  EXPECT_FALSE(frm.UseAlternateSource);
}

TEST_F(SettingsTest, HandEditedValuesAreAppliedAsStored) {
  StoreFile(
      "[scroll]\nrate=0\n[window]\nforeground=4\nbackground=4\nbold=0\nshowtask=1\n"
      "[settings]\naltsource=1\n");
  TfrmMain frm;
  QFont styled = frm.pnlScroll->font();
  styled.setItalic(true);
  styled.setUnderline(true);
  styled.setStrikeOut(true);
  frm.pnlScroll->setFont(styled);
  frm.tmrScroll->SetEnabled(true);

  frm.ApplySettings();
  // A rate of 0: enabled, and no ticks.
  EXPECT_EQ(frm.tmrScroll->Interval(), 0);
  EXPECT_TRUE(frm.tmrScroll->Enabled());
  EXPECT_FALSE(frm.tmrScroll->Ticking());
  // Bold off replaces the whole style.
  const QFont plain = frm.pnlScroll->font();
  EXPECT_FALSE(plain.bold() || plain.italic() || plain.underline() || plain.strikeOut());
  EXPECT_EQ(plain.pixelSize(), 15);
  // Foreground equal to background is not corrected.
  EXPECT_EQ(frm.pnlScroll->FontColor(), QColor(0, 0, 128));
  EXPECT_EQ(frm.pnlScroll->Color(), QColor(0, 0, 128));
  EXPECT_EQ(frm.pnlImage->Color(), QColor(0, 0, 128));
  EXPECT_TRUE(frm.ScrollInTaskbar);
  EXPECT_TRUE(frm.UseAlternateSource);

  StoreFile("[scroll]\nrate=-20\n[window]\nforeground=16\nbackground=-1\n");
  frm.ApplySettings();
  EXPECT_FALSE(frm.tmrScroll->Ticking());
  const QColor orange(kOutOfRangeColor.red, kOutOfRangeColor.green, kOutOfRangeColor.blue);
  EXPECT_EQ(frm.pnlScroll->FontColor(), orange);
  EXPECT_EQ(frm.pnlScroll->Color(), orange);
  EXPECT_TRUE(frm.pnlScroll->font().bold());
  EXPECT_FALSE(frm.ScrollInTaskbar);
}

TEST_F(SettingsTest, PaletteOfSixteenColours) {
  EXPECT_EQ(TfrmMain::ColorFromIndex(0), QColor(0, 0, 0));
  EXPECT_EQ(TfrmMain::ColorFromIndex(7), QColor(192, 192, 192));
  EXPECT_EQ(TfrmMain::ColorFromIndex(11), QColor(255, 255, 0));
  EXPECT_EQ(TfrmMain::ColorFromIndex(15), QColor(255, 255, 255));
  EXPECT_EQ(TfrmMain::ColorFromIndex(16), TfrmMain::ColorFromIndex(1000));
  EXPECT_EQ(TfrmMain::ColorFromIndex(-1), TfrmMain::ColorFromIndex(16));
}

TEST_F(SettingsTest, AnUnchangedIntervalKeepsTheTickersPeriod) {
  StoreFile("[scroll]\nrate=150\n");
  TfrmMain frm;
  frm.ApplySettings();
  frm.tmrScroll->SetEnabled(true);
  QThread::msleep(60);
  frm.ApplySettings();
  // Still counting from the first start (at most 90 ms left), not restarted.
  EXPECT_LE(frm.tmrScroll->RemainingTime(), 140);
  frm.tmrScroll->SetEnabled(true);  // enabling a running timer keeps its period too
  EXPECT_LE(frm.tmrScroll->RemainingTime(), 140);

  StoreFile("[scroll]\nrate=400\n");
  QThread::msleep(20);
  frm.ApplySettings();
  // A new interval: the next tick is one new interval away.
  EXPECT_GT(frm.tmrScroll->RemainingTime(), 300);
}

TEST_F(SettingsTest, StoreErrorEndsItWhereItWasRaised) {
  StoreFile(
      "[scroll]\nrate=250\n[window]\nforeground=12\nbackground=dword:00000003\n"
      "showtask=1\n");
  TfrmMain frm;
  frm.pnlScroll->SetFontColor(Qt::green);
  EXPECT_FALSE(RunGuarded([&] { frm.ApplySettings(); }));
  // Done before the error: the interval. Not done: everything after it.
  EXPECT_EQ(frm.tmrScroll->Interval(), 250);
  EXPECT_FALSE(frm.ScrollInTaskbar);
  EXPECT_EQ(frm.pnlScroll->FontColor(), QColor(Qt::green));
  EXPECT_EQ(frm.pnlScroll->Color(), QColor(Qt::black));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].kind, "uncaught");
  EXPECT_EQ(boxes_.boxes[0].title, "Marrowby Weather");
  EXPECT_EQ(boxes_.boxes[0].text, "Invalid data type for 'background'.");
}

TEST_F(SettingsTest, StoreErrorDuringCreationStopsCreationThere) {
  StoreFile("[window]\nleft=77\ntop=dword:00000005\n[weather]\nlast forecast=Fair\n");
  TfrmMain frm;
  EXPECT_FALSE(RunGuarded([&] { frm.FormCreate(); }));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text, "Invalid data type for 'top'.");
  EXPECT_EQ(frm.frameGeometry().x(), 77);
  EXPECT_FALSE(frm.isVisible());
  EXPECT_TRUE(frm.ForecastText.empty());
  EXPECT_FALSE(frm.tmrScroll->Enabled());
  // The program's run then shows what there is.
  frm.ShowStrip();
  EXPECT_TRUE(frm.isVisible());
}

}  // namespace
