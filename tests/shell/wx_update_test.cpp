// The three update paths end to end on the offscreen window against loopback
// servers: what the strip shows at each step, the timers afterwards, the
// hint, the picture, the store after close; what a failed fetch or a foreign
// document leaves; an update that runs inside another one's box; and the
// sample data server's documents through the whole path.
#include <QEvent>
#include <QThread>
#include <csignal>
#include <filesystem>
#include <thread>
#include <utility>
#include <vector>

#include "shell/ticker_panel.h"
#include "shell/wx.h"
#include "shell_fixture.h"
#include "store/reg_ini_file.h"
#include "ui/application.h"
#include "ui/picture.h"
#include "ui/timer.h"
#include "weather_servers.h"

namespace {

using namespace std::chrono_literals;

const std::string kMarrowbyRain = "MARROWBY       RAIN      52 49  89 S12       29.80F";
const std::string kWendmooreSun = "WENDMOORE      MOSUNNY   61 40  45 W8        30.02S";
const std::string kMarrowbySnow = "MARROWBY       LGT SNOW  30 28  91 N15G22    29.71F WCI  21";
const std::string kWendmooreCld = "WENDMOORE      PTCLDY    35 20  54 NW9       29.90R";
const std::string kRainParagraph = ".TODAY...RAIN. HIGHS 55.\n.TONIGHT...SHOWERS. LOWS 45.";
const std::string kRainForecast = ".TODAY...RAIN. HIGHS 55. .TONIGHT...SHOWERS. LOWS 45";
const std::string kSnowParagraph = ".TODAY...SNOW.\n.TONIGHT...COLD.";
const std::string kSnowForecast = ".TODAY...SNOW. .TONIGHT...COLD";

constexpr char kStored[] =
    "[settings]\nonstart=0\n"
    "[weather]\nlast forecast=Fair and mild.\nlast marrowby=MARROWBY  SUNNY 70\n"
    "last wendmoore=WENDMOORE  CLOUDY 64\nlast update=Last Updated earlier\n";

// One look at the strip: the title and the ticker caption.
using Look = std::pair<std::string, std::string>;

// Records the look each time the ticker is painted, and on each box.
class LookRecorder : public QObject {
 public:
  explicit LookRecorder(TfrmMain& frm) : frm_(frm) { frm.pnlScroll->installEventFilter(this); }
  Look Now() const { return {frm_.Title(), frm_.pnlScroll->Caption()}; }
  std::vector<Look> paints;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) paints.push_back(Now());
    return false;
  }

 private:
  TfrmMain& frm_;
};

const Look kStatus{"Getting Current Conditions...", "Getting Forecast Information..."};

class UpdateTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    servers_.Use();
  }
  void ServeRain(bool alternate = false) {
    servers_.ServeRoundup(alternate, Roundup(kMarrowbyRain, kWendmooreSun));
    servers_.ServeForecast(alternate, ZoneForecast(kRainParagraph));
  }
  void ServeSnow(bool alternate = false) {
    servers_.ServeRoundup(alternate, Roundup(kMarrowbySnow, kWendmooreCld));
    servers_.ServeForecast(alternate, ZoneForecast(kSnowParagraph));
  }
  // A window started on the stored texts, without the start-up update.
  void Start(TfrmMain& frm) {
    StoreFile(kStored);
    frm.FormCreate();
  }
  // The state every update path leaves behind.
  static void ExpectRunningOn(TfrmMain& frm, const std::string& primary) {
    EXPECT_EQ(frm.Title(), primary);
    EXPECT_TRUE(frm.tmrUpdate->Enabled());
    EXPECT_TRUE(frm.tmrScroll->Enabled());
    EXPECT_TRUE(frm.tmrTitleSwitch->Enabled());
    EXPECT_EQ(frm.tmrTitleSwitch->Tag(), 0);
    EXPECT_EQ(frm.pMRB->text().toStdString(), frm.PrimaryConditions);
    EXPECT_EQ(frm.pWDM->text().toStdString(), frm.SecondaryConditions);
  }

  WeatherServers servers_;
};

// ---- the three paths ----

TEST_F(UpdateTest, StartUpUpdateOnAnEmptyStore) {
  ServeRain();
  LoopbackReply slow = LoopbackReply::Page(200, Roundup(kMarrowbyRain, kWendmooreSun));
  slow.stall_after_body_bytes = 10;
  slow.stall = 100ms;
  servers_.ServeRoundupReply(false, slow);
  {
    TfrmMain frm;
    LookRecorder looks(frm);
    frm.FormCreate();
    // The defaults first, then the status texts (at the start-up update and
    // again once the roundup is open).
    ASSERT_GE(looks.paints.size(), 3u);
    EXPECT_EQ(looks.paints.front(), Look("Getting current conditions...", "Getting Forecast..."));
    EXPECT_EQ(looks.paints[looks.paints.size() - 2], kStatus);
    EXPECT_EQ(looks.paints.back(), kStatus);

    EXPECT_EQ(frm.PrimaryConditions, kMarrowbyRain);
    EXPECT_EQ(frm.SecondaryConditions, kWendmooreSun);
    EXPECT_EQ(frm.ForecastText, kRainForecast);
    EXPECT_EQ(frm.pnlScroll->Caption(), kRainForecast);
    EXPECT_EQ(frm.reTmp.WholeText(), kRainForecast);
    EXPECT_EQ(frm.Hint().rfind("Last Updated ", 0), 0u);
    EXPECT_NE(frm.Hint().find(" at "), std::string::npos);
    EXPECT_EQ(frm.LastUpdateText, frm.Hint());
    EXPECT_EQ(frm.imgCurrent->Picture(), frm.imgRain->Picture());
    ExpectRunningOn(frm, kMarrowbyRain);
    EXPECT_TRUE(boxes_.boxes.empty());
    ASSERT_TRUE(frm.Close());
  }
  EXPECT_EQ(StoredText(kLastForecast), kRainForecast);
  EXPECT_EQ(StoredText(kLastMarrowby), kMarrowbyRain);
  EXPECT_EQ(StoredText(kLastWendmoore), kWendmooreSun);
  EXPECT_EQ(StoredText(kLastUpdate).rfind("Last Updated ", 0), 0u);
}

TEST_F(UpdateTest, UpdateNowShowsTheStatusThenTheNewTexts) {
  TfrmMain frm;
  Start(frm);
  ServeSnow();
  frm.tmrScrollTimer();
  const int next_periodic = frm.tmrUpdate->RemainingTime();
  QThread::msleep(20);

  // A box during the forecast's fetch shows what the strip shows meanwhile.
  LoopbackReply broken = LoopbackReply::Page(200, ZoneForecast(kSnowParagraph));
  broken.close_after_body_bytes = 20;
  broken.reset = true;
  servers_.ServeForecastReply(false, broken);
  LookRecorder looks(frm);
  std::vector<Look> at_box;
  boxes_.on_box = [&](const RecordingBoxes::Box&) { at_box.push_back(looks.Now()); };
  frm.pUpdateClick();

  ASSERT_GE(looks.paints.size(), 2u);
  EXPECT_EQ(looks.paints[0], kStatus);
  EXPECT_EQ(looks.paints[1], kStatus);
  // The title has the new primary line while the forecast is fetched.
  ASSERT_EQ(at_box.size(), 1u);
  EXPECT_EQ(at_box[0], Look(kMarrowbySnow, "Getting Forecast Information..."));
  EXPECT_EQ(frm.imgCurrent->Picture(), frm.imgSnow->Picture());
  ExpectRunningOn(frm, kMarrowbySnow);
  // The half-hourly rhythm goes on as it was.
  EXPECT_LT(frm.tmrUpdate->RemainingTime(), next_periodic);

  // Once the forecast arrives, the ticker starts it from its beginning, and
  // a second update gives the same texts.
  servers_.ServeForecast(false, ZoneForecast(kSnowParagraph));
  boxes_.boxes.clear();
  frm.pUpdateClick();
  const std::vector<std::string> first{frm.PrimaryConditions, frm.SecondaryConditions,
                                       frm.ForecastText, frm.pnlScroll->Caption(), frm.Title()};
  frm.pUpdateClick();
  const std::vector<std::string> second{frm.PrimaryConditions, frm.SecondaryConditions,
                                        frm.ForecastText, frm.pnlScroll->Caption(), frm.Title()};
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, (std::vector<std::string>{kMarrowbySnow, kWendmooreCld, kSnowForecast,
                                             kSnowForecast, kMarrowbySnow}));
  EXPECT_TRUE(boxes_.boxes.empty());
  ExpectRunningOn(frm, kMarrowbySnow);
}

TEST_F(UpdateTest, PeriodicUpdateLeavesTheTickerEmptyUntilItsNextStep) {
  TfrmMain frm;
  Start(frm);
  ServeRain();
  const int next_periodic = frm.tmrUpdate->RemainingTime();
  QThread::msleep(20);
  LookRecorder looks(frm);
  frm.tmrUpdateTimer();

  ASSERT_GE(looks.paints.size(), 2u);
  EXPECT_EQ(looks.paints[0], kStatus);
  EXPECT_EQ(looks.paints[1], kStatus);
  // Forecast first, conditions last: the ticker was emptied last.
  const std::vector<LoggedRequest> requests = servers_.primary.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target(), kPrimaryForecastPath);
  EXPECT_EQ(requests[1].target(), kPrimaryConditionsPath);
  EXPECT_EQ(frm.ForecastText, kRainForecast);
  EXPECT_EQ(frm.pnlScroll->Caption(), "");
  EXPECT_EQ(frm.reTmp.WholeText(), "");
  EXPECT_EQ(frm.PrimaryConditions, kMarrowbyRain);
  EXPECT_EQ(frm.SecondaryConditions, kWendmooreSun);
  EXPECT_EQ(frm.imgCurrent->Picture(), frm.imgRain->Picture());
  EXPECT_EQ(frm.Hint(), frm.LastUpdateText);
  EXPECT_NE(frm.Hint(), "Last Updated earlier");
  ExpectRunningOn(frm, kMarrowbyRain);
  EXPECT_LT(frm.tmrUpdate->RemainingTime(), next_periodic);

  frm.tmrScrollTimer();
  EXPECT_EQ(frm.pnlScroll->Caption(), kRainForecast);
  frm.tmrTitleSwitchTimer();
  EXPECT_EQ(frm.Title(), kMarrowbyRain);
  frm.tmrTitleSwitchTimer();
  EXPECT_EQ(frm.Title(), kWendmooreSun);
}

TEST_F(UpdateTest, TheAlternateSourceIsAskedWhenChosen) {
  StoreFile(std::string(kStored) + "[settings]\naltsource=1\n");
  ServeRain(true);
  TfrmMain frm;
  frm.FormCreate();
  frm.pUpdateClick();
  EXPECT_EQ(frm.PrimaryConditions, kMarrowbyRain);
  EXPECT_EQ(frm.ForecastText, kRainForecast);
  EXPECT_TRUE(servers_.primary.Requests().empty());
  EXPECT_EQ(servers_.alternate.Requests().size(), 2u);
}

// ---- a failed fetch keeps what the user had ----

TEST_F(UpdateTest, UnreachableServerKeepsTheTextsAndStoresThem) {
  RefusingPort refusing;
  setenv(kPrimaryServerVariable, refusing.Authority().c_str(), 1);
  {
    TfrmMain frm;
    Start(frm);
    // The first fetch tells the user, closes the window (storing) and ends
    // the program; the steps after it still run on the kept texts, but fetch
    // nothing more and show no second box.
    frm.pUpdateClick();
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].kind, "information");
    EXPECT_GE(terminate_calls_, 1);
    EXPECT_FALSE(frm.isVisible());
    EXPECT_EQ(frm.PrimaryConditions, "MARROWBY  SUNNY 70");
    EXPECT_EQ(frm.SecondaryConditions, "WENDMOORE  CLOUDY 64");
    EXPECT_EQ(frm.ForecastText, "Fair and mild.");
    EXPECT_EQ(frm.LastUpdateText, "Last Updated earlier");
    EXPECT_EQ(frm.Hint(), "Last Updated earlier");
    EXPECT_EQ(frm.pnlScroll->Caption(), "Fair and mild.");
    EXPECT_EQ(frm.reTmp.WholeText(), "Fair and mild.");
    EXPECT_EQ(frm.imgCurrent->Picture(), frm.imgSun->Picture());
    ExpectRunningOn(frm, "MARROWBY  SUNNY 70");
  }
  EXPECT_EQ(StoredText(kLastForecast), "Fair and mild.");
  EXPECT_EQ(StoredText(kLastMarrowby), "MARROWBY  SUNNY 70");
  EXPECT_EQ(StoredText(kLastWendmoore), "WENDMOORE  CLOUDY 64");
  EXPECT_EQ(StoredText(kLastUpdate), "Last Updated earlier");
}

TEST_F(UpdateTest, StartUpWithoutNetworkKeepsTheStoredTexts) {
  RefusingPort refusing;
  setenv(kPrimaryServerVariable, refusing.Authority().c_str(), 1);
  StoreFile(
      "[weather]\nlast forecast=Fair and mild.\nlast marrowby=MARROWBY  SUNNY 70\n"
      "last wendmoore=WENDMOORE  CLOUDY 64\nlast update=Last Updated earlier\n");
  {
    TfrmMain frm;
    frm.FormCreate();
    // One box: once the program is told to end, the forecast is not fetched.
    EXPECT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_TRUE(TerminateRequested());
  }
  // What the user had is still there for the next start.
  EXPECT_EQ(StoredText(kLastForecast), "Fair and mild.");
  EXPECT_EQ(StoredText(kLastMarrowby), "MARROWBY  SUNNY 70");
  EXPECT_EQ(StoredText(kLastUpdate), "Last Updated earlier");
}

TEST_F(UpdateTest, ReadFailuresKeepTheirDocumentsTextsOnly) {
  TfrmMain frm;
  Start(frm);
  frm.fetchLimits.stall_ms = 400;
  ServeRain();
  LoopbackReply reset = LoopbackReply::Page(200, Roundup(kMarrowbyRain, kWendmooreSun));
  reset.close_after_body_bytes = 100;
  reset.reset = true;
  servers_.ServeRoundupReply(false, reset);

  // The roundup breaks off: the conditions stay, the forecast is new.
  frm.pUpdateClick();
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].text, "Connection to Internet failed or lost.");
  EXPECT_EQ(frm.PrimaryConditions, "MARROWBY  SUNNY 70");
  EXPECT_EQ(frm.SecondaryConditions, "WENDMOORE  CLOUDY 64");
  EXPECT_EQ(frm.ForecastText, kRainForecast);
  const std::string stamped = frm.LastUpdateText;
  EXPECT_NE(stamped, "Last Updated earlier");
  ExpectRunningOn(frm, "MARROWBY  SUNNY 70");

  // The forecast stalls: it and its stamp stay, the conditions are new, and
  // the buffer holds the kept forecast.
  ServeRain();
  LoopbackReply stall = LoopbackReply::Page(200, ZoneForecast(kSnowParagraph));
  stall.stall_after_body_bytes = 30;
  stall.stall = 20s;
  servers_.ServeForecastReply(false, stall);
  boxes_.boxes.clear();
  frm.pUpdateClick();
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].kind, "error");
  EXPECT_EQ(frm.PrimaryConditions, kMarrowbyRain);
  EXPECT_EQ(frm.ForecastText, kRainForecast);
  EXPECT_EQ(frm.LastUpdateText, stamped);
  EXPECT_EQ(frm.Hint(), stamped);
  EXPECT_EQ(frm.pnlScroll->Caption(), kRainForecast);
  EXPECT_EQ(frm.reTmp.WholeText(), kRainForecast);
  ExpectRunningOn(frm, kMarrowbyRain);
  EXPECT_EQ(terminate_calls_, 0);
}

// ---- a document of another kind keeps them too ----

TEST_F(UpdateTest, ErrorPagesKeepTheTextsWithoutABox) {
  TfrmMain frm;
  Start(frm);
  // Nothing served: every path answers 404 with a page.
  for (int path = 0; path < 2; ++path) {
    if (path == 0) {
      frm.pUpdateClick();
    } else {
      frm.tmrUpdateTimer();
      frm.tmrScrollTimer();
    }
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_EQ(frm.PrimaryConditions, "MARROWBY  SUNNY 70");
    EXPECT_EQ(frm.SecondaryConditions, "WENDMOORE  CLOUDY 64");
    EXPECT_EQ(frm.ForecastText, "Fair and mild.");
    EXPECT_EQ(frm.LastUpdateText, "Last Updated earlier");
    EXPECT_EQ(frm.pnlScroll->Caption(), "Fair and mild.");
    ExpectRunningOn(frm, "MARROWBY  SUNNY 70");
  }
  EXPECT_EQ(servers_.primary.Requests().size(), 4u);

  // The sample server's own error page, served for both documents.
  const std::string page = mw_sample::NotFoundPage(kPrimaryConditionsPath);
  servers_.primary.Serve(kPrimaryConditionsPath, LoopbackReply::Page(404, page, "text/html"));
  servers_.primary.Serve(kPrimaryForecastPath, LoopbackReply::Page(404, page, "text/html"));
  frm.pUpdateClick();
  EXPECT_EQ(frm.PrimaryConditions, "MARROWBY  SUNNY 70");
  EXPECT_EQ(frm.ForecastText, "Fair and mild.");
  EXPECT_TRUE(boxes_.boxes.empty());
}

// ---- the half-hourly update cuts the roundup alone ----

TEST_F(UpdateTest, AForecastNamingAStationIsNotTakenForItsEntry) {
  TfrmMain frm;
  Start(frm);
  servers_.ServeForecast(false,
                         ZoneForecast(".TODAY...WINDY. GUSTS NEAR WENDMOORE 40 MPH. NOT AS WARM."));
  servers_.ServeRoundup(false, Roundup(kMarrowbyRain, kWendmooreSun));
  frm.tmrUpdateTimer();
  EXPECT_EQ(frm.ForecastText, ".TODAY...WINDY. GUSTS NEAR WENDMOORE 40 MPH. NOT AS WARM");
  EXPECT_EQ(frm.PrimaryConditions, kMarrowbyRain);
  EXPECT_EQ(frm.SecondaryConditions, kWendmooreSun);
}

// ---- an update inside another one's box ----

TEST_F(UpdateTest, AHalfHourlyUpdateRunsToItsEndInsideAnotherUpdatesBox) {
  TfrmMain frm;
  Start(frm);
  frm.fetchLimits.stall_ms = 400;
  ServeRain();
  LoopbackReply reset = LoopbackReply::Page(200, Roundup(kMarrowbySnow, kWendmooreCld));
  reset.close_after_body_bytes = 100;
  reset.reset = true;
  servers_.ServeRoundupReply(false, reset);

  // The box of the roundup's failed read is open when tmrUpdate falls due;
  // by then the server answers again, with the snow documents.
  bool ran_inside = false;
  boxes_.on_box = [&](const RecordingBoxes::Box& box) {
    if (ran_inside) return;
    ran_inside = true;
    EXPECT_EQ(box.kind, "error");
    ServeSnow();
    frm.tmrUpdateTimer();
    // It ran to its end before the box closes.
    EXPECT_EQ(frm.PrimaryConditions, kMarrowbySnow);
    EXPECT_EQ(frm.ForecastText, kSnowForecast);
    EXPECT_EQ(frm.pnlScroll->Caption(), "");
    EXPECT_TRUE(frm.tmrScroll->Enabled());
  };
  frm.pUpdateClick();
  ASSERT_TRUE(ran_inside);
  // The first update then went on: its own roundup had failed, so it keeps
  // what the inner one brought, and it fetched the forecast anew.
  EXPECT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(frm.PrimaryConditions, kMarrowbySnow);
  EXPECT_EQ(frm.SecondaryConditions, kWendmooreCld);
  EXPECT_EQ(frm.ForecastText, kSnowForecast);
  EXPECT_EQ(frm.pnlScroll->Caption(), kSnowForecast);
  EXPECT_EQ(frm.imgCurrent->Picture(), frm.imgSnow->Picture());
  ExpectRunningOn(frm, kMarrowbySnow);
  EXPECT_EQ(servers_.primary.Requests().size(), 4u);
}

// ---- the program is told to end while a document downloads ----

// A close signal while the roundup's server keeps silent: the fetch is
// abandoned without a box, the close stores once, the forecast is not
// fetched, and no timer handler ran during the fetch.
TEST_F(UpdateTest, ACloseSignalDuringAFetchEndsTheUpdateAtOnce) {
  LoopbackReply silent = LoopbackReply::Raw("");
  silent.stall_after_body_bytes = 0;
  silent.stall = 20s;
  servers_.ServeRoundupReply(false, silent);
  TfrmMain frm;
  frm.InstallCloseRoutes();
  Start(frm);
  frm.fetchLimits = {20000, 20000, 30000};
  std::filesystem::remove(config_.SettingsFile());
  int ticks = 0;
  TTimer ticker;
  ticker.SetInterval(10);
  ticker.OnTimer = [&] { ++ticks; };
  ticker.SetEnabled(true);
  std::thread signaller([] {
    std::this_thread::sleep_for(300ms);
    kill(getpid(), SIGTERM);
  });
  frm.pUpdateClick();  // not abandoned, it would end in a box 20 s later
  signaller.join();

  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(servers_.primary.Requests().size(), 1u);
  EXPECT_EQ(StoredText(kLastForecast), "Fair and mild.");
  std::filesystem::remove(config_.SettingsFile());
  EXPECT_TRUE(ProcessEventsUntil([&] { return ticks > 0; }));
  EXPECT_FALSE(std::filesystem::exists(config_.SettingsFile()));
}

// ---- the sample data server's documents ----

TEST_F(UpdateTest, SampleDocumentsCutToWhatTheServerMeant) {
  using mw_sample::Scenario;
  const mw_sample::SampleClock clock{1717243200, 3600, "BST"};
  for (Scenario scenario : {Scenario::kSunny, Scenario::kFog, Scenario::kShowers,
                            Scenario::kFreezingRain, Scenario::kUnavailable}) {
    const mw_sample::SampleDocuments docs = mw_sample::MakeSampleDocuments(scenario, clock);
    servers_.ServeSample(docs);
    for (bool alternate : {false, true}) {
      SCOPED_TRACE(std::string(mw_sample::ScenarioName(scenario)) +
                   (alternate ? " alternate" : " primary"));
      TfrmMain frm;
      Start(frm);
      frm.UseAlternateSource = alternate;
      frm.pUpdateClick();
      EXPECT_EQ(frm.PrimaryConditions, docs.primary_entry);
      EXPECT_EQ(frm.SecondaryConditions, docs.secondary_entry);
      EXPECT_EQ(frm.ForecastText, docs.forecast_line);
      TPicture* meant = nullptr;
      switch (docs.picture) {
        case mw_sample::Picture::kSun:
          meant = frm.imgSun;
          break;
        case mw_sample::Picture::kCloud:
          meant = frm.imgCloud;
          break;
        case mw_sample::Picture::kRain:
          meant = frm.imgRain;
          break;
        case mw_sample::Picture::kSnow:
          meant = frm.imgSnow;
          break;
      }
      EXPECT_EQ(frm.imgCurrent->Picture(), meant->Picture());
      frm.tmrTitleSwitchTimer();
      frm.tmrTitleSwitchTimer();
      EXPECT_EQ(frm.Title(),
                docs.secondary_reports ? docs.secondary_entry : "Wendmoore - Not available");
      EXPECT_TRUE(boxes_.boxes.empty());
    }
  }
}

}  // namespace
