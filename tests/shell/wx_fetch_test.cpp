// FetchDocument against real loopback servers: which address it asks, what
// reaches the work buffer, the status texts once the document is open, and
// what the user is told when it is not.
#include <QElapsedTimer>
#include <QEvent>
#include <filesystem>
#include <utility>
#include <vector>

#include "shell/ticker_panel.h"
#include "shell/wx.h"
#include "shell_fixture.h"
#include "ui/application.h"
#include "weather_servers.h"

namespace {

using namespace std::chrono_literals;

constexpr char kStoredTexts[] =
    "[settings]\nonstart=0\n"
    "[weather]\nlast forecast=Fair and mild.\nlast marrowby=MARROWBY  SUNNY 70\n"
    "last wendmoore=WENDMOORE  CLOUDY 64\nlast update=Last Updated earlier\n";

// Records the window title and the ticker caption each time the ticker is
// painted.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(TfrmMain& frm) : frm_(frm) { frm.pnlScroll->installEventFilter(this); }
  std::vector<std::pair<std::string, std::string>> paints;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint)
      paints.emplace_back(frm_.Title(), frm_.pnlScroll->Caption());
    return false;
  }

 private:
  TfrmMain& frm_;
};

class FetchTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    StoreFile(kStoredTexts);
    frm_.FormCreate();
    frm_.reTmp.ClearBuffer();
    // Short enough for the fault cases; generous for a busy machine otherwise.
    frm_.fetchLimits = {5000, 400, 10000};
  }

  TfrmMain frm_;
};

TEST_F(FetchTest, AddressFollowsTheArgumentAndTheFlagAtEveryCall) {
  WeatherServers servers;
  servers.ServeRoundup(false, "primary roundup\n");
  servers.ServeForecast(false, "primary forecast\n");
  servers.ServeRoundup(true, "alternate roundup\n");
  servers.ServeForecast(true, "alternate forecast\n");

  const auto fetch = [&](bool alternate, bool forecast) {
    frm_.UseAlternateSource = alternate;
    frm_.reTmp.ClearBuffer();
    EXPECT_TRUE(frm_.FetchDocument(forecast));
    return frm_.reTmp.WholeText();
  };
  EXPECT_EQ(fetch(false, false), "primary roundup\r\n");
  EXPECT_EQ(fetch(false, true), "primary forecast\r\n");
  EXPECT_EQ(fetch(true, false), "alternate roundup\r\n");
  EXPECT_EQ(fetch(true, true), "alternate forecast\r\n");
  EXPECT_EQ(fetch(false, true), "primary forecast\r\n");

  ASSERT_EQ(servers.primary.Requests().size(), 3u);
  EXPECT_EQ(servers.primary.Requests()[0].target(), kPrimaryConditionsPath);
  EXPECT_EQ(servers.primary.Requests()[1].target(), kPrimaryForecastPath);
  EXPECT_EQ(servers.primary.Requests()[0].Header("User-Agent"), "Tidewell");
  ASSERT_EQ(servers.alternate.Requests().size(), 2u);
  EXPECT_EQ(servers.alternate.Requests()[0].target(), kAlternateConditionsPath);
  EXPECT_EQ(servers.alternate.Requests()[1].target(), kAlternateForecastPath);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(FetchTest, LinesGoBehindWhatTheBufferHolds) {
  WeatherServers servers;
  servers.ServeRoundup(false, "A\r\n\r\nB\r\n\tC\x01\xE9\rlast line without end");
  frm_.reTmp.SetWholeText("held");
  EXPECT_TRUE(frm_.FetchDocument(false));
  EXPECT_EQ(frm_.reTmp.WholeText(), "held\r\nA\r\nB\r\n\tC\x01\xE9");
}

TEST_F(FetchTest, EmptyBodiesAndErrorPagesAreDocuments) {
  WeatherServers servers;
  servers.ServeRoundup(false, "");
  EXPECT_TRUE(frm_.FetchDocument(false));
  EXPECT_EQ(frm_.reTmp.WholeText(), "");

  servers.primary.Serve(
      kPrimaryForecastPath,
      LoopbackReply::Page(404, "<html>\n<h1>Not Found</h1>\n</html>\n", "text/html"));
  EXPECT_TRUE(frm_.FetchDocument(true));
  EXPECT_EQ(frm_.reTmp.WholeText(), "<html>\r\n<h1>Not Found</h1>\r\n</html>\r\n");
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(terminate_calls_, 0);
  EXPECT_TRUE(frm_.isVisible());
}

// Once the document is open, and before its body is read, the conditions'
// status texts are painted; the forecast's caption is set without a forced
// paint.
TEST_F(FetchTest, StatusTextsGoUpOnceTheDocumentIsOpen) {
  WeatherServers servers;
  LoopbackReply slow = LoopbackReply::Page(200, "MARROWBY\n");
  slow.stall_after_body_bytes = 0;
  slow.stall = 150ms;
  servers.ServeRoundupReply(false, slow);
  servers.ServeForecastReply(false, slow);
  PaintRecorder recorder(frm_);

  EXPECT_TRUE(frm_.FetchDocument(false));
  ASSERT_EQ(recorder.paints.size(), 1u);
  EXPECT_EQ(recorder.paints[0].first, "Getting Current Conditions...");
  EXPECT_EQ(recorder.paints[0].second, "Getting Forecast Information...");
  EXPECT_EQ(frm_.Title(), "Getting Current Conditions...");

  frm_.SetTitle("title stays");
  frm_.pnlScroll->SetCaption("caption");
  recorder.paints.clear();
  EXPECT_TRUE(frm_.FetchDocument(true));
  EXPECT_TRUE(recorder.paints.empty());
  EXPECT_EQ(frm_.Title(), "title stays");
  EXPECT_EQ(frm_.pnlScroll->Caption(), "Getting Forecast Information...");
}

// The document cannot be opened: the information box, then the window closes
// the way Exit closes it (the store is written) and the program is told to
// end. No status text goes up and nothing is appended.
TEST_F(FetchTest, RefusedOrUnknownServerEndsTheProgramAfterStoring) {
  // A label longer than 63 characters is refused by the resolver itself, so
  // the unknown host costs no query to a name server.
  const std::string unknown = std::string(64, 'x') + ".invalid";
  for (const char* server : {"refused", unknown.c_str()}) {
    SCOPED_TRACE(server);
    RefusingPort refusing;
    setenv(kPrimaryServerVariable, server[0] == 'r' ? refusing.Authority().c_str() : server, 1);
    frm_.ForecastText = std::string("Kept forecast via ") + server;
    frm_.SetTitle("title");
    frm_.pnlScroll->SetCaption("caption");
    frm_.reTmp.SetWholeText("held");
    boxes_.boxes.clear();
    terminate_calls_ = 0;
    TestApplication::Current().ForgetTerminate();

    EXPECT_FALSE(frm_.FetchDocument(false));
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].kind, "information");
    EXPECT_EQ(boxes_.boxes[0].text,
              "Attempt to open the URL failed. Check your connection settings");
    EXPECT_GE(terminate_calls_, 1);
    EXPECT_FALSE(frm_.isVisible());
    EXPECT_EQ(StoredText(kLastForecast), frm_.ForecastText);
    EXPECT_EQ(frm_.reTmp.WholeText(), "held");
    EXPECT_EQ(frm_.Title(), "title");
    EXPECT_EQ(frm_.pnlScroll->Caption(), "caption");
  }
}

// A close signal answered while that box is open closes and stores; the
// fetch then stores no second time.
TEST_F(FetchTest, ACloseSignalDuringTheOpenFailedBoxStoresOnce) {
  boxes_.on_box = [&](const RecordingBoxes::Box&) {
    frm_.EndSession();
    std::filesystem::remove(config_.SettingsFile());
  };
  EXPECT_FALSE(frm_.FetchDocument(false));  // the fixture's sources refuse
  EXPECT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(config_.SettingsFile()));
}

// The read fails after the document opened: one error box, the buffer as it
// was, and the program goes on - quickly, within the stall limit.
TEST_F(FetchTest, ResetOrStallMidBodyShowsOneErrorBox) {
  WeatherServers servers;
  LoopbackReply reset = LoopbackReply::Page(200, std::string(2000, 'x') + "\n");
  reset.close_after_body_bytes = 500;
  reset.reset = true;
  LoopbackReply stall = LoopbackReply::Page(200, std::string(2000, 'y') + "\n");
  stall.stall_after_body_bytes = 500;
  stall.stall = 20s;
  servers.ServeRoundupReply(false, reset);
  servers.ServeForecastReply(false, stall);

  for (bool forecast : {false, true}) {
    SCOPED_TRACE(forecast ? "stall" : "reset");
    frm_.reTmp.SetWholeText("held");
    boxes_.boxes.clear();
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(frm_.FetchDocument(forecast));
    EXPECT_LT(took.elapsed(), 8000);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].kind, "error");
    EXPECT_EQ(boxes_.boxes[0].text, "Connection to Internet failed or lost.");
    EXPECT_EQ(frm_.reTmp.WholeText(), "held");
  }
  EXPECT_EQ(terminate_calls_, 0);
  EXPECT_TRUE(frm_.isVisible());
}

}  // namespace
