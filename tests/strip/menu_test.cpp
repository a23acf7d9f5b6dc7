// The menu commands that open something: the whole forecast in a box, the
// options dialog with the settings applied again after it however it closed,
// and the about box.
#include "strip/main_form.h"
#include "strip/options_form.h"
#include "strip_fixture.h"

namespace {

using Calls = std::vector<std::string>;

class MenuTest : public StripTest {
 protected:
  void SetUp() override {
    StripTest::SetUp();
    StoreShownTexts();
    frm_.FormCreate();
    face_.calls.clear();
  }
  TfrmMain frm_{face_, env_};
};

// The box is titled with the application title as it stands, so with the
// taskbar mirroring the ticker it is the ticker's remaining text, cut to 255
// bytes; the forecast goes to the box as it stands, an empty one included.
TEST_F(MenuTest, TheForecastBoxIsTitledWithTheApplicationTitle) {
  frm_.ForecastText = "Rain <b>heavy</b> & wind [*] \xE9t\xE9";
  frm_.DisplayCompleteForecast1Click();
  EXPECT_EQ(face_.calls, (Calls{"forecast: Marrowby Weather | " + frm_.ForecastText}));

  std::string forecast;
  for (int i = 0; i < 400; ++i) forecast.push_back(static_cast<char>('a' + i % 26));
  frm_.ForecastText = forecast;
  frm_.ScrollInTaskbar = true;
  // The ticker runs out of the stored forecast and starts the new one.
  while (frm_.Caption() != forecast.substr(1)) frm_.tmrScrollTimer();
  frm_.DisplayCompleteForecast1Click();
  EXPECT_EQ(face_.calls.back(), "forecast: " + forecast.substr(1, 255) + " | " + forecast);

  frm_.ForecastText = "xShort <i>one</i>";
  while (frm_.Caption() != "Short <i>one</i>") frm_.tmrScrollTimer();
  frm_.ForecastText = forecast;
  frm_.DisplayCompleteForecast1Click();
  EXPECT_EQ(face_.calls.back(), "forecast: Short <i>one</i> | " + forecast);

  frm_.ScrollInTaskbar = false;
  frm_.tmrScrollTimer();
  frm_.ForecastText.clear();
  frm_.DisplayCompleteForecast1Click();
  EXPECT_EQ(face_.calls.back(), "forecast: Marrowby Weather | ");
  EXPECT_EQ(face_.Boxes().size(), 4u);
}

// The dialog opens on the stored values; OK stores what it shows, and the
// strip then applies what is stored.
TEST_F(MenuTest, OptionsAreAppliedAfterOk) {
  Store(kRate, 90);
  face_.on_options = [&](TfrmOptions& form) {
    EXPECT_EQ(form.tbScroll, 90);
    EXPECT_FALSE(frm_.ScrollInTaskbar);
    form.tbScroll = 40;
    form.chkShowTask = true;
    form.chkAltSite = true;
    form.cGrid.BackgroundIndex = 4;
    form.btnOkClick();
  };
  frm_.pOptsClick();
  EXPECT_EQ(face_.calls, (Calls{"options"}));
  EXPECT_EQ(frm_.tmrScroll.Interval(), 40);
  EXPECT_EQ(face_.Running(StripTimer::tmrScroll), 40);
  EXPECT_TRUE(frm_.ScrollInTaskbar);
  EXPECT_TRUE(frm_.UseAlternateSource);
  EXPECT_EQ(face_.PanelColor(StripPanel::pnlScroll), (PaletteColor{0, 0, 128}));
  EXPECT_EQ(StoredText(kRate), "40");
}

TEST_F(MenuTest, OptionsAreAppliedAfterCancelToo) {
  face_.on_options = [&](TfrmOptions& form) {
    form.tbScroll = 10;  // not stored
    // Meanwhile another running copy stored new settings.
    Store(kRate, 75);
    Store(kShowTask, true);
  };
  frm_.pOptsClick();
  EXPECT_EQ(frm_.tmrScroll.Interval(), 75);
  EXPECT_TRUE(frm_.ScrollInTaskbar);
  EXPECT_EQ(StoredText(kRate), "75");
}

// An entry the dialog cannot read is shown as the error it is, and the dialog
// opens all the same on what was read before it; applying the settings
// afterwards meets the same entry.
TEST_F(MenuTest, AnUnreadableOptionIsShownAndTheDialogStillOpens) {
  Store(kRate, 42);
  StoreUnreadable(kWindowSection, kForeground.name);
  int filled_rate = 0;
  face_.on_options = [&](TfrmOptions& form) { filled_rate = form.tbScroll; };
  EXPECT_FALSE(frm_.RunGuarded([&] { frm_.pOptsClick(); }));
  const std::string unreadable = "uncaught: Marrowby Weather | Invalid data type for 'foreground'.";
  EXPECT_EQ(face_.calls, (Calls{unreadable, "options", unreadable}));
  EXPECT_EQ(filled_rate, 42);
  EXPECT_EQ(frm_.tmrScroll.Interval(), 42);
}

// An error on OK is shown with the application title of that moment (here
// the ticker's text in the taskbar entry) and keeps the dialog open.
TEST_F(MenuTest, AStoreErrorOnOkIsTitledWithTheApplicationTitleOfThatMoment) {
  frm_.ScrollInTaskbar = true;
  bool closed = true;
  face_.on_options = [&](TfrmOptions& form) {
    frm_.tmrScrollTimer();
    StoreUnwritable();
    closed = form.OkClick();
  };
  frm_.pOptsClick();
  EXPECT_FALSE(closed);
  EXPECT_EQ(face_.Boxes(), (Calls{"options", "uncaught: " + std::string(kShownForecast).substr(1) +
                                                 " | Failed to create key scroll."}));
}

// Each command of the menu's table reaches its handler.
TEST_F(MenuTest, TheMenusCommandsReachTheirHandlers) {
  for (const MenuItem& item : kPopupMenu) {
    if (item.command != MenuCommand::kUpdate && item.command != MenuCommand::kExit) {
      frm_.MenuClick(item.command);
    }
  }
  EXPECT_EQ(face_.Boxes(), (Calls{"forecast: Marrowby Weather | " + std::string(kShownForecast),
                                  "options", "about"}));
  frm_.MenuClick(MenuCommand::kExit);
  EXPECT_TRUE(frm_.TerminateRequested());
}

TEST_F(MenuTest, EveryAboutRunsAnAboutBox) {
  frm_.pAboutClick();
  frm_.pAboutClick();
  EXPECT_EQ(face_.calls, (Calls{"about", "about"}));
}

}  // namespace
