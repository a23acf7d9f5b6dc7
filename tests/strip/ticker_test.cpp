// The ticker's step and refill, the taskbar entry mirroring it, and the
// title's rotation between the two stations.
#include <utility>

#include "strip/main_form.h"
#include "strip_fixture.h"

namespace {

using TickerTest = StripTest;

TEST_F(TickerTest, EachStepDropsOneCharacterAndTheTickThatEmptiesItRefills) {
  TfrmMain frm(face_, env_);
  frm.ForecastText = "abc";
  frm.tmrScrollTimer();  // the empty caption is filled at once
  frm.ForecastText = "Forecast text";
  std::vector<std::string> captions;
  for (int i = 0; i < 4; ++i) {
    frm.tmrScrollTimer();
    captions.push_back(face_.caption);
  }
  // No blank step between two passes.
  EXPECT_EQ(captions, (std::vector<std::string>{"bc", "c", "Forecast text", "orecast text"}));

  // A new forecast is picked up when the caption runs out.
  frm.ForecastText = "xy";
  for (int i = 0; i < 12; ++i) frm.tmrScrollTimer();
  EXPECT_EQ(face_.caption, "xy");
  frm.tmrScrollTimer();
  EXPECT_EQ(face_.caption, "y");
  // A step repaints at the next paint; it never forces one. The face is
  // told what each step dropped.
  EXPECT_TRUE(face_.Paints().empty());
  EXPECT_EQ(face_.calls.back(), "step: x");
}

TEST_F(TickerTest, TheTaskbarEntryMirrorsTheTickerOnlyWhenAsked) {
  TfrmMain frm(face_, env_);
  frm.ForecastText = "ab";
  frm.tmrScrollTimer();
  frm.ForecastText = "Rain\xA0\x85";
  frm.ScrollInTaskbar = true;
  std::vector<std::string> titles;
  for (int i = 0; i < 3; ++i) {
    frm.tmrScrollTimer();
    titles.push_back(face_.application_title);
  }
  // Byte for byte, the refilled caption included.
  EXPECT_EQ(titles, (std::vector<std::string>{"b", "Rain\xA0\x85", "ain\xA0\x85"}));

  // Switched off: the program's name again at the next step.
  frm.ScrollInTaskbar = false;
  frm.tmrScrollTimer();
  EXPECT_EQ(face_.application_title, "Marrowby Weather");
  EXPECT_EQ(face_.caption, "in\xA0\x85");

  // An empty forecast empties the mirrored title.
  frm.ForecastText.clear();
  frm.ScrollInTaskbar = true;
  while (!face_.caption.empty()) frm.tmrScrollTimer();
  EXPECT_EQ(face_.caption, "");
  EXPECT_EQ(face_.application_title, "");
}

TEST_F(TickerTest, TheTitleAlternatesByTheTagStartingWithThePrimaryLine) {
  TfrmMain frm(face_, env_);
  frm.PrimaryConditions = "MARROWBY  SUNNY 70";
  frm.SecondaryConditions = "WENDMOORE CLOUDY 65";
  // As after start-up or a conditions update the tag is 0: the primary line
  // stays for two ticks (10 s), then each line for one.
  std::vector<std::string> titles;
  for (int i = 0; i < 4; ++i) {
    frm.tmrTitleSwitchTimer();
    titles.push_back(face_.title);
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"MARROWBY  SUNNY 70", "WENDMOORE CLOUDY 65",
                                              "MARROWBY  SUNNY 70", "WENDMOORE CLOUDY 65"}));
  EXPECT_EQ(frm.tmrTitleSwitch.Tag(), 0);
  // Setting the tag picks the line shown next.
  frm.tmrTitleSwitch.SetTag(1);
  frm.tmrTitleSwitchTimer();
  EXPECT_EQ(face_.title, "WENDMOORE CLOUDY 65");
}

TEST_F(TickerTest, AStationNameAloneReadsNotAvailable) {
  TfrmMain frm(face_, env_);
  const auto shown = [&](const std::string& primary, const std::string& secondary) {
    frm.PrimaryConditions = primary;
    frm.SecondaryConditions = secondary;
    frm.tmrTitleSwitch.SetTag(0);
    frm.tmrTitleSwitchTimer();
    std::string first = face_.title;
    frm.tmrTitleSwitchTimer();
    return std::make_pair(first, face_.title);
  };
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(shown("MARROWBY", "WENDMOORE"),
            P("Marrowby - Not available", "Wendmoore - Not available"));
  // Bytes 0..32 at either end are ignored, letter case too; 127 is not blank.
  EXPECT_EQ(shown(" \t\r\nmArRoWbY \x01\x1F ", "\x7F wendmoore"),
            P("Marrowby - Not available", "\x7F wendmoore"));
  // Either name is caught in either line.
  EXPECT_EQ(shown("  Wendmoore  ", "marrowby\r\n"),
            P("Wendmoore - Not available", "Marrowby - Not available"));
  // Anything after the name, or a letter outside A-Z, is a report.
  EXPECT_EQ(shown("MARROWBY  FAIR 60", "WENDMOORE X"), P("MARROWBY  FAIR 60", "WENDMOORE X"));
  EXPECT_EQ(shown("MARROWBY\xA0", "WENDM\xD6ORE"), P("MARROWBY\xA0", "WENDM\xD6ORE"));
  EXPECT_EQ(shown("", ""), P("", ""));
}

}  // namespace
