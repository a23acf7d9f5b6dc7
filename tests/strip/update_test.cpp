// The three update paths end to end on scripted documents: what the strip
// paints at each step and in which order the documents are asked for, what
// each path leaves (texts, stamp, picture, timers, buffer, store), what a
// failed fetch or a foreign document leaves, an update running inside another
// one's box, the system's close and a log-off's question during a fetch, and
// the sample data server's documents through the whole path.
#include <algorithm>
#include <map>

#include "sample-server/sample_documents.h"
#include "strip/main_form.h"
#include "strip_fixture.h"
#include "support/weather_documents.h"

namespace {

using Calls = std::vector<std::string>;

const std::string kMarrowbyRain = "MARROWBY       RAIN      52 49  89 S12       29.80F";
const std::string kWendmooreSun = "WENDMOORE      MOSUNNY   61 40  45 W8        30.02S";
const std::string kMarrowbySnow = "MARROWBY       LGT SNOW  30 28  91 N15G22    29.71F WCI  21";
const std::string kWendmooreCld = "WENDMOORE      PTCLDY    35 20  54 NW9       29.90R";
const std::string kRainParagraph = ".TODAY...RAIN. HIGHS 55.\n.TONIGHT...SHOWERS. LOWS 45.";
const std::string kRainForecast = ".TODAY...RAIN. HIGHS 55. .TONIGHT...SHOWERS. LOWS 45";
const std::string kSnowParagraph = ".TODAY...SNOW.\n.TONIGHT...COLD.";
const std::string kSnowForecast = ".TODAY...SNOW. .TONIGHT...COLD";

constexpr char kStatusPaint[] =
    "paint: Getting Current Conditions... | Getting Forecast Information...";
constexpr char kOpenFailed[] =
    "information: Attempt to open the URL failed. Check your connection settings";
constexpr char kReadFailed[] = "error: Connection to Internet failed or lost.";

// A document that breaks off in its body.
const ScriptedAnswer kBroken = ScriptedAnswer::ReadFails(FetchFailure::kReset);

class UpdateTest : public StripTest {
 protected:
  void SetUp() override {
    StripTest::SetUp();
    // What a server answers for a path it does not have: its 404 page.
    fetch_.otherwise = ScriptedAnswer::Document("404 Not Found\n");
  }
  void ServeRain(WeatherSource source = WeatherSource::kPrimary) {
    Serve(WeatherDocument::kConditions, Roundup(kMarrowbyRain, kWendmooreSun), source);
    Serve(WeatherDocument::kForecast, ZoneForecast(kRainParagraph), source);
  }
  void ServeSnow() {
    Serve(WeatherDocument::kConditions, Roundup(kMarrowbySnow, kWendmooreCld));
    Serve(WeatherDocument::kForecast, ZoneForecast(kSnowParagraph));
  }
  // A window started on the stored texts, without the start-up update.
  void Start(TfrmMain& frm, RecordingFace& face) {
    StoreShownTexts();
    frm.FormCreate();
    face.calls.clear();
  }
  // What every update path leaves running.
  static void ExpectRunningOn(const RecordingFace& face, const TfrmMain& frm,
                              const std::string& primary) {
    EXPECT_EQ(face.title, primary);
    EXPECT_EQ(face.Running(StripTimer::tmrScroll), 150);
    EXPECT_EQ(face.Running(StripTimer::tmrTitleSwitch), 5000);
    EXPECT_EQ(frm.tmrTitleSwitch.Tag(), 0);
    // The half-hourly rhythm goes on as it was: started once, at creation.
    EXPECT_EQ(face.Running(StripTimer::tmrUpdate), 1800000);
    EXPECT_EQ(face.Starts(StripTimer::tmrUpdate), 1);
    EXPECT_EQ(face.station_items,
              (std::array<std::string, 2>{frm.PrimaryConditions, frm.SecondaryConditions}));
  }
};

// ---- the three paths ----

TEST_F(UpdateTest, TheStartUpUpdateOnAnEmptyStore) {
  ServeRain();
  face_.now = {2024, 3, 5, 2, 15, 4, 5};
  face_.formats.clock_24_hour = true;
  face_.formats.time_separator = ".";
  {
    TfrmMain frm(face_, env_);
    frm.FormCreate();
    // The defaults first; the status texts at the start-up update and again
    // once the roundup is open; nothing painted while the forecast comes.
    EXPECT_EQ(face_.calls,
              (Calls{"show", "paint: Getting current conditions... | Getting Forecast...",
                     kStatusPaint, "fetch", kStatusPaint, "fetched", "fetch", "fetched"}));
    EXPECT_EQ(face_.application_title, "Marrowby Weather");
    EXPECT_EQ(frm.PrimaryConditions, kMarrowbyRain);
    EXPECT_EQ(frm.SecondaryConditions, kWendmooreSun);
    EXPECT_EQ(frm.ForecastText, kRainForecast);
    EXPECT_EQ(face_.caption, kRainForecast);
    EXPECT_EQ(face_.ticker_text, kRainForecast);
    EXPECT_EQ(frm.reTmp.WholeText(), kRainForecast);
    // Stamped from the face's clock in the face's formats.
    EXPECT_EQ(face_.hint, "Last Updated March 5, 2024 at 15.04.05");
    EXPECT_EQ(face_.hint, FormatLastUpdate(face_.now, face_.formats));
    EXPECT_EQ(frm.LastUpdateText, face_.hint);
    EXPECT_EQ(face_.picture, ConditionPicture::kRain);
    ExpectRunningOn(face_, frm, kMarrowbyRain);
    EXPECT_TRUE(face_.Boxes().empty());
    ASSERT_TRUE(frm.Close());
  }
  EXPECT_EQ(StoredText(kLastForecast), kRainForecast);
  EXPECT_EQ(StoredText(kLastMarrowby), kMarrowbyRain);
  EXPECT_EQ(StoredText(kLastWendmoore), kWendmooreSun);
  EXPECT_EQ(StoredText(kLastUpdate), "Last Updated March 5, 2024 at 15.04.05");
}

TEST_F(UpdateTest, UpdateNowShowsTheStatusThenTheNewTexts) {
  TfrmMain frm(face_, env_);
  Start(frm, face_);
  // A box during the forecast's fetch shows what the strip shows meanwhile.
  Serve(WeatherDocument::kConditions, Roundup(kMarrowbySnow, kWendmooreCld));
  Serve(WeatherDocument::kForecast, kBroken);
  Calls at_box;
  face_.on_box = [&](const std::string&) {
    at_box.push_back(face_.title + " | " + face_.caption);
    EXPECT_EQ(face_.Running(StripTimer::tmrScroll), 0);
  };
  frm.tmrTitleSwitchTimer();  // the secondary line would come next
  frm.pUpdateClick();
  EXPECT_EQ(face_.calls, (Calls{kStatusPaint, "fetch", kStatusPaint, "fetched", "fetch", "fetched",
                                kReadFailed}));
  // The title has the new primary line while the forecast is fetched.
  EXPECT_EQ(at_box, (Calls{kMarrowbySnow + " | Getting Forecast Information..."}));
  EXPECT_EQ(face_.picture, ConditionPicture::kSnow);
  EXPECT_EQ(face_.caption, kShownForecast);
  ExpectRunningOn(face_, frm, kMarrowbySnow);

  // Once the forecast arrives, the ticker starts it from its beginning, and
  // a second update gives the same texts.
  Serve(WeatherDocument::kForecast, ZoneForecast(kSnowParagraph));
  const auto texts = [&] {
    frm.pUpdateClick();
    return Calls{frm.PrimaryConditions, frm.SecondaryConditions, frm.ForecastText, face_.caption,
                 face_.title};
  };
  const Calls first = texts();
  EXPECT_EQ(first, texts());
  EXPECT_EQ(first,
            (Calls{kMarrowbySnow, kWendmooreCld, kSnowForecast, kSnowForecast, kMarrowbySnow}));
  EXPECT_EQ(face_.Boxes().size(), 1u);
  ExpectRunningOn(face_, frm, kMarrowbySnow);
}

TEST_F(UpdateTest, TheHalfHourlyUpdateLeavesTheTickerEmptyUntilItsNextStep) {
  TfrmMain frm(face_, env_);
  Start(frm, face_);
  ServeRain();
  frm.tmrUpdateTimer();
  // Forecast first, conditions last; the status painted at the start and
  // when the roundup opens.
  EXPECT_EQ(face_.calls,
            (Calls{kStatusPaint, "fetch", "fetched", "fetch", kStatusPaint, "fetched"}));
  EXPECT_EQ(fetch_.asked, (Calls{AddressOf(WeatherDocument::kForecast),
                                 AddressOf(WeatherDocument::kConditions)}));
  EXPECT_EQ(frm.ForecastText, kRainForecast);
  EXPECT_EQ(face_.ticker_text, kRainForecast);
  EXPECT_EQ(face_.caption, "");
  EXPECT_EQ(frm.reTmp.WholeText(), "");
  EXPECT_EQ(frm.PrimaryConditions, kMarrowbyRain);
  EXPECT_EQ(frm.SecondaryConditions, kWendmooreSun);
  EXPECT_EQ(face_.picture, ConditionPicture::kRain);
  EXPECT_EQ(face_.hint, FormatLastUpdate(face_.now, face_.formats));
  EXPECT_EQ(frm.LastUpdateText, face_.hint);
  ExpectRunningOn(face_, frm, kMarrowbyRain);

  frm.tmrScrollTimer();
  EXPECT_EQ(face_.caption, kRainForecast);
  frm.tmrTitleSwitchTimer();
  EXPECT_EQ(face_.title, kMarrowbyRain);
  frm.tmrTitleSwitchTimer();
  EXPECT_EQ(face_.title, kWendmooreSun);
}

TEST_F(UpdateTest, TheAlternateSourceIsAskedWhenChosen) {
  Store(kAltSource, true);
  ServeRain(WeatherSource::kAlternate);
  TfrmMain frm(face_, env_);
  Start(frm, face_);
  frm.pUpdateClick();
  EXPECT_EQ(frm.PrimaryConditions, kMarrowbyRain);
  EXPECT_EQ(frm.ForecastText, kRainForecast);
  EXPECT_EQ(fetch_.asked,
            (Calls{AddressOf(WeatherDocument::kConditions, WeatherSource::kAlternate),
                   AddressOf(WeatherDocument::kForecast, WeatherSource::kAlternate)}));
}

// ---- the picture and the station items ----

TEST_F(UpdateTest, ThePictureFollowsThePrimaryLineAndAStationWithoutAReportKeepsIt) {
  TfrmMain frm(face_, env_);
  frm.SecondaryConditions = "WENDMOORE & <b>CO</b>";
  const auto picture = [&](const std::string& primary) {
    frm.PrimaryConditions = primary;
    frm.UpdateConditionIcon();
    EXPECT_EQ(face_.station_items, (std::array<std::string, 2>{primary, frm.SecondaryConditions}));
    return face_.picture;
  };
  EXPECT_EQ(picture("MARROWBY  MOSUNNY 71"), ConditionPicture::kSun);
  EXPECT_EQ(picture("MARROWBY  SNOW SHOWERS"), ConditionPicture::kSnow);
  EXPECT_EQ(picture("MARROWBY      "), ConditionPicture::kSnow);
  EXPECT_EQ(picture("MARROWBY &FOG"), ConditionPicture::kCloud);
}

// ---- a failed fetch keeps what the user had ----

// The first fetch tells the user, closes the window (storing) and ends the
// program; the steps after it still run on the kept texts, but fetch nothing
// more and show no second box.
TEST_F(UpdateTest, AnUnreachableServerKeepsTheTextsOnEveryPath) {
  fetch_.otherwise = ScriptedAnswer::OpenFails(FetchFailure::kRefused);
  enum Path { kStartUp, kUpdateNow, kHalfHourly };
  for (Path path : {kStartUp, kUpdateNow, kHalfHourly}) {
    SCOPED_TRACE(path);
    StoreShownTexts();
    if (path == kStartUp) Store(kOnStart, true);
    RecordingFace face;
    TfrmMain frm(face, env_);
    if (path == kStartUp) {
      frm.FormCreate();
    } else {
      Start(frm, face);
      if (path == kUpdateNow) {
        frm.pUpdateClick();
      } else {
        frm.tmrUpdateTimer();
      }
    }
    EXPECT_EQ(face.Boxes(), (Calls{kOpenFailed}));
    EXPECT_EQ(std::count(face.calls.begin(), face.calls.end(), "fetch"), 1);
    EXPECT_TRUE(frm.TerminateRequested());
    EXPECT_FALSE(face.visible);
    EXPECT_EQ(frm.PrimaryConditions, kShownPrimary);
    EXPECT_EQ(frm.SecondaryConditions, kShownSecondary);
    EXPECT_EQ(frm.ForecastText, kShownForecast);
    EXPECT_EQ(face.hint, kShownUpdate);
    // The half-hourly path ends on the conditions, which empty the ticker.
    EXPECT_EQ(face.caption, path == kHalfHourly ? "" : kShownForecast);
    EXPECT_EQ(frm.reTmp.WholeText(), path == kHalfHourly ? "" : kShownForecast);
    EXPECT_EQ(face.picture, ConditionPicture::kSun);
    ExpectRunningOn(face, frm, kShownPrimary);
    EXPECT_EQ(StoredText(kLastForecast), kShownForecast);
    EXPECT_EQ(StoredText(kLastMarrowby), kShownPrimary);
    EXPECT_EQ(StoredText(kLastWendmoore), kShownSecondary);
    EXPECT_EQ(StoredText(kLastUpdate), kShownUpdate);
  }
}

TEST_F(UpdateTest, AReadFailureKeepsThatDocumentsTextsOnly) {
  TfrmMain frm(face_, env_);
  Start(frm, face_);
  ServeRain();
  Serve(WeatherDocument::kConditions, kBroken);

  // The roundup breaks off: the conditions stay, the forecast is new.
  face_.now.minute = 10;
  frm.pUpdateClick();
  EXPECT_EQ(face_.Boxes(), (Calls{kReadFailed}));
  EXPECT_EQ(frm.PrimaryConditions, kShownPrimary);
  EXPECT_EQ(frm.SecondaryConditions, kShownSecondary);
  EXPECT_EQ(frm.ForecastText, kRainForecast);
  const std::string stamped = FormatLastUpdate(face_.now, face_.formats);
  EXPECT_EQ(frm.LastUpdateText, stamped);
  ExpectRunningOn(face_, frm, kShownPrimary);

  // The forecast breaks off: it and its stamp stay, the conditions are new,
  // and the buffer holds the kept forecast.
  ServeRain();
  Serve(WeatherDocument::kForecast, kBroken);
  face_.calls.clear();
  face_.now.minute = 40;
  frm.pUpdateClick();
  EXPECT_EQ(face_.Boxes(), (Calls{kReadFailed}));
  EXPECT_EQ(frm.PrimaryConditions, kMarrowbyRain);
  EXPECT_EQ(frm.ForecastText, kRainForecast);
  EXPECT_EQ(frm.LastUpdateText, stamped);
  EXPECT_EQ(face_.hint, stamped);
  EXPECT_EQ(face_.caption, kRainForecast);
  EXPECT_EQ(frm.reTmp.WholeText(), kRainForecast);
  ExpectRunningOn(face_, frm, kMarrowbyRain);
  EXPECT_FALSE(frm.TerminateRequested());
}

// An entry that creation could not read is left as the store has it at the
// close, until an update brings a text for it.
TEST_F(UpdateTest, AnUpdateMakesAnEntryCreationCouldNotReadTheProgramsAgain) {
  StoreUnreadable(kWeatherSection, kLastMarrowby.name);
  const auto update_and_close = [this] {
    RecordingFace face;
    TfrmMain frm(face, env_);
    EXPECT_FALSE(frm.RunGuarded([&] { frm.FormCreate(); }));
    frm.pUpdateClick();
    EXPECT_TRUE(frm.Close());
  };
  update_and_close();  // error pages bring nothing
  EXPECT_THROW(StoredText(kLastMarrowby), ERegistryException);
  EXPECT_EQ(StoredText(kLastWendmoore), "<absent>");
  EXPECT_EQ(StoredText(kLastUpdate), "<absent>");
  ServeRain();
  update_and_close();
  EXPECT_EQ(StoredText(kLastMarrowby), kMarrowbyRain);
  EXPECT_EQ(StoredText(kLastWendmoore), kWendmooreSun);
  EXPECT_EQ(StoredText(kLastUpdate), FormatLastUpdate(face_.now, face_.formats));
}

// ---- a document of another kind keeps them too ----

TEST_F(UpdateTest, ErrorPagesKeepTheTextsWithoutABox) {
  TfrmMain frm(face_, env_);
  Start(frm, face_);
  const auto expect_kept = [&](const std::string& caption) {
    EXPECT_TRUE(face_.Boxes().empty());
    EXPECT_EQ(frm.PrimaryConditions, kShownPrimary);
    EXPECT_EQ(frm.SecondaryConditions, kShownSecondary);
    EXPECT_EQ(frm.ForecastText, kShownForecast);
    EXPECT_EQ(frm.LastUpdateText, kShownUpdate);
    EXPECT_EQ(face_.hint, kShownUpdate);
    EXPECT_EQ(face_.caption, caption);
    ExpectRunningOn(face_, frm, kShownPrimary);
  };
  // Nothing scripted: every path answers 404 with a page.
  frm.pUpdateClick();
  expect_kept(kShownForecast);
  frm.tmrUpdateTimer();
  expect_kept("");
  EXPECT_EQ(fetch_.asked.size(), 4u);

  // The sample server's own error page, served for both documents.
  const std::string page = mw_sample::NotFoundPage(kPrimaryConditionsPath);
  Serve(WeatherDocument::kConditions, page);
  Serve(WeatherDocument::kForecast, page);
  frm.pUpdateClick();
  expect_kept(kShownForecast);
}

// The half-hourly update cuts the roundup alone, never behind the forecast.
TEST_F(UpdateTest, AForecastNamingAStationIsNotTakenForItsEntry) {
  TfrmMain frm(face_, env_);
  Start(frm, face_);
  Serve(WeatherDocument::kForecast,
        ZoneForecast(".TODAY...WINDY. GUSTS NEAR WENDMOORE 40 MPH. NOT AS WARM."));
  Serve(WeatherDocument::kConditions, Roundup(kMarrowbyRain, kWendmooreSun));
  frm.tmrUpdateTimer();
  EXPECT_EQ(frm.ForecastText, ".TODAY...WINDY. GUSTS NEAR WENDMOORE 40 MPH. NOT AS WARM");
  EXPECT_EQ(frm.PrimaryConditions, kMarrowbyRain);
  EXPECT_EQ(frm.SecondaryConditions, kWendmooreSun);
}

// ---- an update inside another one's box ----

TEST_F(UpdateTest, AHalfHourlyUpdateRunsToItsEndInsideAnotherUpdatesBox) {
  TfrmMain frm(face_, env_);
  Start(frm, face_);
  ServeRain();
  Serve(WeatherDocument::kConditions, kBroken);

  // The box of the roundup's failed read is open when tmrUpdate falls due;
  // by then the server answers again, with the snow documents.
  bool ran_inside = false;
  face_.on_box = [&](const std::string& box) {
    if (ran_inside) return;
    ran_inside = true;
    EXPECT_EQ(box, kReadFailed);
    ServeSnow();
    frm.TimerTick(StripTimer::tmrUpdate);
    // It ran to its end before the box closes.
    EXPECT_EQ(frm.PrimaryConditions, kMarrowbySnow);
    EXPECT_EQ(frm.ForecastText, kSnowForecast);
    EXPECT_EQ(face_.caption, "");
    EXPECT_EQ(face_.Running(StripTimer::tmrScroll), 150);
  };
  frm.pUpdateClick();
  ASSERT_TRUE(ran_inside);
  // The first update then went on: its own roundup had failed, so it keeps
  // what the inner one brought, and it fetched the forecast anew.
  EXPECT_EQ(face_.Boxes().size(), 1u);
  EXPECT_EQ(frm.PrimaryConditions, kMarrowbySnow);
  EXPECT_EQ(frm.SecondaryConditions, kWendmooreCld);
  EXPECT_EQ(frm.ForecastText, kSnowForecast);
  EXPECT_EQ(face_.caption, kSnowForecast);
  EXPECT_EQ(face_.picture, ConditionPicture::kSnow);
  ExpectRunningOn(face_, frm, kMarrowbySnow);
  EXPECT_EQ(fetch_.asked.size(), 4u);
}

// ---- the system's close while a document downloads ----

// The close acts at once: the fetch is abandoned without a box or a failure
// line, the close stores once, and the forecast is not fetched.
TEST_F(UpdateTest, ASystemCloseDuringAFetchEndsTheUpdateAtOnce) {
  // A server that keeps silent before its head, as long as the strip waits.
  Serve(WeatherDocument::kConditions,
        ScriptedAnswer::OpenFails(FetchFailure::kStalled).Waiting(1000));
  TfrmMain frm(face_, env_);
  Start(frm, face_);
  int waits = 0;
  face_.on_keep_fetching = [&] {
    ++waits;
    if (frm.TerminateRequested()) return;
    frm.EndSession();
    Store(kLastForecast, "edited after the close");
  };
  frm.pUpdateClick();
  EXPECT_EQ(waits, 1);
  EXPECT_TRUE(log_.lines.empty());
  EXPECT_TRUE(face_.Boxes().empty());
  EXPECT_EQ(face_.end_loops_calls, 1);
  EXPECT_EQ(frm.ExitStatus(), 0);
  EXPECT_EQ(std::count(face_.calls.begin(), face_.calls.end(), "fetch"), 1);
  EXPECT_EQ(fetch_.asked, (Calls{AddressOf(WeatherDocument::kConditions)}));
  EXPECT_EQ(StoredText(kLastForecast), "edited after the close");
  EXPECT_EQ(StoredText(kLastMarrowby), kShownPrimary);
}

// The system's question at a log-off while the roundup downloads: answered
// at once with what is shown stored, and, the log-off cancelled, the update
// goes on to its end as if nothing had been asked.
TEST_F(UpdateTest, ALogOffQuestionDuringAFetchStoresAndTheUpdateGoesOn) {
  ServeRain();
  // The roundup arrives after the strip has waited for it a while.
  Serve(WeatherDocument::kConditions,
        ScriptedAnswer::Document(Roundup(kMarrowbyRain, kWendmooreSun)).Waiting(3));
  TfrmMain frm(face_, env_);
  Start(frm, face_);
  bool asked = false;
  face_.on_keep_fetching = [&] {
    if (asked) return;
    asked = true;
    EXPECT_TRUE(frm.QueryEndSession());
    EXPECT_EQ(StoredText(kLastMarrowby), kShownPrimary);
    EXPECT_EQ(StoredText(kLastForecast), kShownForecast);
    frm.SessionEnded(false);
  };
  frm.pUpdateClick();
  ASSERT_TRUE(asked);
  EXPECT_TRUE(face_.Boxes().empty());
  EXPECT_FALSE(frm.TerminateRequested());
  EXPECT_EQ(frm.ForecastText, kRainForecast);
  ExpectRunningOn(face_, frm, kMarrowbyRain);
}

// ---- the sample data server's documents ----

TEST_F(UpdateTest, SampleDocumentsCutToWhatTheServerMeant) {
  using mw_sample::Scenario;
  const std::map<mw_sample::Picture, ConditionPicture> kMeant = {
      {mw_sample::Picture::kSun, ConditionPicture::kSun},
      {mw_sample::Picture::kCloud, ConditionPicture::kCloud},
      {mw_sample::Picture::kRain, ConditionPicture::kRain},
      {mw_sample::Picture::kSnow, ConditionPicture::kSnow}};
  const mw_sample::SampleClock clock{1717243200, 3600, "BST"};
  for (Scenario scenario : {Scenario::kSunny, Scenario::kFog, Scenario::kShowers,
                            Scenario::kFreezingRain, Scenario::kUnavailable}) {
    const mw_sample::SampleDocuments docs = mw_sample::MakeSampleDocuments(scenario, clock);
    Serve(WeatherDocument::kConditions, docs.roundup_text);
    Serve(WeatherDocument::kForecast, docs.forecast_text);
    Serve(WeatherDocument::kConditions, docs.roundup_html, WeatherSource::kAlternate);
    Serve(WeatherDocument::kForecast, docs.forecast_html, WeatherSource::kAlternate);
    for (bool alternate : {false, true}) {
      SCOPED_TRACE(std::string(mw_sample::ScenarioName(scenario)) +
                   (alternate ? " alternate" : " primary"));
      RecordingFace face;
      TfrmMain frm(face, env_);
      Start(frm, face);
      frm.UseAlternateSource = alternate;
      frm.pUpdateClick();
      EXPECT_EQ(frm.PrimaryConditions, docs.primary_entry);
      EXPECT_EQ(frm.SecondaryConditions, docs.secondary_entry);
      EXPECT_EQ(frm.ForecastText, docs.forecast_line);
      EXPECT_EQ(face.picture, kMeant.at(docs.picture));
      frm.tmrTitleSwitchTimer();
      frm.tmrTitleSwitchTimer();
      EXPECT_EQ(face.title,
                docs.secondary_reports ? docs.secondary_entry : "Wendmoore - Not available");
      EXPECT_TRUE(face.Boxes().empty());
    }
  }
}

}  // namespace
