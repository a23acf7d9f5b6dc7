// The strip on the program's own environment, as it runs: the settings store
// in a fresh place (a temporary settings folder, or the registry's product
// key under Wine), the HTTP fetch against loopback servers, the diagnostics
// on standard error. These are the few cases the fakes of the unit tests
// cannot stand for: documents through the real client and stored by a real
// close, the faults only a real connection shows and the lines they leave,
// the real client giving up when the program ends mid-fetch, and entries
// the real backend cannot read or write.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "recording_face.h"
#include "sample-server/sample_documents.h"
#include "store/reg_ini_file.h"
#include "store/stored_entries.h"
#include "strip/main_form.h"
#include "strip/strip_environment.h"
#include "support/environment.h"
#include "support/loopback_server.h"
#include "support/store_place.h"
#include "support/weather_servers.h"
#include "weather/sources.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include <cstdio>

#include "support/temp_config.h"
#endif

namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::string>;

constexpr char kOpenFailed[] =
    "information: Attempt to open the URL failed. Check your connection settings";
constexpr char kReadFailed[] = "error: Connection to Internet failed or lost.";
constexpr char kShownForecast[] = "Fair and mild.";
constexpr char kShownPrimary[] = "MARROWBY  SUNNY 70";

class StripIntegrationTest : public ::testing::Test {
 protected:
  void SetUp() override { servers_.Use(); }
  void TearDown() override {
    UnsetEnvironment(kPrimaryServerVariable);
    UnsetEnvironment(kAlternateServerVariable);
  }

  template <class Entry, class Value>
  static void Store(const Entry& entry, const Value& value) {
    TRegIniFile reg(kProductKeyPath);
    Write(reg, entry, value);
  }
  // The texts of an earlier run, without the start-up update.
  static void StoreShownTexts() {
    TRegIniFile reg(kProductKeyPath);
    Write(reg, kOnStart, false);
    Write(reg, kLastForecast, kShownForecast);
    Write(reg, kLastMarrowby, kShownPrimary);
    Write(reg, kLastWendmoore, "WENDMOORE  CLOUDY 64");
    Write(reg, kLastUpdate, "Last Updated earlier");
  }
  // One entry as the text it is stored as, "<absent>" when there is none.
  template <class Entry>
  static std::string StoredText(const Entry& entry) {
    return TRegIniFile(kProductKeyPath).ReadText(entry.section, entry.name, "<absent>");
  }
  // Stores `name` in a form the store cannot read: a number kept as a
  // registry DWORD, or its settings-file spelling.
  static void StoreUnreadable(std::string_view section, std::string_view name);
  // Makes every later write of the store fail; false when that did not work.
  // In the registry this also empties the product key.
  static bool StoreUnwritable();

  StorePlace place_;
  RefusingPort nowhere_;
  WeatherServers servers_;
  RecordingFace face_;
  const StripEnvironment& env_ = ProgramEnvironment();
};

void StripIntegrationTest::StoreUnreadable(std::string_view section, std::string_view name) {
#ifdef _WIN32
  const std::string key = std::string(kProductKeyPath) + "\\" + std::string(section);
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &handle, nullptr),
            ERROR_SUCCESS);
  const DWORD ten = 10;
  RegSetValueExA(handle, std::string(name).c_str(), 0, REG_DWORD,
                 reinterpret_cast<const BYTE*>(&ten), sizeof ten);
  RegCloseKey(handle);
#else
  // The file as it is, with the entry set by hand to a registry export's
  // spelling of a number.
  TRegIniFile(kProductKeyPath).WriteText(section, name, "placeholder");
  const std::string file = SettingsFileForKey(kProductKeyPath);
  std::string text = ReadFileBytes(file);
  const std::string written = std::string(name) + "=\"placeholder\"";
  const std::size_t at = text.find(written);
  ASSERT_NE(at, std::string::npos) << text;
  text.replace(at, written.size(), std::string(name) + "=dword:0000000A");
  WriteFileBytes(file, text);
#endif
}

bool StripIntegrationTest::StoreUnwritable() {
#ifdef _WIN32
  // A volatile product key: no section, which is never volatile, can be
  // made below it any more.
  RegDeleteTreeA(HKEY_CURRENT_USER, kProductKeyPath);
  HKEY handle = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kProductKeyPath, 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
#else
  // A folder where the settings file should be.
  const std::string file = SettingsFileForKey(kProductKeyPath);
  std::remove(file.c_str());
  return mkdir(file.c_str(), 0700) == 0;
#endif
}

// ---- documents through the real client, stored by a real close ----

TEST_F(StripIntegrationTest, AStartUpUpdateFromTheServersIsStoredByTheClose) {
  const mw_sample::SampleDocuments docs = mw_sample::MakeSampleDocuments(
      mw_sample::Scenario::kShowers, mw_sample::SampleClock{1717243200, 3600, "BST"});
  servers_.ServeSample(docs);
  face_.now = {2024, 3, 5, 2, 15, 4, 5};
  {
    TfrmMain frm(face_, env_);
    frm.FormCreate();  // on an empty store, with the update at start-up
    EXPECT_EQ(frm.PrimaryConditions, docs.primary_entry);
    EXPECT_EQ(frm.SecondaryConditions, docs.secondary_entry);
    EXPECT_EQ(frm.ForecastText, docs.forecast_line);
    EXPECT_EQ(face_.caption, docs.forecast_line);
    EXPECT_TRUE(face_.Boxes().empty());
    ASSERT_TRUE(frm.Close());
  }
  // The roundup, then the zone forecast, from the primary source.
  const std::vector<LoggedRequest> requests = servers_.primary.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target(), kPrimaryConditionsPath);
  EXPECT_EQ(requests[1].target(), kPrimaryForecastPath);
  EXPECT_TRUE(servers_.alternate.Requests().empty());
  EXPECT_EQ(StoredText(kLastForecast), docs.forecast_line);
  EXPECT_EQ(StoredText(kLastMarrowby), docs.primary_entry);
  EXPECT_EQ(StoredText(kLastWendmoore), docs.secondary_entry);
  EXPECT_EQ(StoredText(kLastUpdate), FormatLastUpdate(face_.now, face_.formats));

  // The next start shows them as they were stored.
  Store(kOnStart, false);
  RecordingFace face;
  TfrmMain frm(face, env_);
  frm.FormCreate();
  EXPECT_EQ(face.caption, docs.forecast_line);
  EXPECT_EQ(face.title, docs.primary_entry);
  EXPECT_EQ(servers_.primary.Requests().size(), 2u);
}

// ---- what only a real connection shows ----

// The read breaks after the document opened: one error box, the buffer as it
// was, one line that says why, with the fetch's own limits; the program goes
// on.
TEST_F(StripIntegrationTest, AResetOrAStallMidBodyIsOneErrorBoxAndOneLine) {
  LoopbackReply reset = LoopbackReply::Page(200, std::string(2000, 'x') + "\n");
  reset.close_after_body_bytes = 500;
  reset.reset = true;
  LoopbackReply stall = LoopbackReply::Page(200, std::string(2000, 'y') + "\n");
  stall.stall_after_body_bytes = 500;
  stall.stall = 20s;
  servers_.ServeRoundupReply(false, reset);
  servers_.ServeForecastReply(false, stall);
  StoreShownTexts();
  TfrmMain frm(face_, env_);
  frm.FormCreate();
  frm.fetchLimits.stall_ms = 400;
  for (const bool forecast : {false, true}) {
    SCOPED_TRACE(forecast ? "stall" : "reset");
    frm.reTmp.SetWholeText("held");
    face_.calls.clear();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(
        frm.FetchDocument(forecast ? WeatherDocument::kForecast : WeatherDocument::kConditions));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(face_.Boxes(), (Calls{kReadFailed}));
    EXPECT_EQ(face_.calls.back(), kReadFailed);
    EXPECT_EQ(frm.reTmp.WholeText(), "held");
    const std::string line =
        forecast ? "marrowby-weather: forecast from the primary source failed: " +
                       servers_.primary.Url(kPrimaryForecastPath) + ": no byte for 0.4 s (after "
                 : "marrowby-weather: current conditions from the primary source failed: " +
                       servers_.primary.Url(kPrimaryConditionsPath) +
                       ": connection reset or closed by the server (after ";
    EXPECT_EQ(err.rfind(line, 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;  // one line
  }
  EXPECT_FALSE(frm.TerminateRequested());
  EXPECT_TRUE(face_.visible);
}

// A refusing server or an unknown host: the information box, then the window
// closes the way Exit closes it (storing what is shown) and the program is
// told to end.
TEST_F(StripIntegrationTest, ADocumentThatCannotBeOpenedEndsTheProgramAfterStoring) {
  // A label longer than 63 characters is refused by the resolver itself, so
  // the unknown host costs no query to a name server.
  const std::string unknown = std::string(64, 'x') + ".invalid";
  for (const std::string& server : {nowhere_.Authority(), unknown}) {
    SCOPED_TRACE(server);
    SetEnvironment(kPrimaryServerVariable, server);
    StoreShownTexts();
    RecordingFace face;
    TfrmMain frm(face, env_);
    frm.FormCreate();
    frm.ForecastText = "Kept forecast via " + server;
    face.calls.clear();

    testing::internal::CaptureStderr();
    EXPECT_FALSE(frm.FetchDocument(WeatherDocument::kConditions));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(face.calls,
              (Calls{"fetch", "fetched", kOpenFailed, "hide", "end loops", "end loops"}));
    EXPECT_EQ(frm.ExitStatus(), 0);
    EXPECT_EQ(StoredText(kLastForecast), frm.ForecastText);
    const std::string line =
        "marrowby-weather: current conditions from the primary source failed: http://" + server +
        kPrimaryConditionsPath + ": ";
    EXPECT_EQ(err.rfind(line, 0), 0u) << err;
    if (server == nowhere_.Authority()) {
      EXPECT_EQ(err.find("connection refused (after "), line.size()) << err;
    }
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  }
}

// The system's close while the real client waits for a silent server: the
// fetch is abandoned at once, without a box or a line on standard error,
// the close stores once, and the forecast is not fetched.
TEST_F(StripIntegrationTest, ASystemCloseDuringAFetchEndsItAtOnce) {
  LoopbackReply silent = LoopbackReply::Raw("");
  silent.stall_after_body_bytes = 0;
  silent.stall = 20s;
  servers_.ServeRoundupReply(false, silent);
  StoreShownTexts();
  TfrmMain frm(face_, env_);
  frm.FormCreate();
  face_.calls.clear();
  frm.fetchLimits = {20000, 20000, 30000};  // not abandoned, it would end in a box
  face_.on_keep_fetching = [&] {
    if (frm.TerminateRequested() || servers_.primary.Requests().empty()) return;
    frm.EndSession();
    Store(kLastForecast, "edited after the close");
  };
  testing::internal::CaptureStderr();
  frm.pUpdateClick();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(face_.Boxes().empty());
  EXPECT_EQ(face_.end_loops_calls, 1);
  EXPECT_EQ(frm.ExitStatus(), 0);
  EXPECT_EQ(std::count(face_.calls.begin(), face_.calls.end(), "fetch"), 1);
  EXPECT_EQ(servers_.primary.Requests().size(), 1u);
  EXPECT_EQ(StoredText(kLastForecast), "edited after the close");
  EXPECT_EQ(StoredText(kLastMarrowby), kShownPrimary);
}

// ---- what the real backend refuses ----

// An entry kept as a number of another type stops creation where it is read;
// the close writes what was read before it and leaves it, and every entry
// after it, as stored.
TEST_F(StripIntegrationTest, AnEntryTheStoreCannotReadStopsCreationAndIsNotOverwritten) {
  Store(kLeft, 77);
  StoreUnreadable(kWindowSection, kTop.name);
  Store(kLastForecast, "Fair");
  TfrmMain frm(face_, env_);
  EXPECT_FALSE(frm.RunGuarded([&] { frm.FormCreate(); }));
  EXPECT_EQ(face_.Boxes(), (Calls{"uncaught: Marrowby Weather | Invalid data type for 'top'."}));
  EXPECT_EQ(face_.frame.left, 77);
  face_.frame.left = 90;
  frm.ForecastText = "Showers.";
  frm.pExitClick();
  EXPECT_EQ(StoredText(kLeft), "90");
  EXPECT_THROW(StoredText(kTop), ERegistryException);
  EXPECT_EQ(StoredText(kLastForecast), "Fair");
  EXPECT_EQ(StoredText(kLastMarrowby), "<absent>");
}

TEST_F(StripIntegrationTest,
       AStoreThatCannotBeWrittenKeepsTheWindowAndTheSystemsCloseEndsWithStatus1) {
  StoreShownTexts();
  TfrmMain frm(face_, env_);
  frm.FormCreate();
  if (!StoreUnwritable()) GTEST_SKIP() << "the store cannot be made unwritable here";
  face_.calls.clear();

  // The close box and Exit: the handler ends at the error, the window stays.
  EXPECT_THROW(frm.Close(), ERegistryException);
  EXPECT_THROW(frm.pExitClick(), ERegistryException);
  EXPECT_TRUE(face_.visible);
  EXPECT_EQ(face_.end_loops_calls, 0);

  // The system's close is obeyed all the same, with one line on standard
  // error that names the store, and the program's status says it failed.
  testing::internal::CaptureStderr();
  frm.EndSession();
  const std::string err = testing::internal::GetCapturedStderr();
  const std::string line = "marrowby-weather: cannot store the settings in " +
                           TRegIniFile(kProductKeyPath).FileName() + ": Failed to ";
  EXPECT_EQ(err.rfind(line, 0), 0u) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  EXPECT_TRUE(face_.Boxes().empty());
  EXPECT_FALSE(face_.visible);
  EXPECT_EQ(frm.ExitStatus(), 1);
}

#ifndef _WIN32
// The comments a user writes after a value or a section header, as the
// README shows them, are no part of what the program reads.
TEST_F(StripIntegrationTest, CommentsAfterValuesAndHeadersAreNotRead) {
  servers_.ServeForecast(false, ZoneForecast(".TODAY...FOG."));
  UnsetEnvironment(kPrimaryServerVariable);
  WriteFileBytes(SettingsFileForKey(kProductKeyPath),
                 "[window]\nforeground=\"4\"   ; palette index\nbackground=\"11\" # yellow\n"
                 "[settings]\nonstart=\"0\"      ; no update at start-up\n"
                 "[sources]             ; written by hand only\n"
                 "primary=\"" +
                     servers_.primary.Authority() + "\" ; the test's server\n");
  TfrmMain frm(face_, env_);
  EXPECT_TRUE(frm.RunGuarded([&] { frm.FormCreate(); }));
  EXPECT_EQ(face_.font_color, TfrmMain::ColorFromIndex(4));
  EXPECT_EQ(face_.PanelColor(StripPanel::pnlScroll), TfrmMain::ColorFromIndex(11));
  frm.UpdateForecast();
  EXPECT_EQ(frm.ForecastText, ".TODAY...FOG");
  EXPECT_TRUE(face_.Boxes().empty());
}
#endif

}  // namespace
