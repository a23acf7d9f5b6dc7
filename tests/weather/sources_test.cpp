// The source table and how a server setting from the environment is read.
#include "weather/sources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "store/reg_ini_file.h"
#include "support/temp_config.h"
#include "weather/http_fetch.h"

namespace {

class SourcesTest : public testing::Test {
 protected:
  void SetUp() override {
    unsetenv(kPrimaryServerVariable);
    unsetenv(kAlternateServerVariable);
  }
};

TEST_F(SourcesTest, UnsetVariablesGiveTheSampleServer) {
  EXPECT_EQ(DocumentAddress(WeatherDocument::kConditions, WeatherSource::kPrimary),
            "http://127.0.0.1:8046/text/wxascii/roundup/ASUS46.KMRB");
  EXPECT_EQ(DocumentAddress(WeatherDocument::kForecast, WeatherSource::kPrimary),
            "http://127.0.0.1:8046/text/wxascii/forecasts/FPUS05.KMRB");
  EXPECT_EQ(DocumentAddress(WeatherDocument::kConditions, WeatherSource::kAlternate),
            "http://127.0.0.1:8047/iwin/qz/hourly.html");
  EXPECT_EQ(DocumentAddress(WeatherDocument::kForecast, WeatherSource::kAlternate),
            "http://127.0.0.1:8047/iwin/qz/zone.html");
}

TEST_F(SourcesTest, EmptyOrBlankVariablesGiveTheSampleServer) {
  setenv(kPrimaryServerVariable, "", 1);
  setenv(kAlternateServerVariable, " \t ", 1);
  EXPECT_EQ(DocumentAddress(WeatherDocument::kForecast, WeatherSource::kPrimary),
            "http://127.0.0.1:8046/text/wxascii/forecasts/FPUS05.KMRB");
  EXPECT_EQ(DocumentAddress(WeatherDocument::kForecast, WeatherSource::kAlternate),
            "http://127.0.0.1:8047/iwin/qz/zone.html");
}

TEST_F(SourcesTest, EachSourceHasItsOwnVariable) {
  setenv(kPrimaryServerVariable, "wx.example.org", 1);
  setenv(kAlternateServerVariable, "backup.example.org:8080", 1);
  EXPECT_EQ(DocumentAddress(WeatherDocument::kConditions, WeatherSource::kPrimary),
            "http://wx.example.org/text/wxascii/roundup/ASUS46.KMRB");
  EXPECT_EQ(DocumentAddress(WeatherDocument::kConditions, WeatherSource::kAlternate),
            "http://backup.example.org:8080/iwin/qz/hourly.html");
  // Read at every call.
  setenv(kAlternateServerVariable, "other:81", 1);
  EXPECT_EQ(DocumentAddress(WeatherDocument::kForecast, WeatherSource::kAlternate),
            "http://other:81/iwin/qz/zone.html");
  unsetenv(kPrimaryServerVariable);
  EXPECT_EQ(DocumentAddress(WeatherDocument::kForecast, WeatherSource::kPrimary),
            "http://127.0.0.1:8046/text/wxascii/forecasts/FPUS05.KMRB");
}

TEST(ServerFromSetting, UsableValues) {
  struct {
    const char* value;
    const char* server;
  } cases[] = {
      {"host", "host"},
      {"host:80", "host:80"},
      {"10.1.2.3:65535", "10.1.2.3:65535"},
      {"  host:8046 \r\n", "host:8046"},
      {"http://host:8046", "host:8046"},
      {"HTTP://Host.Example", "Host.Example"},
      {"host:8046/", "host:8046"},
      {"http://host/", "host"},
      {"wx_1-a.example.", "wx_1-a.example."},
      {"[::1]", "[::1]"},
      {"[::1]:8046", "[::1]:8046"},
      {"::1", "[::1]"},
      {"fe80::1:2", "[fe80::1:2]"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ServerFromSetting(c.value, "default:1"), c.server) << c.value;
  }
}

TEST(ServerFromSetting, BlankValuesGiveTheDefault) {
  for (const char* value : {"", " ", "\t\r\n"}) {
    EXPECT_EQ(ServerFromSetting(value, "127.0.0.1:8046"), "127.0.0.1:8046") << '"' << value << '"';
  }
}

TEST(ServerFromSetting, UnusableValuesGiveNoServer) {
  for (const char* value : {
           "https://host",        // another scheme
           "file:///etc/passwd",  // another scheme
           "ftp://host:21",       // another scheme
           "host/path",           // a path
           "host:8046/base/",     // a path
           "host?x=1",            // a query
           "host#top",            // a fragment
           "user@host",           // user information
           "my host",             // blank inside
           "host :8046",          // blank inside
           ":8046",               // no host
           "http://",             // no host
           "host:",               // empty port
           "host:0",              // port out of range
           "host:65536",          // port out of range
           "host:123456",         // port out of range
           "host:80a",            // not a number
           "host:-1",             // not a number
           "[::1",                // unclosed bracket
           "[::1]x",              // junk after the bracket
           "[::1]:",              // empty port
           "[host]:80",           // not an address in brackets
           "::g",                 // not an IPv6 address
           "h\xe9te",             // not a host name
       }) {
    EXPECT_EQ(ServerFromSetting(value, "127.0.0.1:8046"), "") << value;
  }
}

TEST_F(SourcesTest, UnusableVariableGivesNoAddress) {
  setenv(kPrimaryServerVariable, "host/../secret", 1);
  EXPECT_EQ(DocumentAddress(WeatherDocument::kConditions, WeatherSource::kPrimary), "");
  EXPECT_EQ(DocumentAddress(WeatherDocument::kForecast, WeatherSource::kPrimary), "");
  // The other source is not affected.
  EXPECT_EQ(DocumentAddress(WeatherDocument::kForecast, WeatherSource::kAlternate),
            "http://127.0.0.1:8047/iwin/qz/zone.html");
}

TEST_F(SourcesTest, StoredServersApplyWhereNoVariableIsSet) {
  EXPECT_EQ(DocumentAddress(WeatherDocument::kForecast, WeatherSource::kPrimary, "stored:81"),
            "http://stored:81/text/wxascii/forecasts/FPUS05.KMRB");
  EXPECT_EQ(DocumentAddress(WeatherDocument::kForecast, WeatherSource::kAlternate, " \t"),
            "http://127.0.0.1:8047/iwin/qz/zone.html");
  EXPECT_EQ(DocumentAddress(WeatherDocument::kForecast, WeatherSource::kAlternate, "stored/path"),
            "");
  setenv(kPrimaryServerVariable, " ", 1);
  EXPECT_EQ(DocumentAddress(WeatherDocument::kConditions, WeatherSource::kPrimary, "stored"),
            "http://stored/text/wxascii/roundup/ASUS46.KMRB");
  // A variable that is set wins, even when it is unusable.
  setenv(kPrimaryServerVariable, "env:82", 1);
  EXPECT_EQ(DocumentAddress(WeatherDocument::kConditions, WeatherSource::kPrimary, "stored"),
            "http://env:82/text/wxascii/roundup/ASUS46.KMRB");
  setenv(kPrimaryServerVariable, "ftp://env", 1);
  EXPECT_EQ(DocumentAddress(WeatherDocument::kConditions, WeatherSource::kPrimary, "stored"), "");
}

// The servers as FetchDocument finds them: the settings file's [sources]
// entries, read through the store, below the environment.
class StoredSourcesTest : public SourcesTest {
 protected:
  DocumentSource Find(const std::string& file, bool alternate = false) const {
    WriteFileBytes(config_.SettingsFile(), file);
    return FindDocumentSource(TRegIniFile(kProductKeyPath), WeatherDocument::kForecast,
                              alternate ? WeatherSource::kAlternate : WeatherSource::kPrimary);
  }

  TempConfigDir config_;
};

// What used to raise out of the update now makes the source one that cannot
// be reached, with the reason; the other source goes on as before.
TEST_F(StoredSourcesTest, AnEntryThatCannotBeReadOrNamesNoServerMakesItsSourceUnusable) {
  const DocumentSource dword = Find("[sources]\nprimary=dword:0000000A\n");
  EXPECT_EQ(dword.address, "");
  EXPECT_EQ(dword.unusable, "[sources] primary cannot be read: Invalid data type for 'primary'");
  const DocumentSource broken = Find("[sources]\nalternate=\"host:81\n", true);
  EXPECT_EQ(broken.address, "");
  EXPECT_EQ(broken.unusable,
            "[sources] alternate cannot be read: Failed to get data for 'alternate'");
  EXPECT_EQ(Find("[sources]\nprimary=dword:0000000A\n", true).address,
            "http://127.0.0.1:8047/iwin/qz/zone.html");
  // The value that names no server is shown as the file holds it, so the
  // reason stays one line.
  EXPECT_EQ(Find("[sources]\nprimary=host/path\n").unusable,
            "[sources] primary=\"host/path\" is not a usable server (host or host:port)");
  EXPECT_EQ(Find("[sources]\nprimary=\"two\\nlines\"\n").unusable,
            "[sources] primary=\"two\\nlines\" is not a usable server (host or host:port)");
  const DocumentSource long_one = Find("[sources]\nprimary=" + std::string(100, 'h') + "/x\n");
  EXPECT_EQ(long_one.unusable, "[sources] primary=\"" + std::string(64, 'h') +
                                   "\"... is not a usable server (host or host:port)");
}

// A variable that is set wins: the entry is not even read.
TEST_F(StoredSourcesTest, AVariableThatIsSetLeavesTheEntryUnread) {
  setenv(kPrimaryServerVariable, "ftp://env", 1);
  EXPECT_EQ(Find("[sources]\nprimary=dword:1\n").unusable,
            "MARROWBY_WEATHER_PRIMARY=\"ftp://env\" is not a usable server (host or host:port)");
  setenv(kPrimaryServerVariable, "env:82", 1);
  const DocumentSource source = Find("[sources]\nprimary=dword:0000000A\n");
  EXPECT_EQ(source.address, "http://env:82/text/wxascii/forecasts/FPUS05.KMRB");
  EXPECT_EQ(source.unusable, "");
  setenv(kPrimaryServerVariable, " ", 1);  // blank: the entry again
  EXPECT_EQ(Find("[sources]   ; by hand\nprimary=\"wx.example.org:81\"  ; mine\n").address,
            "http://wx.example.org:81/text/wxascii/forecasts/FPUS05.KMRB");
}

TEST(FetchFailureLine, NamesDocumentSourceAddressReasonAndTime) {
  const FetchLimits limits{10000, 15000, 30000};
  FetchResult r;
  r.outcome = FetchOutcome::kDocument;
  EXPECT_EQ(FetchFailureLine(WeatherDocument::kForecast, WeatherSource::kPrimary, "http://h/x", r,
                             limits),
            "");

  r.outcome = FetchOutcome::kOpenFailed;
  r.seconds = 10.04;
  r.failure = FetchFailure::kConnectTimeout;
  EXPECT_EQ(FetchFailureLine(WeatherDocument::kConditions, WeatherSource::kAlternate, "http://h/x",
                             r, limits),
            "marrowby-weather: current conditions from the alternate source failed: http://h/x: "
            "no connection within 10 s (after 10.0 s)\n");
  struct {
    FetchFailure failure;
    const char* words;
  } cases[] = {
      {FetchFailure::kStalled, ": no byte for 15 s ("},
      {FetchFailure::kTotalLimit, ": not complete within the 30 s limit ("},
      {FetchFailure::kReset, ": connection reset or closed by the server ("},
      {FetchFailure::kNameNotFound, ": host name not found ("},
      {FetchFailure::kRedirectRefused, ": redirect refused (libcurl's words) ("},
      {FetchFailure::kOther, ": libcurl's words ("},
      {FetchFailure::kNoAddress,
       "(no address): no usable server; see MARROWBY_WEATHER_PRIMARY or [sources] primary in "
       "the settings file ("},
  };
  r.detail = "libcurl's words";
  for (const auto& c : cases) {
    r.failure = c.failure;
    const std::string address = c.failure == FetchFailure::kNoAddress ? "" : "http://h/x";
    EXPECT_NE(
        FetchFailureLine(WeatherDocument::kForecast, WeatherSource::kPrimary, address, r, limits)
            .find(c.words),
        std::string::npos)
        << c.words;
  }
  r.failure = FetchFailure::kStalled;
  EXPECT_NE(FetchFailureLine(WeatherDocument::kForecast, WeatherSource::kPrimary, "a", r,
                             FetchLimits{1, 250, 1})
                .find("for 0.2 s"),
            std::string::npos);
  // Without an address, the reason its source gave.
  r.failure = FetchFailure::kNoAddress;
  EXPECT_NE(FetchFailureLine(WeatherDocument::kForecast, WeatherSource::kPrimary, "", r, limits,
                             "[sources] primary cannot be read: x")
                .find(": (no address): [sources] primary cannot be read: x (after "),
            std::string::npos);
}

}  // namespace
