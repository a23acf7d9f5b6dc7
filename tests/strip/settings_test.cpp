// ApplySettings: the six reads, what each changes on the strip, the ticker's
// period, and a store error in the middle.
#include "strip/main_form.h"
#include "strip_fixture.h"

namespace {

using SettingsTest = StripTest;

constexpr PaletteColor kBlack{0, 0, 0};
constexpr PaletteColor kWhite{255, 255, 255};
constexpr PaletteColor kNavy{0, 0, 128};
constexpr PaletteColor kRed{255, 0, 0};

TEST_F(SettingsTest, AnEmptyStoreGivesTheDefaults) {
  TfrmMain frm(face_, env_);
  face_.bold = false;
  face_.font_color = kRed;
  face_.panel_colors.fill(kRed);
  frm.ScrollInTaskbar = frm.UseAlternateSource = true;
  frm.ApplySettings();
  EXPECT_EQ(frm.tmrScroll.Interval(), 150);
  // The interval neither starts nor stops the ticker.
  EXPECT_FALSE(frm.tmrScroll.Enabled());
  EXPECT_EQ(face_.Running(StripTimer::tmrScroll), 0);
  EXPECT_TRUE(face_.bold);
  EXPECT_EQ(face_.font_color, kWhite);
  EXPECT_EQ(face_.PanelColor(StripPanel::pnlScroll), kBlack);
  EXPECT_EQ(face_.PanelColor(StripPanel::pnlImage), kBlack);
  EXPECT_EQ(face_.PanelColor(StripPanel::pnlMain), kRed);  // not one of the strip's colours
  EXPECT_FALSE(frm.ScrollInTaskbar);
  EXPECT_FALSE(frm.UseAlternateSource);
  EXPECT_TRUE(face_.calls.empty());
}

TEST_F(SettingsTest, HandEditedValuesAreAppliedAsStored) {
  Store(kRate, 0);
  Store(kForeground, 4);
  Store(kBackground, 4);
  Store(kBold, false);
  Store(kShowTask, true);
  Store(kAltSource, true);
  TfrmMain frm(face_, env_);
  frm.tmrScroll.SetEnabled(true);
  frm.ApplySettings();
  // A rate of 0: enabled, and no ticks.
  EXPECT_EQ(frm.tmrScroll.Interval(), 0);
  EXPECT_TRUE(frm.tmrScroll.Enabled());
  EXPECT_EQ(face_.Running(StripTimer::tmrScroll), 0);
  EXPECT_FALSE(face_.bold);
  // A foreground equal to the background is not corrected.
  EXPECT_EQ(face_.font_color, kNavy);
  EXPECT_EQ(face_.PanelColor(StripPanel::pnlScroll), kNavy);
  EXPECT_EQ(face_.PanelColor(StripPanel::pnlImage), kNavy);
  EXPECT_TRUE(frm.ScrollInTaskbar);
  EXPECT_TRUE(frm.UseAlternateSource);

  // Indices without a palette colour show the out-of-range colour.
  Store(kRate, -20);
  Store(kForeground, 16);
  Store(kBackground, -1);
  Store(kBold, true);
  frm.ApplySettings();
  EXPECT_EQ(face_.Running(StripTimer::tmrScroll), 0);
  EXPECT_EQ(face_.font_color, kOutOfRangeColor);
  EXPECT_EQ(face_.PanelColor(StripPanel::pnlScroll), kOutOfRangeColor);
  EXPECT_EQ(face_.PanelColor(StripPanel::pnlImage), kOutOfRangeColor);
  EXPECT_TRUE(face_.bold);

  // A usable rate again: the enabled ticker starts ticking.
  Store(kRate, 20);
  frm.ApplySettings();
  EXPECT_EQ(face_.Running(StripTimer::tmrScroll), 20);
}

TEST_F(SettingsTest, AnUnchangedRateKeepsTheTickersPeriodAndANewOneRestartsIt) {
  Store(kRate, 150);
  TfrmMain frm(face_, env_);
  frm.ApplySettings();
  frm.tmrScroll.SetEnabled(true);
  ASSERT_EQ(face_.Starts(StripTimer::tmrScroll), 1);
  frm.ApplySettings();
  frm.tmrScroll.SetEnabled(true);  // enabling a running timer keeps its period too
  EXPECT_EQ(face_.Starts(StripTimer::tmrScroll), 1);

  Store(kRate, 400);
  frm.ApplySettings();
  EXPECT_EQ(face_.Starts(StripTimer::tmrScroll), 2);
  EXPECT_EQ(face_.Running(StripTimer::tmrScroll), 400);
}

// The reads run in a fixed order, each applied at once, the colours last: an
// entry that cannot be read ends the handler with what came before it done.
TEST_F(SettingsTest, AStoreErrorEndsItWhereItWasRaised) {
  struct Case {
    std::string_view section;
    std::string_view unreadable;
    bool taskbar_applied;
    bool source_applied;
  };
  for (const Case& c : {Case{kWindowSection, kBackground.name, false, false},
                        Case{kSettingsSection, kAltSource.name, true, false},
                        Case{kWindowSection, kBold.name, true, true}}) {
    SCOPED_TRACE(c.unreadable);
    Store(kRate, 250);
    Store(kForeground, 12);
    Store(kBackground, 3);
    Store(kBold, false);
    Store(kShowTask, true);
    Store(kAltSource, true);
    StoreUnreadable(c.section, c.unreadable);
    RecordingFace face;
    face.font_color = kRed;
    face.panel_colors.fill(kRed);
    TfrmMain frm(face, env_);
    EXPECT_FALSE(frm.RunGuarded([&] { frm.ApplySettings(); }));
    EXPECT_EQ(face.Boxes(),
              (std::vector<std::string>{"uncaught: Marrowby Weather | Invalid data type for '" +
                                        std::string(c.unreadable) + "'."}));
    EXPECT_EQ(frm.tmrScroll.Interval(), 250);
    EXPECT_EQ(frm.ScrollInTaskbar, c.taskbar_applied);
    EXPECT_EQ(frm.UseAlternateSource, c.source_applied);
    EXPECT_TRUE(face.bold);
    EXPECT_EQ(face.font_color, kRed);
    EXPECT_EQ(face.PanelColor(StripPanel::pnlScroll), kRed);
  }
}

}  // namespace
