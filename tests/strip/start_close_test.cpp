// The main window from its design values through FormCreate to its close:
// the first run, the stored texts coming back and going back byte for byte,
// a stored "no forecast", store errors during creation and at the close, the
// system's close, and a log-off: the system's question, a cancel, the end.
#include <algorithm>
#include <functional>

#include "strip/main_form.h"
#include "strip_fixture.h"

namespace {

using StartTest = StripTest;
using CloseTest = StripTest;

TEST_F(StartTest, DesignValuesBeforeCreation) {
  TfrmMain frm(face_, env_);
  EXPECT_FALSE(frm.tmrScroll.Enabled());
  EXPECT_EQ(frm.tmrScroll.Interval(), 100);
  EXPECT_TRUE(frm.tmrUpdate.Enabled());
  EXPECT_EQ(frm.tmrUpdate.Interval(), 1800000);
  EXPECT_EQ(face_.Running(StripTimer::tmrUpdate), 1800000);
  EXPECT_FALSE(frm.tmrTitleSwitch.Enabled());
  EXPECT_EQ(frm.tmrTitleSwitch.Interval(), 5000);
  EXPECT_EQ(frm.tmrTitleSwitch.Tag(), 0);
  EXPECT_EQ(frm.reTmp.WholeText(), "\r\n\r\n");
  EXPECT_FALSE(frm.ScrollInTaskbar);
  EXPECT_FALSE(frm.UseAlternateSource);
  EXPECT_FALSE(face_.visible);
  EXPECT_TRUE(face_.calls.empty());
}

TEST_F(StartTest, FirstRunShowsTheDefaultsStandingStill) {
  Store(kOnStart, false);  // the start-up update has tests of its own
  TfrmMain frm(face_, env_);
  frm.FormCreate();
  EXPECT_EQ(face_.calls,
            (std::vector<std::string>{
                "show", "paint: Getting current conditions... | Getting Forecast..."}));
  EXPECT_EQ(face_.frame, (WindowFrame{10, 40, 340}));
  EXPECT_EQ(face_.panel_client_heights[0], 33);
  EXPECT_EQ(face_.panel_client_heights[1], 32);
  EXPECT_EQ(face_.panel_client_widths[1], 32);
  EXPECT_EQ(face_.client_height, face_.PanelHeight(StripPanel::pnlMain) - 1);
  EXPECT_EQ(face_.hint, "Last Update Unknown");
  EXPECT_EQ(face_.ticker_text, "Getting Forecast...");
  EXPECT_EQ(frm.SecondaryConditions, "Getting current conditions...");
  EXPECT_FALSE(frm.tmrScroll.Enabled());
  EXPECT_FALSE(frm.tmrTitleSwitch.Enabled());
  EXPECT_TRUE(frm.tmrUpdate.Enabled());
  EXPECT_EQ(frm.tmrScroll.Interval(), 150);
  EXPECT_EQ(face_.picture, ConditionPicture::kUnchanged);
  // White bold text on black panels.
  EXPECT_TRUE(face_.bold);
  EXPECT_EQ(face_.font_color, (PaletteColor{255, 255, 255}));
  EXPECT_EQ(face_.PanelColor(StripPanel::pnlScroll), (PaletteColor{0, 0, 0}));
  EXPECT_EQ(face_.PanelColor(StripPanel::pnlImage), (PaletteColor{0, 0, 0}));
}

TEST_F(StartTest, StoredTextsComeBackByteForByteAndGoBackUnchanged) {
  const std::string forecast = "Sunny.\r\nHighs near 70 \xE9t\xE9 \x80 \xFF  ";
  const std::string primary = "MARROWBY  RAIN 52 \x93quoted\x94   ";
  const std::string secondary = "WENDMOORE\r\n  ";
  const std::string update = "Last Updated 3/4/2024 5:06:07 PM \xB0";
  Store(kLeft, 120);
  Store(kTop, -30);
  Store(kWidth, 512);
  Store(kLastForecast, forecast);
  Store(kLastMarrowby, primary);
  Store(kLastWendmoore, secondary);
  Store(kLastUpdate, update);
  Store(kOnStart, false);
  {
    TfrmMain frm(face_, env_);
    frm.FormCreate();
    EXPECT_EQ(frm.ForecastText, forecast);
    EXPECT_EQ(frm.PrimaryConditions, primary);
    EXPECT_EQ(frm.SecondaryConditions, secondary);
    EXPECT_EQ(frm.LastUpdateText, update);
    EXPECT_EQ(face_.caption, forecast);
    EXPECT_EQ(face_.ticker_text, forecast);
    EXPECT_EQ(face_.title, primary);
    EXPECT_EQ(face_.hint, update);
    // A stored position off the screen is applied as it stands.
    EXPECT_EQ(face_.frame, (WindowFrame{120, -30, 512}));
    EXPECT_TRUE(frm.tmrScroll.Enabled());
    EXPECT_TRUE(frm.tmrTitleSwitch.Enabled());
    EXPECT_EQ(face_.Running(StripTimer::tmrScroll), 150);
    EXPECT_EQ(face_.Running(StripTimer::tmrTitleSwitch), 5000);
    // The picture and the station items follow the stored conditions.
    EXPECT_EQ(face_.picture, ConditionPicture::kRain);
    EXPECT_EQ(face_.station_items[0], primary);
    EXPECT_EQ(face_.station_items[1], secondary);
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
  Store(kOnStart, false);
  Store(kLastMarrowby, "MARROWBY SUNNY");
  const auto started = [&](const std::string& forecast) {
    Store(kLastForecast, forecast);
    RecordingFace face;
    TfrmMain frm(face, env_);
    frm.FormCreate();
    EXPECT_EQ(frm.tmrTitleSwitch.Enabled(), frm.tmrScroll.Enabled());
    // The picture is chosen only for a stored forecast.
    EXPECT_EQ(face.picture != ConditionPicture::kUnchanged, frm.tmrScroll.Enabled());
    frm.tmrScrollTimer();
    return frm.tmrScroll.Enabled() ? "runs: " + face.caption : "still";
  };
  EXPECT_EQ(started("Getting Forecast..."), "still");
  // The comparison is exact: another case is a forecast.
  EXPECT_EQ(started("getting forecast..."), "runs: etting forecast...");
  EXPECT_EQ(started(""), "runs: ");
}

TEST_F(StartTest, AStoreErrorStopsCreationWhereItWasRaised) {
  Store(kLeft, 77);
  StoreUnreadable(kWindowSection, kTop.name);
  Store(kLastForecast, "Fair");
  TfrmMain frm(face_, env_);
  EXPECT_FALSE(frm.RunGuarded([&] { frm.FormCreate(); }));
  EXPECT_EQ(
      face_.Boxes(),
      (std::vector<std::string>{"uncaught: Marrowby Weather | Invalid data type for 'top'."}));
  EXPECT_EQ(face_.frame.left, 77);
  EXPECT_FALSE(face_.visible);
  EXPECT_TRUE(frm.ForecastText.empty());
  EXPECT_FALSE(frm.tmrScroll.Enabled());
}

// The program's start: creation behind the boundary, then the window shown
// if creation did not get that far, unless the program is ending.
TEST_F(StartTest, StartShowsTheWindowOnceWhateverCreationDid) {
  {
    StoreShownTexts();
    RecordingFace face;
    TfrmMain frm(face, env_);
    frm.Start();
    EXPECT_EQ(std::count(face.calls.begin(), face.calls.end(), "show"), 1);
  }
  StoreUnreadable(kWindowSection, kTop.name);
  TfrmMain frm(face_, env_);
  frm.Start();
  EXPECT_EQ(face_.calls,
            (std::vector<std::string>{"uncaught: Marrowby Weather | Invalid data type for 'top'.",
                                      "show", "paint:  | "}));
  // Once the program ends, the close box has nothing more to do.
  frm.pExitClick();
  face_.calls.clear();
  Store(kLastForecast, "stored after the end");
  EXPECT_TRUE(frm.CloseBoxClick());
  EXPECT_TRUE(face_.calls.empty());
  EXPECT_EQ(StoredText(kLastForecast), "stored after the end");
  // A start that ends the program (a document that cannot be opened) shows
  // nothing more.
  RecordingFace ending;
  TfrmMain frm2(ending, env_);
  frm2.Terminate(0);
  frm2.Start();
  EXPECT_FALSE(ending.visible);
}

// The width: a stored one is the screen's pixels and goes to the face as it
// stands; where none reads as a number, the form's design width, which the
// face sizes for its screen.
TEST_F(StartTest, TheFormsWidthAppliesOnlyWhereNoWidthIsStored) {
  Store(kOnStart, false);
  const auto width_after_creation = [&](const char* stored) {
    if (stored) settings_.Set(kWidth.section, kWidth.name, stored);
    RecordingFace face;
    TfrmMain frm(face, env_);
    frm.FormCreate();
    return (face.form_width ? "form " : "stored ") + std::to_string(face.frame.width);
  };
  EXPECT_EQ(width_after_creation(nullptr), "form 340");
  EXPECT_EQ(width_after_creation(""), "form 340");
  EXPECT_EQ(width_after_creation("wide"), "form 340");
  EXPECT_EQ(width_after_creation("340"), "stored 340");
  EXPECT_EQ(width_after_creation(" 680"), "stored 680");
  EXPECT_EQ(width_after_creation("$200"), "stored 512");
  EXPECT_EQ(width_after_creation("-5"), "stored -5");

  // An entry that cannot be read still stops creation there.
  StoreUnreadable(kWindowSection, kWidth.name);
  TfrmMain frm(face_, env_);
  EXPECT_FALSE(frm.RunGuarded([&] { frm.FormCreate(); }));
  EXPECT_EQ(
      face_.Boxes(),
      (std::vector<std::string>{"uncaught: Marrowby Weather | Invalid data type for 'width'."}));
  EXPECT_EQ(face_.frame, (WindowFrame{10, 40, 0}));
  EXPECT_FALSE(face_.form_width);
}

// ---- closing ----

TEST_F(CloseTest, ExitStoresTheShownTextsAndTheFrameThenEnds) {
  StoreShownTexts();
  Store(kWidth, 420);
  TfrmMain frm(face_, env_);
  frm.FormCreate();
  frm.ForecastText = "Getting Forecast...";
  frm.PrimaryConditions = "";
  face_.frame = {-200, 44, 600};  // where the user dragged it
  face_.calls.clear();
  frm.pExitClick();
  EXPECT_EQ(face_.calls, (std::vector<std::string>{"hide", "end loops", "end loops"}));
  EXPECT_FALSE(face_.visible);
  // The texts whatever they hold, status texts and defaults included.
  EXPECT_EQ(StoredText(kLastForecast), "Getting Forecast...");
  EXPECT_EQ(StoredText(kLastMarrowby), "");
  EXPECT_EQ(StoredText(kLastWendmoore), kShownSecondary);
  EXPECT_EQ(StoredText(kLastUpdate), kShownUpdate);
  EXPECT_EQ(StoredText(kLeft), "-200");
  EXPECT_EQ(StoredText(kTop), "44");
  EXPECT_EQ(StoredText(kWidth), "600");
  EXPECT_EQ(StoredText(kOnStart), "0");  // not written here
}

// An entry that stops FormCreate's reads: the close writes neither it nor
// any entry read after it; what was read before it, and what an update sets
// later, is stored as usual.
TEST_F(CloseTest, AnEntryThatCouldNotBeReadIsNeverOverwritten) {
  Store(kLeft, 33);
  Store(kLastWendmoore, "WENDMOORE");
  StoreUnreadable(kWeatherSection, kLastMarrowby.name);
  {
    TfrmMain frm(face_, env_);
    EXPECT_FALSE(frm.RunGuarded([&] { frm.FormCreate(); }));
    frm.ForecastText = "Showers.";
    frm.pExitClick();
  }
  EXPECT_EQ(StoredText(kLeft), "33");
  EXPECT_EQ(StoredText(kTop), "40");
  EXPECT_EQ(StoredText(kLastForecast), "Showers.");
  EXPECT_EQ(StoredText(kLastWendmoore), "WENDMOORE");
  EXPECT_THROW(StoredText(kLastMarrowby), ERegistryException);
  EXPECT_EQ(StoredText(kLastUpdate), "<absent>");

  // Set by an update, an entry is the program's again.
  RecordingFace face;
  TfrmMain frm(face, env_);
  EXPECT_FALSE(frm.RunGuarded([&] { frm.FormCreate(); }));
  frm.PrimaryConditions = "MARROWBY  SUNNY";
  frm.Close();
  EXPECT_THROW(StoredText(kLastMarrowby), ERegistryException);
}

// The store refuses the writes, or reports at the end of the close's group
// of writes that they failed.
TEST_F(CloseTest, AStoreThatCannotBeWrittenKeepsTheWindowAndTheSystemsCloseEndsWithStatus1) {
  for (const bool group_end : {false, true}) {
    SCOPED_TRACE(group_end ? "the group's end fails" : "every write fails");
    settings_.refuse_all_writes = settings_.fail_group_end = false;
    log_.lines.clear();
    StoreShownTexts();
    RecordingFace face;
    TfrmMain frm(face, env_);
    frm.FormCreate();
    settings_.refuse_all_writes = !group_end;
    settings_.fail_group_end = group_end;
    face.calls.clear();

    // The close box and Exit: the handler ends at the error, the window stays.
    EXPECT_THROW(frm.Close(), ERegistryException);
    EXPECT_THROW(frm.pExitClick(), ERegistryException);
    EXPECT_TRUE(face.visible);
    EXPECT_EQ(face.end_loops_calls, 0);

    // The system's close is obeyed all the same, without a box that nobody
    // may be there to answer, and the program's status says it failed.
    frm.EndSession();
    const std::string why =
        group_end ? "Failed to set data for 'left'" : "Failed to create key window";
    EXPECT_EQ(
        log_.lines,
        (std::vector<std::string>{
            "marrowby-weather: cannot store the settings in memory settings: " + why + "\n"}));
    EXPECT_TRUE(face.Boxes().empty());
    EXPECT_FALSE(face.visible);
    EXPECT_EQ(frm.ExitStatus(), 1);
    // Once told to end, a second request changes nothing.
    face.calls.clear();
    frm.EndSession();
    EXPECT_TRUE(face.calls.empty());
    EXPECT_EQ(log_.lines.size(), 1u);
  }
}

TEST_F(CloseTest, TheSystemsCloseStoresOnceAndEnds) {
  StoreShownTexts();
  TfrmMain frm(face_, env_);
  frm.FormCreate();
  frm.tmrTitleSwitchTimer();
  frm.tmrTitleSwitchTimer();
  face_.calls.clear();
  frm.EndSession();
  EXPECT_EQ(face_.calls, (std::vector<std::string>{"hide", "end loops"}));
  EXPECT_EQ(frm.ExitStatus(), 0);
  EXPECT_EQ(StoredText(kLastMarrowby), kShownPrimary);
  frm.EndSession();
  EXPECT_EQ(face_.end_loops_calls, 1);
}

// ---- a log-off: the system's question, then its decision ----

// Another program may still cancel the log-off: the question stores what is
// shown and ends nothing; a cancel leaves everything going; the end ends at
// once without storing again.
TEST_F(CloseTest, TheSystemsQuestionStoresACancelGoesOnAndTheEndEndsAtOnce) {
  StoreShownTexts();
  TfrmMain frm(face_, env_);
  frm.FormCreate();
  face_.SetLeft(77);
  face_.calls.clear();

  EXPECT_TRUE(frm.QueryEndSession());
  EXPECT_EQ(StoredText(kLeft), "77");
  EXPECT_EQ(StoredText(kLastForecast), kShownForecast);
  EXPECT_TRUE(face_.calls.empty());
  EXPECT_TRUE(face_.visible);
  EXPECT_FALSE(frm.TerminateRequested());
  EXPECT_EQ(face_.Running(StripTimer::tmrScroll), 150);
  EXPECT_EQ(face_.Running(StripTimer::tmrTitleSwitch), 5000);
  EXPECT_EQ(face_.Running(StripTimer::tmrUpdate), 1800000);

  frm.SessionEnded(false);
  EXPECT_TRUE(face_.calls.empty());
  frm.TimerTick(StripTimer::tmrScroll);
  EXPECT_EQ(face_.caption, std::string(kShownForecast).substr(1));
  frm.TimerTick(StripTimer::tmrTitleSwitch);
  EXPECT_EQ(face_.title, kShownPrimary);

  face_.calls.clear();
  EXPECT_TRUE(frm.QueryEndSession());
  Store(kLastForecast, "edited after the question");
  frm.SessionEnded(true);
  EXPECT_EQ(face_.calls, (std::vector<std::string>{"hide", "end loops"}));
  EXPECT_EQ(StoredText(kLastForecast), "edited after the question");
  // Ended: a late question or decision changes nothing.
  face_.calls.clear();
  EXPECT_TRUE(frm.QueryEndSession());
  frm.SessionEnded(true);
  EXPECT_TRUE(face_.calls.empty());
  EXPECT_EQ(StoredText(kLastForecast), "edited after the question");
}

// A cancel forgets the question: an end without a question since stores
// what is shown then, as the system's close does.
TEST_F(CloseTest, AnEndAfterACancelledLogOffStoresAfresh) {
  StoreShownTexts();
  TfrmMain frm(face_, env_);
  frm.FormCreate();
  frm.QueryEndSession();
  frm.SessionEnded(false);
  frm.ForecastText = "Fetched after the cancel.";
  frm.SessionEnded(true);
  EXPECT_EQ(StoredText(kLastForecast), "Fetched after the cancel.");
  EXPECT_EQ(frm.ExitStatus(), 0);
  EXPECT_EQ(face_.end_loops_calls, 1);
}

TEST_F(CloseTest, AQuestionThatCannotStoreSaysSoInTheDiagnosticsAndTheEndGivesStatus1) {
  StoreShownTexts();
  TfrmMain frm(face_, env_);
  frm.FormCreate();
  StoreUnwritable();
  face_.calls.clear();

  EXPECT_TRUE(frm.QueryEndSession());
  EXPECT_EQ(log_.lines, (std::vector<std::string>{
                            "marrowby-weather: cannot store the settings in memory settings: "
                            "Failed to create key window\n"}));
  // No box, and the strip goes on until the system decides.
  EXPECT_TRUE(face_.calls.empty());
  EXPECT_TRUE(face_.visible);
  EXPECT_EQ(face_.Running(StripTimer::tmrScroll), 150);

  frm.SessionEnded(true);
  EXPECT_EQ(log_.lines.size(), 1u);
  EXPECT_EQ(face_.calls, (std::vector<std::string>{"hide", "end loops"}));
  EXPECT_EQ(frm.ExitStatus(), 1);
}

}  // namespace
