// The strip as a screen reader and a keyboard user meet it: the tree Qt's
// accessibility interfaces give (roles, names, texts, states), the events a
// ticker step and a new forecast send, and the keys that reach the menu.
#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <algorithm>
#include <utility>
#include <vector>

#include "qt/strip/ticker_panel.h"
#include "qt/strip/strip_window.h"
#include "window_fixture.h"
#include "support/accessibility_events.h"
#include "qt/ui/picture.h"
#include "support/weather_servers.h"

namespace {

const std::string kRain = "MARROWBY       RAIN      52 49  89 S12       29.80F";

using RecordedEvents = RecordedAccessibilityEvents;

class AccessTest : public WindowTest {
 protected:
  void Start(const std::string& forecast) {
    StoreFile("[settings]\nonstart=0\n[weather]\nlast forecast=" + forecast +
              "\nlast marrowby=" + kRain + "\nlast update=Last Updated <b>noon</b>\n");
    frm_.frmMain.FormCreate();
  }
  QAccessibleInterface* Of(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
  }
  QString TextOf(QAccessibleInterface* iface) {
    QAccessibleTextInterface* text = iface->textInterface();
    return text ? text->text(0, text->characterCount()) : QStringLiteral("<no text>");
  }
  TStripWindow frm_;
};

TEST_F(AccessTest, TheStripReadsAsWindowForecastAndPicture) {
  Start("Sunny, highs near 60.");
  QAccessibleInterface* window = Of(&frm_);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->role(), QAccessible::Window);
  EXPECT_EQ(window->text(QAccessible::Name), QString::fromStdString(kRain));
  EXPECT_EQ(window->text(QAccessible::Description), "Last Updated <b>noon</b>");

  // A read-only text, which a screen reader reads on focus; a label it
  // would only name.
  QAccessibleInterface* ticker = Of(frm_.pnlScroll);
  EXPECT_EQ(ticker->role(), QAccessible::EditableText);
  EXPECT_FALSE(ticker->state().editable);
  EXPECT_EQ(ticker->text(QAccessible::Name), "Forecast");
  EXPECT_TRUE(ticker->state().readOnly);
  EXPECT_TRUE(ticker->state().focusable);
  // The whole forecast, whatever the caption has scrolled to.
  for (int i = 0; i < 4; ++i) frm_.frmMain.tmrScrollTimer();
  EXPECT_EQ(frm_.pnlScroll->Caption(), "y, highs near 60.");
  EXPECT_EQ(TextOf(ticker), "Sunny, highs near 60.");
  EXPECT_EQ(ticker->textInterface()->text(7, 12), "highs");
  // One attribute run over the whole text, wherever it is asked for.
  int start = -1, end = -1;
  EXPECT_EQ(ticker->textInterface()->attributes(20, &start, &end), "");
  EXPECT_EQ(std::pair(start, end), std::pair(0, 21));

  QAccessibleInterface* picture = Of(frm_.imgCurrent);
  EXPECT_EQ(picture->role(), QAccessible::Graphic);
  EXPECT_EQ(picture->text(QAccessible::Name), "Rain");
  EXPECT_EQ(picture->text(QAccessible::Description), "Current Marrowby Weather");
  frm_.imgCurrent->SetPicture(ProgramPicture("initial", {24, 24}));
  EXPECT_EQ(picture->text(QAccessible::Name), "Weather not yet known");
  frm_.imgCurrent->SetPicture(frm_.imgSun->Picture());
  EXPECT_EQ(picture->text(QAccessible::Name), "Sun");
  // The stock pictures are no weather of their own.
  EXPECT_TRUE(Of(frm_.imgSnow)->state().invisible);

  QAccessibleInterface* menu = Of(frm_.pMenu);
  EXPECT_EQ(menu->text(QAccessible::Name), "Marrowby Weather");
  QStringList items;
  for (int i = 2; i < menu->childCount(); ++i) items << menu->child(i)->text(QAccessible::Name);
  EXPECT_EQ(items, QStringList({"Forecast", "", "Update Now", "Options", "About...", "", "Exit"}));
}

TEST_F(AccessTest, TickerStepsAreSilentAndANewForecastIsAnnouncedOnce) {
  Start("Fair and mild.");
  WeatherServers servers;
  servers.ServeForecast(false, ZoneForecast(".TODAY...SNOW.\n.TONIGHT...COLD."));
  RecordedEvents recorded;
  for (int i = 0; i < 10; ++i) frm_.frmMain.tmrScrollTimer();
  EXPECT_EQ(RecordedEvents::Events().size(), 0u);

  frm_.frmMain.UpdateForecast();
  int announced = 0;
  for (const auto& event : RecordedEvents::Events()) {
    if (event.object == frm_.pnlScroll) {
      ++announced;
      EXPECT_EQ(event.type, QAccessible::TextUpdated);
    }
  }
  EXPECT_EQ(announced, 1);
  EXPECT_EQ(TextOf(Of(frm_.pnlScroll)), ".TODAY...SNOW. .TONIGHT...COLD");

  // The same forecast again is nothing new.
  RecordedEvents::Events().clear();
  frm_.frmMain.UpdateForecast();
  for (const auto& event : RecordedEvents::Events()) EXPECT_NE(event.object, frm_.pnlScroll);
}

TEST_F(AccessTest, MenuKeysOpenTheMenuBelowTheTickerOnItsFirstItem) {
  Start("Fair.");
  QTest::mouseClick(frm_.imgCurrent, Qt::LeftButton);
  EXPECT_EQ(frm_.focusWidget(), frm_.pnlScroll);

  for (const auto& [key, modifiers] :
       {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
    RecordedEvents recorded;
    QTest::keyClick(frm_.pnlScroll, key, modifiers);
    EXPECT_TRUE(frm_.pMenu->isVisible()) << key;
    // Below the ticker, not at the mouse pointer.
    EXPECT_EQ(frm_.pMenu->pos(), frm_.pnlScroll->mapToGlobal(QPoint(0, frm_.pnlScroll->height())));
    // The first item shown (the station items are hidden) becomes current
    // once the menu has the keyboard, and a screen reader hears of it.
    EXPECT_TRUE(ProcessEventsUntil([&] { return frm_.pMenu->activeAction() != nullptr; })) << key;
    EXPECT_EQ(frm_.pMenu->activeAction(), frm_.DisplayCompleteForecast1) << key;
    const int item = frm_.pMenu->actions().indexOf(frm_.DisplayCompleteForecast1);
    EXPECT_TRUE(std::any_of(RecordedEvents::Events().begin(), RecordedEvents::Events().end(),
                            [&](const auto& event) {
                              return event.object == frm_.pMenu &&
                                     event.type == QAccessible::Focus && event.child == item;
                            }))
        << key;
    QTest::keyClick(frm_.pMenu, Qt::Key_Escape);
    EXPECT_FALSE(frm_.pMenu->isVisible());
  }
  // F10 alone is no menu key.
  QTest::keyClick(frm_.pnlScroll, Qt::Key_F10);
  EXPECT_FALSE(frm_.pMenu->isVisible());
}

TEST_F(AccessTest, AMenuOpenedByTheMouseStartsWithNoItemCurrent) {
  Start("Fair.");
  QTest::mouseClick(frm_.pnlScroll, Qt::LeftButton);
  QContextMenuEvent by_mouse(QContextMenuEvent::Mouse, QPoint(5, 5), frm_.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(frm_.pnlScroll, &by_mouse);
  ASSERT_TRUE(frm_.pMenu->isVisible());
  ProcessEventsUntil([] { return false; }, 200);
  EXPECT_EQ(frm_.pMenu->activeAction(), nullptr);
  frm_.pMenu->hide();
}

}  // namespace
