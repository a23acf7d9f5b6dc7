// The strip as a screen reader and a keyboard user meet it: the tree Qt's
// accessibility interfaces give (roles, names, texts, states), the events a
// ticker step and a new forecast send, and the keys that reach the menu.
#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "qt/main_window/main_window.h"
#include "qt/main_window/ticker_panel.h"
#include "qt/ui/picture.h"
#include "support/accessibility_events.h"
#include "support/weather_servers.h"
#include "window_fixture.h"

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
  MainWindow frm_;
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
  {
    // A new picture is a new name, told once.
    RecordedEvents recorded;
    frm_.SetCurrentPicture(ConditionPicture::kSun);
    EXPECT_EQ(picture->text(QAccessible::Name), "Sun");
    EXPECT_EQ(std::count_if(RecordedEvents::Events().begin(), RecordedEvents::Events().end(),
                            [&](const auto& event) {
                              return event.object == frm_.imgCurrent &&
                                     event.type == QAccessible::NameChanged;
                            }),
              1);
  }
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

// A screen reader on the ticker hears a new forecast as a notification, once,
// but only after it has read the ticker since the focus came: until then it
// has yet to present the ticker, and reads the new forecast itself.
class AnnouncementTest : public AccessTest {
 protected:
  void SetUp() override {
    AccessTest::SetUp();
    servers_.Use();
    Start("Fair and mild.");
    notice_ = frm_.findChild<QWidget*>("pnlForecastNotice");
    ASSERT_NE(notice_, nullptr);
    QTest::mouseClick(frm_.pnlScroll, Qt::LeftButton);
    ASSERT_EQ(frm_.focusWidget(), frm_.pnlScroll);
  }
  // What a screen reader does when it presents the focused ticker.
  void ReadTicker() { TextOf(Of(frm_.pnlScroll)); }
  // The forecasts the notice was shown with while `step` ran.
  QStringList Announced(const std::function<void()>& step) {
    RecordedEvents recorded;
    step();
    QStringList announced;
    for (const auto& event : RecordedEvents::Events()) {
      if (event.object == notice_ && event.type == QAccessible::ObjectShow) {
        announced << Of(notice_)->text(QAccessible::Description);
      }
    }
    return announced;
  }
  void NewForecast(const std::string& lines) {
    servers_.ServeForecast(false, ZoneForecast(lines));
    frm_.frmMain.UpdateForecast();
  }

  WeatherServers servers_;
  QWidget* notice_ = nullptr;
};

TEST_F(AnnouncementTest, ANewForecastIsANotificationOnceTheReaderHasReadTheTicker) {
  QAccessibleInterface* notice = Of(notice_);
  EXPECT_EQ(notice->role(), QAccessible::Notification);
  EXPECT_EQ(notice->text(QAccessible::Name), "New forecast");
  EXPECT_TRUE(notice->state().invisible);
  EXPECT_FALSE(notice->state().focusable);

  // Not yet read since the click: the reader will read the new one itself.
  EXPECT_EQ(Announced([&] { NewForecast(".TODAY...SNOW."); }), QStringList());
  ReadTicker();
  EXPECT_EQ(Announced([&] { NewForecast(".TONIGHT...COLD."); }), QStringList({".TONIGHT...COLD"}));
  // Still read: the next one too, and neither the same forecast nor the
  // ticker's steps.
  EXPECT_EQ(Announced([&] { NewForecast(".TOMORROW...SUN."); }), QStringList({".TOMORROW...SUN"}));
  EXPECT_EQ(Announced([&] {
              NewForecast(".TOMORROW...SUN.");
              for (int i = 0; i < 10; ++i) frm_.frmMain.tmrScrollTimer();
            }),
            QStringList());
  // Shown for a moment only; and not at all while the focus is elsewhere.
  EXPECT_TRUE(notice->state().invisible);
  frm_.pnlScroll->clearFocus();
  EXPECT_EQ(Announced([&] { NewForecast(".TODAY...SNOW."); }), QStringList());
}

TEST_F(AnnouncementTest, TheReaderFollowsTheFocusBackFromTheKeyboardMenu) {
  ReadTicker();
  QTest::keyClick(frm_.pnlScroll, Qt::Key_F10, Qt::ShiftModifier);
  ASSERT_TRUE(ProcessEventsUntil([&] { return frm_.pMenu->activeAction() != nullptr; }));
  {
    // Qt tells of no focus here: the ticker stayed the focus widget.
    RecordedEvents recorded;
    QTest::keyClick(frm_.pMenu, Qt::Key_Escape);
    ASSERT_EQ(frm_.focusWidget(), frm_.pnlScroll);
    EXPECT_TRUE(std::any_of(
        RecordedEvents::Events().begin(), RecordedEvents::Events().end(), [&](const auto& event) {
          return event.object == frm_.pnlScroll && event.type == QAccessible::Focus;
        }));
  }
  // As after Update Now from the menu: the forecast comes before the
  // reader has taken up the ticker again.
  EXPECT_EQ(Announced([&] { NewForecast(".TODAY...SNOW."); }), QStringList());
  ReadTicker();
  EXPECT_EQ(Announced([&] { NewForecast(".TONIGHT...COLD."); }), QStringList({".TONIGHT...COLD"}));
}

TEST_F(AnnouncementTest, AMenuTheMouseOpensStartsWithNoItemAndLeavesTheReaderOnTheTicker) {
  ReadTicker();
  QContextMenuEvent by_mouse(QContextMenuEvent::Mouse, QPoint(5, 5),
                             frm_.mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(frm_.pnlScroll, &by_mouse);
  ASSERT_TRUE(frm_.pMenu->isVisible());
  ProcessEventsUntil([] { return false; }, 200);
  EXPECT_EQ(frm_.pMenu->activeAction(), nullptr);
  frm_.pMenu->hide();
  ASSERT_EQ(frm_.focusWidget(), frm_.pnlScroll);
  EXPECT_EQ(Announced([&] { NewForecast(".TODAY...SNOW."); }), QStringList({".TODAY...SNOW"}));
}

TEST_F(AccessTest, AClickFocusesTheTickerAndMenuKeysOpenTheMenuOnItsFirstItem) {
  Start("Fair.");
  frm_.pnlScroll->clearFocus();
  {
    // Anywhere on the strip; screen readers hear of the ticker's focus.
    RecordedEvents recorded;
    QTest::mouseClick(frm_.imgCurrent, Qt::LeftButton);
    EXPECT_EQ(frm_.focusWidget(), frm_.pnlScroll);
    EXPECT_TRUE(std::any_of(
        RecordedEvents::Events().begin(), RecordedEvents::Events().end(), [&](const auto& event) {
          return event.object == frm_.pnlScroll && event.type == QAccessible::Focus;
        }));
  }

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

}  // namespace
