// FetchDocument against real loopback servers: which address it asks, what
// reaches the work buffer, the status texts once the document is open, what
// the user is told when it is not (and a log-off while it says so), where the
// servers come from, and the line a failed fetch leaves on standard error.
#include "strip/main_form.h"
#include "strip_fixture.h"
#include "support/weather_servers.h"

#ifndef _WIN32
#include "support/temp_config.h"
#endif

namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;

constexpr char kOpenFailed[] =
    "information: Attempt to open the URL failed. Check your connection settings";
constexpr char kReadFailed[] = "error: Connection to Internet failed or lost.";

class FetchTest : public StripTest {
 protected:
  void SetUp() override {
    StripTest::SetUp();
    StoreShownTexts();
    frm_.FormCreate();
    frm_.reTmp.ClearBuffer();
    face_.calls.clear();
  }
  // One fetch on an emptied buffer: what it appended.
  std::string Fetch(bool alternate, bool forecast) {
    frm_.UseAlternateSource = alternate;
    frm_.reTmp.ClearBuffer();
    EXPECT_TRUE(frm_.FetchDocument(forecast));
    return frm_.reTmp.WholeText();
  }

  TfrmMain frm_{face_};
};

TEST_F(FetchTest, TheAddressFollowsTheArgumentAndTheFlagAtEveryCall) {
  WeatherServers servers;
  servers.ServeRoundup(false, "primary roundup\n");
  servers.ServeForecast(false, "primary forecast\n");
  servers.ServeRoundup(true, "alternate roundup\n");
  servers.ServeForecast(true, "alternate forecast\n");
  EXPECT_EQ(Fetch(false, false), "primary roundup\r\n");
  EXPECT_EQ(Fetch(false, true), "primary forecast\r\n");
  EXPECT_EQ(Fetch(true, false), "alternate roundup\r\n");
  EXPECT_EQ(Fetch(true, true), "alternate forecast\r\n");
  EXPECT_EQ(Fetch(false, true), "primary forecast\r\n");
  EXPECT_EQ(servers.primary.Requests().size(), 3u);
  EXPECT_EQ(servers.alternate.Requests().size(), 2u);
  EXPECT_TRUE(face_.Boxes().empty());
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
  servers.ServeForecastReply(
      false, LoopbackReply::Page(404, "<html>\n<h1>Not Found</h1>\n</html>\n", "text/html"));
  EXPECT_TRUE(frm_.FetchDocument(true));
  EXPECT_EQ(frm_.reTmp.WholeText(), "<html>\r\n<h1>Not Found</h1>\r\n</html>\r\n");
  EXPECT_TRUE(face_.Boxes().empty());
  EXPECT_FALSE(frm_.TerminateRequested());
  EXPECT_TRUE(face_.visible);
}

// Once the document is open the conditions' status texts are painted, once;
// the forecast's caption is set without a forced paint.
TEST_F(FetchTest, StatusTextsGoUpOnceTheDocumentIsOpen) {
  WeatherServers servers;
  servers.ServeRoundup(false, "MARROWBY\n");
  servers.ServeForecast(false, "ZONE\n");
  EXPECT_TRUE(frm_.FetchDocument(false));
  EXPECT_EQ(
      face_.calls,
      (Calls{"fetch", "paint: Getting Current Conditions... | Getting Forecast Information...",
             "fetched"}));

  frm_.PrimaryConditions = "title stays";
  frm_.tmrTitleSwitchTimer();
  frm_.tmrScrollTimer();
  face_.calls.clear();
  EXPECT_TRUE(frm_.FetchDocument(true));
  EXPECT_EQ(face_.calls, (Calls{"fetch", "fetched"}));  // nothing painted
  EXPECT_EQ(face_.title, "title stays");
  EXPECT_EQ(face_.caption, "Getting Forecast Information...");
}

// The document cannot be opened: no status text, nothing appended; the
// information box, then the window closes the way Exit closes it (storing
// what is shown) and the program is told to end.
TEST_F(FetchTest, ARefusingOrUnknownServerEndsTheProgramAfterStoring) {
  // A label longer than 63 characters is refused by the resolver itself, so
  // the unknown host costs no query to a name server.
  const std::string unknown = std::string(64, 'x') + ".invalid";
  for (const std::string& server : {nowhere_.Authority(), unknown}) {
    SCOPED_TRACE(server);
    SetEnvironment(kPrimaryServerVariable, server);
    RecordingFace face;
    TfrmMain frm(face);
    frm.FormCreate();
    frm.ForecastText = "Kept forecast via " + server;
    face.title = "title";
    face.caption = "caption";
    frm.reTmp.SetWholeText("held");
    face.calls.clear();

    EXPECT_FALSE(frm.FetchDocument(false));
    EXPECT_EQ(face.calls,
              (Calls{"fetch", "fetched", kOpenFailed, "hide", "end loops", "end loops"}));
    EXPECT_EQ(frm.ExitStatus(), 0);
    EXPECT_EQ(StoredText(kLastForecast), frm.ForecastText);
    EXPECT_EQ(frm.reTmp.WholeText(), "held");
    EXPECT_EQ(face.title, "title");
    EXPECT_EQ(face.caption, "caption");
  }
}

// The system's close, answered while that box is open, closes and stores;
// the fetch then neither stores a second time nor asks anything more.
TEST_F(FetchTest, ASystemCloseDuringTheOpenFailedBoxStoresOnce) {
  frm_.ForecastText = "shown";
  face_.on_box = [&](const std::string&) {
    frm_.EndSession();
    EXPECT_EQ(StoredText(kLastForecast), "shown");
    Store(kLastForecast, "edited after the close");
  };
  EXPECT_FALSE(frm_.FetchDocument(false));  // the fixture's sources refuse
  EXPECT_EQ(face_.calls, (Calls{"fetch", "fetched", kOpenFailed, "hide", "end loops"}));
  EXPECT_EQ(StoredText(kLastForecast), "edited after the close");
  // Told to end: no more fetches, no more boxes.
  face_.calls.clear();
  EXPECT_FALSE(frm_.FetchDocument(true));
  EXPECT_TRUE(face_.calls.empty());
}

// A log-off while that box is open: the question stores what is shown and
// ends nothing; the session's end then ends the program, and the fetch
// neither stores again nor closes a second time.
TEST_F(FetchTest, ALogOffDuringTheOpenFailedBoxStoresAtTheQuestionOnly) {
  frm_.ForecastText = "shown";
  face_.on_box = [&](const std::string&) {
    EXPECT_TRUE(frm_.QueryEndSession());
    EXPECT_EQ(StoredText(kLastForecast), "shown");
    EXPECT_FALSE(frm_.TerminateRequested());
    Store(kLastForecast, "edited after the question");
    frm_.SessionEnded(true);
  };
  EXPECT_FALSE(frm_.FetchDocument(false));  // the fixture's sources refuse
  EXPECT_EQ(face_.calls, (Calls{"fetch", "fetched", kOpenFailed, "hide", "end loops"}));
  EXPECT_EQ(StoredText(kLastForecast), "edited after the question");
}

// The read fails after the document opened: one error box, the buffer as it
// was, and the program goes on.
TEST_F(FetchTest, AResetOrAStallMidBodyShowsOneErrorBox) {
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
    frm_.fetchLimits.stall_ms = forecast ? 400 : FetchLimits{}.stall_ms;
    face_.calls.clear();
    EXPECT_FALSE(frm_.FetchDocument(forecast));
    EXPECT_EQ(face_.Boxes(), (Calls{kReadFailed}));
    EXPECT_EQ(face_.calls.back(), kReadFailed);
    EXPECT_EQ(frm_.reTmp.WholeText(), "held");
  }
  EXPECT_FALSE(frm_.TerminateRequested());
  EXPECT_TRUE(face_.visible);
}

// ---- where the servers come from ----

TEST_F(FetchTest, StoredServersApplyUnlessTheEnvironmentNamesOne) {
  WeatherServers stored, environment;
  stored.ServeForecast(false, "stored primary\n");
  stored.ServeForecast(true, "stored alternate\n");
  environment.ServeForecast(false, "environment primary\n");
  environment.ServeForecast(true, "environment alternate\n");
  Store(kPrimaryServer, stored.primary.Authority());
  Store(kAlternateServer, stored.alternate.Authority());

  UnsetEnvironment(kPrimaryServerVariable);
  SetEnvironment(kAlternateServerVariable, " ");  // blank counts as unset
  EXPECT_EQ(Fetch(false, true), "stored primary\r\n");
  EXPECT_EQ(Fetch(true, true), "stored alternate\r\n");

  // A variable that is set wins, each source on its own.
  SetEnvironment(kPrimaryServerVariable, environment.primary.Authority());
  EXPECT_EQ(Fetch(false, true), "environment primary\r\n");
  EXPECT_EQ(Fetch(true, true), "stored alternate\r\n");
  SetEnvironment(kAlternateServerVariable, environment.alternate.Authority());
  EXPECT_EQ(Fetch(true, true), "environment alternate\r\n");

  // Read at every fetch: a hand edit applies to the next one, and fetching
  // never writes the entries.
  UnsetEnvironment(kPrimaryServerVariable);
  Store(kPrimaryServer, environment.primary.Authority());
#ifndef _WIN32
  const std::string before = ReadFileBytes(SettingsFileForKey(kProductKeyPath));
#endif
  EXPECT_EQ(Fetch(false, true), "environment primary\r\n");
#ifndef _WIN32
  EXPECT_EQ(ReadFileBytes(SettingsFileForKey(kProductKeyPath)), before);
#endif
  EXPECT_EQ(StoredText(kPrimaryServer), environment.primary.Authority());
  EXPECT_TRUE(face_.Boxes().empty());
}

TEST_F(FetchTest, EachFailedFetchWritesOneLineToStandardError) {
  WeatherServers servers;
  LoopbackReply stall = LoopbackReply::Page(200, std::string(2000, 'y') + "\n");
  stall.stall_after_body_bytes = 500;
  stall.stall = 20s;
  servers.ServeForecastReply(false, stall);
  servers.ServeForecast(true, "fine\n");

  testing::internal::CaptureStderr();
  frm_.fetchLimits.stall_ms = 400;
  EXPECT_FALSE(frm_.FetchDocument(true));
  frm_.fetchLimits = {};
  frm_.UseAlternateSource = true;
  EXPECT_TRUE(frm_.FetchDocument(true));  // success says nothing
  frm_.UseAlternateSource = false;
  SetEnvironment(kPrimaryServerVariable, nowhere_.Authority());
  EXPECT_FALSE(frm_.FetchDocument(false));
  const std::string err = testing::internal::GetCapturedStderr();

  // The document, its source, the address, why (with the fetch's own limits).
  const std::string stalled = "marrowby-weather: forecast from the primary source failed: " +
                              servers.primary.Url(kPrimaryForecastPath) +
                              ": no byte for 0.4 s (after ";
  const std::string refused =
      "marrowby-weather: current conditions from the primary source failed: http://" +
      nowhere_.Authority() + kPrimaryConditionsPath + ": connection refused (after ";
  ASSERT_EQ(err.find(stalled), 0u) << err;
  const std::size_t second = err.find('\n') + 1;
  EXPECT_EQ(err.find(refused, second), second) << err;
  EXPECT_EQ(err.find('\n', second), err.size() - 1) << err;
}

}  // namespace
