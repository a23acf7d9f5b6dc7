// The contract of the platform operations, run against every face (see
// face_conformance.h): what the strip tells a face to show is what its
// window shows, byte for byte; its menu and forms are the strip's tables;
// the user's commands come back to the strip's handlers.
#include "face_conformance.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "store/reg_ini_file.h"
#include "store/stored_entries.h"
#include "strip/options_form.h"
#include "support/environment.h"
#include "support/loopback_server.h"
#include "support/store_place.h"
#include "weather/sources.h"

namespace {

// Bytes that a window system could take for markup, an access key, a title
// placeholder or another character: each must show as it stands.
constexpr char kAwkwardText[] = "Rain & <b>wind</b> [*] 100% \xE9t\xE9 \t|";

class FaceConformance : public ::testing::Test {
 protected:
  void SetUp() override {
    // A fetch, should one start, goes nowhere.
    SetEnvironment(kPrimaryServerVariable, nowhere_.Authority());
    SetEnvironment(kAlternateServerVariable, nowhere_.Authority());
    face_ = MakeFaceProbe();
  }
  void TearDown() override {
    face_.reset();
    UnsetEnvironment(kPrimaryServerVariable);
    UnsetEnvironment(kAlternateServerVariable);
  }

  // The stored texts of an earlier run, without the start-up update.
  static void StoreForecast(std::string_view forecast) {
    TRegIniFile reg(kProductKeyPath);
    Write(reg, kOnStart, false);
    Write(reg, kLastForecast, forecast);
    Write(reg, kLastMarrowby, "MARROWBY  SUNNY 70");
    Write(reg, kLastWendmoore, "WENDMOORE  RAIN 60");
  }

  StorePlace place_;
  RefusingPort nowhere_;
  std::unique_ptr<FaceProbe> face_;
};

TEST_F(FaceConformance, TextsShowByteForByteAsPlainText) {
  StripPlatform& platform = face_->Platform();
  platform.SetTitle(kAwkwardText);
  platform.SetApplicationTitle(kAwkwardText);
  platform.SetHint(kAwkwardText);
  platform.SetStationItem(StationItem::pWDM, kAwkwardText);
  platform.SetTickerText(kAwkwardText);
  platform.SetCaption(kAwkwardText);
  EXPECT_EQ(face_->ShownTitle(), kAwkwardText);
  EXPECT_EQ(face_->ShownApplicationTitle(), kAwkwardText);
  EXPECT_EQ(face_->ShownHint(), kAwkwardText);
  EXPECT_EQ(face_->ShownStationItem(StationItem::pWDM), kAwkwardText);
  EXPECT_EQ(face_->ShownTickerText(), kAwkwardText);
  EXPECT_EQ(face_->ShownCaption(), kAwkwardText);
}

TEST_F(FaceConformance, TheTickerDrawsThePrefixTheStripAsksForAndMovesByTheStep) {
  std::string forecast;
  for (int i = 0; i < 3000; ++i) forecast.push_back(static_cast<char>('a' + i % 26));
  StoreForecast(forecast);
  TfrmMain& frm = face_->Form();
  frm.Start();
  ASSERT_TRUE(face_->Visible());
  const std::string shown = face_->ShownCaption();
  ASSERT_FALSE(shown.empty());
  // As many characters as the rule gives for the ticker's width, from the
  // caption's start.
  EXPECT_EQ(forecast.compare(0, shown.size(), shown), 0);
  EXPECT_GE(static_cast<int>(shown.size()), ShownCaptionCharacters(0));
  EXPECT_LT(shown.size(), forecast.size());

  frm.tmrScrollTimer();
  frm.tmrScrollTimer();
  EXPECT_EQ(face_->ShownCaption(), forecast.substr(2, shown.size()));
  // A new text replaces the caption whole.
  face_->Platform().SetCaption("short");
  EXPECT_EQ(face_->ShownCaption(), "short");
}

TEST_F(FaceConformance, StartShowsTheStoredTextsAndTheStripsDesign) {
  StoreForecast("Fair and mild.");
  TfrmMain& frm = face_->Form();
  frm.Start();
  EXPECT_TRUE(face_->Visible());
  EXPECT_EQ(face_->ShownTitle(), "MARROWBY  SUNNY 70");
  EXPECT_EQ(face_->ShownCaption(), "Fair and mild.");
  EXPECT_EQ(face_->ShownTickerText(), "Fair and mild.");
  EXPECT_EQ(face_->ShownHint(), std::string(kLastUpdate.def));
  EXPECT_EQ(face_->ShownApplicationTitle(), kApplicationTitle);
  // The place and width as stored (here the defaults), the height the
  // strip's: its client height one pixel less than the strip's panel.
  const WindowFrame frame = face_->Platform().Frame();
  EXPECT_EQ(frame.left, kLeft.def);
  EXPECT_EQ(frame.top, kTop.def);
  const int panel = face_->Platform().PanelHeight(StripPanel::pnlMain);
  EXPECT_EQ(face_->ClientHeight(), panel - 1);
  EXPECT_GE(panel, kStripDesign.strip_client_height * face_->Dpi() / 96);
  // The display settings' defaults: white bold text on black.
  EXPECT_EQ(face_->ShownPanelColor(StripPanel::pnlScroll), PaletteColorAt(kBackground.def));
  EXPECT_EQ(face_->ShownPanelColor(StripPanel::pnlImage), PaletteColorAt(kBackground.def));
  EXPECT_EQ(face_->ShownTickerFontColor(), PaletteColorAt(kForeground.def));
  EXPECT_TRUE(face_->ShownTickerBold());
  // "SUNNY" chose the sun, and screen readers hear so.
  EXPECT_EQ(face_->ShownPictureName(), SpokenPictureName(ConditionPicture::kSun));
  EXPECT_EQ(face_->ShownStationItem(StationItem::pMRB), "MARROWBY  SUNNY 70");
}

TEST_F(FaceConformance, ThePlaceAndSizeAreTheWindowSystemsOwn) {
  StripPlatform& platform = face_->Platform();
  platform.SetLeft(-500);  // off the screen: applied as it stands
  platform.SetTop(60);
  platform.SetWidth(400);
  EXPECT_EQ(platform.Frame(), (WindowFrame{-500, 60, 400}));
  platform.SetClientHeight(30);
  EXPECT_EQ(face_->ClientHeight(), 30);
}

TEST_F(FaceConformance, TheLookFollowsTheDisplaySettings) {
  StripPlatform& platform = face_->Platform();
  platform.SetPanelColor(StripPanel::pnlScroll, PaletteColorAt(4));
  platform.SetPanelColor(StripPanel::pnlImage, PaletteColorAt(9));
  platform.SetTickerFontColor(PaletteColorAt(11));
  platform.SetTickerBold(false);
  EXPECT_EQ(face_->ShownPanelColor(StripPanel::pnlScroll), PaletteColorAt(4));
  EXPECT_EQ(face_->ShownPanelColor(StripPanel::pnlImage), PaletteColorAt(9));
  EXPECT_EQ(face_->ShownTickerFontColor(), PaletteColorAt(11));
  EXPECT_FALSE(face_->ShownTickerBold());
  platform.SetTickerBold(true);
  EXPECT_TRUE(face_->ShownTickerBold());
}

TEST_F(FaceConformance, ThePictureIsNamedForTheWeatherItShows) {
  EXPECT_EQ(face_->ShownPictureName(), SpokenPictureName(ConditionPicture::kUnchanged));
  for (ConditionPicture picture : {ConditionPicture::kSun, ConditionPicture::kCloud,
                                   ConditionPicture::kRain, ConditionPicture::kSnow}) {
    face_->Platform().SetCurrentPicture(picture);
    EXPECT_EQ(face_->ShownPictureName(), SpokenPictureName(picture));
  }
}

TEST_F(FaceConformance, TimersTickIntoTheHandlersUntilStopped) {
  StoreForecast("0123456789abcdefghijklmnopqrstuvwxyz");
  TfrmMain& frm = face_->Form();
  frm.Start();
  frm.tmrScroll.SetInterval(10);
  ASSERT_TRUE(face_->RunUntil([&] { return frm.Caption().size() <= 33; }, 10000))
      << "the ticker's timer never ticked";
  EXPECT_EQ(face_->ShownCaption(), frm.Caption());
  frm.tmrScroll.SetEnabled(false);
  const std::string stopped = frm.Caption();
  face_->RunUntil([] { return false; }, 100);
  EXPECT_EQ(frm.Caption(), stopped);
}

TEST_F(FaceConformance, TheMenuIsTheStripsAndItsCommandsReachTheHandlers) {
  StoreForecast("Fair and mild.");
  TfrmMain& frm = face_->Form();
  frm.Start();
  // Every item of the table in its order; hidden ones hidden (or left out).
  const std::vector<ShownMenuItem> shown = face_->ShownMenu();
  std::vector<ShownMenuItem> visible;
  std::copy_if(shown.begin(), shown.end(), std::back_inserter(visible),
               [](const ShownMenuItem& item) { return item.visible; });
  std::vector<std::string> expected;
  for (const MenuItem& item : kPopupMenu) {
    if (item.visible) expected.emplace_back(item.caption);
  }
  std::vector<std::string> captions;
  for (const ShownMenuItem& item : visible) captions.push_back(item.caption);
  EXPECT_EQ(captions, expected);

  face_->ChooseMenuItem("DisplayCompleteForecast1");
  EXPECT_EQ(face_->Boxes(), (std::vector<std::string>{std::string("forecast: ") +
                                                      kApplicationTitle + " | Fair and mild."}));
  face_->ChooseMenuItem("pExit");
  EXPECT_TRUE(frm.TerminateRequested());
  EXPECT_FALSE(face_->Visible());
  EXPECT_EQ(TRegIniFile(kProductKeyPath).ReadText("weather", "last forecast", ""),
            "Fair and mild.");
}

TEST_F(FaceConformance, BoxesShowTheirTextsWithTheStripsTitles) {
  StripPlatform& platform = face_->Platform();
  platform.ShowError(kAwkwardText);
  platform.ShowInformation("Attempt to open the URL failed.");
  platform.ShowForecast(kAwkwardText, kAwkwardText);
  platform.ShowUncaughtError("Title [*]", "Failed to set data for 'left'.");
  EXPECT_EQ(face_->Boxes(), (std::vector<std::string>{
                                std::string("error: ") + kAwkwardText,
                                "information: Attempt to open the URL failed.",
                                std::string("forecast: ") + kAwkwardText + " | " + kAwkwardText,
                                "uncaught: Title [*] | Failed to set data for 'left'."}));
  const std::vector<std::string> titles = face_->BoxTitles();
  ASSERT_GE(titles.size(), 2u);
  EXPECT_EQ(titles[0], kErrorBoxTitle);
  EXPECT_EQ(titles[1], kInformationBoxTitle);
}

// A form as the table says it: caption, client size, and each control with
// its caption, place, tool tip and name, in keyboard order.
void ExpectShowsDesign(const ShownForm& shown, const FormDesign& design) {
  EXPECT_EQ(shown.caption, design.caption);
  EXPECT_EQ(shown.client_width, design.client_width);
  EXPECT_EQ(shown.client_height, design.client_height);
  std::vector<std::string> tab_order;
  for (const ShownControl& control : shown.controls) {
    if (control.tab_stop) tab_order.push_back(control.name);
  }
  std::vector<std::string> designed_order;
  for (const FormControl& control : design.controls) {
    if (control.Has(kTabStop)) designed_order.emplace_back(control.name);
  }
  EXPECT_EQ(tab_order, designed_order);
  for (const FormControl& control : design.controls) {
    const auto found = std::find_if(shown.controls.begin(), shown.controls.end(),
                                    [&](const ShownControl& c) { return c.name == control.name; });
    ASSERT_NE(found, shown.controls.end()) << control.name;
    SCOPED_TRACE(std::string(control.name));
    EXPECT_EQ(found->kind, control.kind);
    EXPECT_EQ(found->caption, control.caption);
    EXPECT_EQ(found->parent, control.parent);
    EXPECT_EQ(found->tool_tip, control.tool_tip);
    EXPECT_EQ(found->accessible_name, control.accessible_name);
    EXPECT_EQ(found->default_button, control.Has(kDefaultButton));
    EXPECT_EQ(found->cancel_button, control.Has(kCancelButton));
    // Where the table gives a place, the control stands there (one form
    // unit either way for the scaling); a size of 0 is the text's own.
    if (!control.Has(kAfterPrevious)) {
      EXPECT_NEAR(found->place.left, control.place.left, 1);
      EXPECT_NEAR(found->place.top, control.place.top, 1);
    }
    if (control.place.width > 0) {
      EXPECT_GE(found->place.width + 1, control.place.width);
    }
    if (control.place.height > 0) {
      EXPECT_NEAR(found->place.height, control.place.height, 1);
    }
  }
}

TEST_F(FaceConformance, TheOptionsDialogIsTheTableAndOkWritesTheForm) {
  if (!face_->HasForms()) GTEST_SKIP() << "this face has no forms";
  TfrmOptions form(ProgramEnvironment().settings, [&](const std::function<void()>& step) {
    return face_->Form().RunGuarded(step);
  });
  form.FormCreate();
  form.chkShowTask = true;
  face_->OpenOptions(form, [](const ShownForm& shown, const FaceProbe::PressButton& press) {
    ExpectShowsDesign(shown, kOptionsDesign);
    press("btnOk");
  });
  EXPECT_TRUE(TRegIniFile(kProductKeyPath).ReadFlag("window", "showtask", false));
}

TEST_F(FaceConformance, TheAboutBoxIsTheTableAndOkClosesIt) {
  if (!face_->HasForms()) GTEST_SKIP() << "this face has no forms";
  bool inside = false;
  face_->OpenAbout([&](const ShownForm& shown, const FaceProbe::PressButton& press) {
    inside = true;
    ExpectShowsDesign(shown, kAboutDesign);
    press("btnOK");
  });
  EXPECT_TRUE(inside);
}

}  // namespace
