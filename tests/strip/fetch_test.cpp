// FetchDocument on scripted documents: which address it asks, what reaches
// the work buffer, the status texts once the document is open, what the
// user is told when it is not (and a log-off while it says so), where the
// servers come from, and the line a failed fetch leaves in the diagnostics.
#include "strip/main_form.h"
#include "strip_fixture.h"
#include "support/environment.h"

namespace {

using Calls = std::vector<std::string>;

constexpr char kOpenFailed[] =
    "information: Attempt to open the URL failed. Check your connection settings";
constexpr char kReadFailed[] = "error: Connection to Internet failed or lost.";
constexpr char kNoClient[] = "error: Connection to Internet failed or lost. Check your settings.";

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
    EXPECT_TRUE(
        frm_.FetchDocument(forecast ? WeatherDocument::kForecast : WeatherDocument::kConditions));
    return frm_.reTmp.WholeText();
  }

  TfrmMain frm_{face_, env_};
};

TEST_F(FetchTest, TheAddressFollowsTheArgumentAndTheFlagAtEveryCall) {
  using enum WeatherDocument;
  using enum WeatherSource;
  Serve(kConditions, "primary roundup\n");
  Serve(kForecast, "primary forecast\n");
  Serve(kConditions, "alternate roundup\n", kAlternate);
  Serve(kForecast, "alternate forecast\n", kAlternate);
  EXPECT_EQ(Fetch(false, false), "primary roundup\r\n");
  EXPECT_EQ(Fetch(false, true), "primary forecast\r\n");
  EXPECT_EQ(Fetch(true, false), "alternate roundup\r\n");
  EXPECT_EQ(Fetch(true, true), "alternate forecast\r\n");
  EXPECT_EQ(Fetch(false, true), "primary forecast\r\n");
  EXPECT_EQ(fetch_.asked,
            (Calls{AddressOf(kConditions), AddressOf(kForecast), AddressOf(kConditions, kAlternate),
                   AddressOf(kForecast, kAlternate), AddressOf(kForecast)}));
  EXPECT_TRUE(face_.Boxes().empty());
}

TEST_F(FetchTest, LinesGoBehindWhatTheBufferHolds) {
  Serve(WeatherDocument::kConditions, "A\r\n\r\nB\r\n\tC\x01\xE9\rlast line without end");
  frm_.reTmp.SetWholeText("held");
  EXPECT_TRUE(frm_.FetchDocument(WeatherDocument::kConditions));
  EXPECT_EQ(frm_.reTmp.WholeText(), "held\r\nA\r\nB\r\n\tC\x01\xE9");
}

TEST_F(FetchTest, EmptyBodiesAndErrorPagesAreDocuments) {
  Serve(WeatherDocument::kConditions, "");
  EXPECT_TRUE(frm_.FetchDocument(WeatherDocument::kConditions));
  EXPECT_EQ(frm_.reTmp.WholeText(), "");
  // The page a server sends with its 404.
  Serve(WeatherDocument::kForecast, "<html>\n<h1>Not Found</h1>\n</html>\n");
  EXPECT_TRUE(frm_.FetchDocument(WeatherDocument::kForecast));
  EXPECT_EQ(frm_.reTmp.WholeText(), "<html>\r\n<h1>Not Found</h1>\r\n</html>\r\n");
  EXPECT_TRUE(face_.Boxes().empty());
  EXPECT_FALSE(frm_.TerminateRequested());
  EXPECT_TRUE(face_.visible);
}

// Once the document is open the conditions' status texts are painted, once;
// the forecast's caption is set without a forced paint.
TEST_F(FetchTest, StatusTextsGoUpOnceTheDocumentIsOpen) {
  Serve(WeatherDocument::kConditions, "MARROWBY\n");
  Serve(WeatherDocument::kForecast, "ZONE\n");
  EXPECT_TRUE(frm_.FetchDocument(WeatherDocument::kConditions));
  EXPECT_EQ(
      face_.calls,
      (Calls{"fetch", "paint: Getting Current Conditions... | Getting Forecast Information...",
             "fetched"}));

  frm_.PrimaryConditions = "title stays";
  frm_.tmrTitleSwitchTimer();
  frm_.tmrScrollTimer();
  face_.calls.clear();
  EXPECT_TRUE(frm_.FetchDocument(WeatherDocument::kForecast));
  EXPECT_EQ(face_.calls, (Calls{"fetch", "fetched"}));  // nothing painted
  EXPECT_EQ(face_.title, "title stays");
  EXPECT_EQ(face_.caption, "Getting Forecast Information...");
}

// The document cannot be opened: no status text, nothing appended; the
// information box, then the window closes the way Exit closes it (storing
// what is shown) and the program is told to end. Without an HTTP client no
// document can be opened either, which an error box says first.
TEST_F(FetchTest, ADocumentThatCannotBeOpenedEndsTheProgramAfterStoring) {
  struct Case {
    const char* name;
    ScriptedAnswer answer;
    Calls boxes;
  };
  for (const Case& c :
       {Case{"refused", ScriptedAnswer::OpenFails(FetchFailure::kRefused), {kOpenFailed}},
        Case{"unknown host", ScriptedAnswer::OpenFails(FetchFailure::kNameNotFound), {kOpenFailed}},
        Case{"no client", ScriptedAnswer::InitFails(), {kNoClient, kOpenFailed}}}) {
    SCOPED_TRACE(c.name);
    fetch_.otherwise = c.answer;
    RecordingFace face;
    TfrmMain frm(face, env_);
    frm.FormCreate();
    frm.ForecastText = std::string("Kept forecast when ") + c.name;
    face.title = "title";
    face.caption = "caption";
    frm.reTmp.SetWholeText("held");
    face.calls.clear();

    EXPECT_FALSE(frm.FetchDocument(WeatherDocument::kConditions));
    Calls expected{"fetch", "fetched"};
    expected.insert(expected.end(), c.boxes.begin(), c.boxes.end());
    expected.insert(expected.end(), {"hide", "end loops", "end loops"});
    EXPECT_EQ(face.calls, expected);
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
  EXPECT_FALSE(frm_.FetchDocument(WeatherDocument::kConditions));  // nothing scripted: refused
  EXPECT_EQ(face_.calls, (Calls{"fetch", "fetched", kOpenFailed, "hide", "end loops"}));
  EXPECT_EQ(StoredText(kLastForecast), "edited after the close");
  // Told to end: no more fetches, no more boxes.
  face_.calls.clear();
  EXPECT_FALSE(frm_.FetchDocument(WeatherDocument::kForecast));
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
  EXPECT_FALSE(frm_.FetchDocument(WeatherDocument::kConditions));  // nothing scripted: refused
  EXPECT_EQ(face_.calls, (Calls{"fetch", "fetched", kOpenFailed, "hide", "end loops"}));
  EXPECT_EQ(StoredText(kLastForecast), "edited after the question");
}

// The read fails after the document opened: one error box, the buffer as it
// was, and the program goes on.
TEST_F(FetchTest, AResetOrAStallMidBodyShowsOneErrorBox) {
  Serve(WeatherDocument::kConditions, ScriptedAnswer::ReadFails(FetchFailure::kReset));
  Serve(WeatherDocument::kForecast, ScriptedAnswer::ReadFails(FetchFailure::kStalled).Waiting(3));
  for (bool forecast : {false, true}) {
    SCOPED_TRACE(forecast ? "stall" : "reset");
    frm_.reTmp.SetWholeText("held");
    face_.calls.clear();
    EXPECT_FALSE(
        frm_.FetchDocument(forecast ? WeatherDocument::kForecast : WeatherDocument::kConditions));
    EXPECT_EQ(face_.Boxes(), (Calls{kReadFailed}));
    EXPECT_EQ(face_.calls.back(), kReadFailed);
    EXPECT_EQ(frm_.reTmp.WholeText(), "held");
  }
  EXPECT_FALSE(frm_.TerminateRequested());
  EXPECT_TRUE(face_.visible);
}

// ---- where the servers come from ----

TEST_F(FetchTest, StoredServersApplyUnlessTheEnvironmentNamesOne) {
  const auto serve = [&](const std::string& server, const std::string& body, bool alternate) {
    fetch_.Answer("http://" + server + (alternate ? kAlternateForecastPath : kPrimaryForecastPath),
                  ScriptedAnswer::Document(body));
  };
  serve("stored-primary:8001", "stored primary\n", false);
  serve("stored-alternate:8002", "stored alternate\n", true);
  serve("environment-primary:8003", "environment primary\n", false);
  serve("environment-alternate:8004", "environment alternate\n", true);
  Store(kPrimaryServer, "stored-primary:8001");
  Store(kAlternateServer, "stored-alternate:8002");

  SetEnvironment(kAlternateServerVariable, " ");  // blank counts as unset
  EXPECT_EQ(Fetch(false, true), "stored primary\r\n");
  EXPECT_EQ(Fetch(true, true), "stored alternate\r\n");

  // A variable that is set wins, each source on its own.
  SetEnvironment(kPrimaryServerVariable, "environment-primary:8003");
  EXPECT_EQ(Fetch(false, true), "environment primary\r\n");
  EXPECT_EQ(Fetch(true, true), "stored alternate\r\n");
  SetEnvironment(kAlternateServerVariable, "environment-alternate:8004");
  EXPECT_EQ(Fetch(true, true), "environment alternate\r\n");

  // Read at every fetch: a hand edit applies to the next one, and fetching
  // never writes the entries.
  UnsetEnvironment(kPrimaryServerVariable);
  Store(kPrimaryServer, "environment-primary:8003");
  const std::vector<std::string> writes = settings_.writes;
  EXPECT_EQ(Fetch(false, true), "environment primary\r\n");
  EXPECT_EQ(settings_.writes, writes);
  EXPECT_EQ(StoredText(kPrimaryServer), "environment-primary:8003");
  EXPECT_TRUE(face_.Boxes().empty());
}

TEST_F(FetchTest, EachFailedFetchWritesOneLineToTheDiagnostics) {
  Serve(WeatherDocument::kForecast, ScriptedAnswer::ReadFails(FetchFailure::kStalled));
  Serve(WeatherDocument::kForecast, "fine\n", WeatherSource::kAlternate);

  frm_.fetchLimits.stall_ms = 400;
  EXPECT_FALSE(frm_.FetchDocument(WeatherDocument::kForecast));
  frm_.fetchLimits = {};
  frm_.UseAlternateSource = true;
  EXPECT_TRUE(frm_.FetchDocument(WeatherDocument::kForecast));  // success says nothing
  frm_.UseAlternateSource = false;
  EXPECT_FALSE(frm_.FetchDocument(WeatherDocument::kConditions));

  // The document, its source, the address, why (with the fetch's own limits).
  EXPECT_EQ(
      log_.lines,
      (Calls{"marrowby-weather: forecast from the primary source failed: " +
                 AddressOf(WeatherDocument::kForecast) + ": no byte for 0.4 s (after 0.0 s)\n",
             "marrowby-weather: current conditions from the primary source failed: " +
                 AddressOf(WeatherDocument::kConditions) +
                 ": connection refused (after 0.0 s)\n"}));
}

}  // namespace
