// The sample data server's documents: the keys the ticker searches for, at
// the places it searches, for every scenario and over two days of clock
// times; and the texts the ticker's own cuts take out of them.
#include "sample-server/sample_documents.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "weather/condition_picture.h"
#include "weather/conditions.h"
#include "weather/document_lines.h"
#include "weather/forecast.h"
#include "weather/http_fetch.h"
#include "weather/work_buffer.h"

namespace {

using mw_sample::MakeSampleDocuments;
using mw_sample::SampleClock;
using mw_sample::SampleDocuments;
using mw_sample::Scenario;

constexpr std::time_t kTuesday0915Utc = 1709630100;  // 2024-03-05 09:15 UTC, a Tuesday
constexpr std::size_t npos = std::string::npos;

// ---- a reader of our own, independent of the program's cuts ----

// The document as the work buffer holds it: lines split at CR or LF, empty
// ones dropped, an unterminated last one dropped, each followed by CR LF;
// only the first 32,767 bytes count.
std::string BufferText(std::string_view body) {
  body = body.substr(0, kDocumentLimit);
  std::string text, line;
  for (char c : body) {
    if (c == '\r' || c == '\n') {
      if (!line.empty()) text += line + "\r\n";
      line.clear();
    } else {
      line += c;
    }
  }
  return text;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

// Case-insensitive search from `from`; the needle is upper case.
std::size_t Find(std::string_view text, std::string_view needle, std::size_t from) {
  return Upper(text).find(needle, from);
}

std::size_t Count(std::string_view text, std::string_view needle) {
  std::size_t n = 0;
  for (std::size_t at = Find(text, needle, 0); at != npos; at = Find(text, needle, at + 1)) ++n;
  return n;
}

std::vector<std::string> SplitOn(std::string_view text, std::string_view end) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at = text.find(end); at != npos; at = text.find(end, start)) {
    lines.emplace_back(text.substr(start, at - start));
    start = at + end.size();
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<SampleClock> Clocks() {
  std::vector<SampleClock> clocks;
  // Every 7 minutes for two days, in a few time zones, so that every kind
  // of weather, day and night, every period name and both states of
  // Wendmoore come round.
  const std::pair<long, const char*> zones[] = {{0, "UTC"}, {-7 * 3600, "MST"}, {19800, "IST"}};
  for (std::time_t t = kTuesday0915Utc; t < kTuesday0915Utc + 2 * 86400; t += 7 * 60) {
    const auto& zone = zones[(t / 420) % 3];
    clocks.push_back({t, zone.first, zone.second});
  }
  return clocks;
}

void CheckLineEnds(const SampleDocuments& docs) {
  for (const std::string* doc : {&docs.roundup_text, &docs.forecast_text}) {
    // Every line ends CR CR LF, and there is no other CR or LF.
    ASSERT_GE(doc->size(), 3u);
    EXPECT_EQ(doc->substr(doc->size() - 3), "\r\r\n");
    for (const std::string& line : SplitOn(*doc, "\r\r\n")) {
      EXPECT_EQ(line.find_first_of("\r\n"), npos) << line;
    }
  }
  for (const std::string* doc : {&docs.roundup_html, &docs.forecast_html}) {
    EXPECT_EQ(doc->find('\r'), npos);
    EXPECT_EQ(doc->back(), '\n');
    EXPECT_NE(doc->find("<html"), npos);
    EXPECT_NE(doc->find("<pre>"), npos);
  }
}

// The roundup's keys and table, as the ticker's search sees them.
void CheckRoundup(const std::string& doc, const SampleDocuments& docs, bool html) {
  SCOPED_TRACE(html ? "hourly page" : "roundup bulletin");
  ASSERT_LT(doc.size(), kDocumentLimit);
  const std::string text = BufferText(doc);

  // The anchor, then Marrowby from the anchor's sixth letter on.
  std::size_t anchor = Find(text, "BRENNIK", 1);
  ASSERT_NE(anchor, npos);
  std::size_t primary = Find(text, "MARROWBY", anchor + 5);
  ASSERT_NE(primary, npos);
  EXPECT_EQ(Find(text.substr(primary, 18), "NOT", 0), npos);
  std::size_t primary_end = Find(text, " TC", primary);
  ASSERT_NE(primary_end, npos);
  EXPECT_EQ(text.substr(primary, primary_end - primary), docs.primary_entry);
  EXPECT_EQ(docs.primary_entry.find('\r'), npos);

  // Wendmoore: the first "WENDMO" of the whole text is its row.
  std::size_t secondary = Find(text, "WENDMO", 1);
  ASSERT_NE(secondary, npos);
  ASSERT_GT(secondary, primary);
  std::size_t not_at = Find(text.substr(secondary, 18), "NOT", 0);
  if (docs.secondary_reports) {
    EXPECT_EQ(not_at, npos);
    std::size_t secondary_end = Find(text, " TC", secondary);
    ASSERT_NE(secondary_end, npos);
    EXPECT_EQ(text.substr(secondary, secondary_end - secondary), docs.secondary_entry);
    EXPECT_EQ(text.find("\r\n", secondary), text.find("\r\n", secondary_end));
  } else {
    EXPECT_EQ(not_at, 15u);
    EXPECT_EQ(docs.secondary_entry, "WENDMOORE      ");
    EXPECT_EQ(text.substr(secondary, 15), docs.secondary_entry);
  }

  // The table: header, 15 or more fixed-width rows, "$$".
  const std::vector<std::string> lines = SplitOn(text, "\r\n");
  auto header = std::find(lines.begin(), lines.end(),
                          "CITY           SKY/WX    TMP DP  RH WIND       PRES   REMARKS");
  ASSERT_NE(header, lines.end());
  auto end = std::find(header, lines.end(), "$$");
  ASSERT_NE(end, lines.end());
  ASSERT_GE(end - header - 1, 15);
  for (auto row = header + 1; row != end; ++row) {
    SCOPED_TRACE(*row);
    ASSERT_GT(row->size(), 15u);
    std::string name = row->substr(0, 15);
    EXPECT_NE(name[0], ' ');
    EXPECT_EQ(name.back(), ' ');
    if (row->substr(15) == "NOT AVBL") continue;
    // Reporting: sky/weather in columns 15-24, then the figures; the row
    // ends with " TC <celsius>" and holds no other " TC".
    EXPECT_NE((*row)[15], ' ');
    EXPECT_EQ(Count(*row, " TC"), 1u);
    std::size_t tc = row->rfind(" TC ");
    ASSERT_NE(tc, npos);
    std::string celsius = row->substr(tc + 4);
    EXPECT_FALSE(celsius.empty());
    EXPECT_EQ(celsius.find_first_not_of("-0123456789"), npos);
    EXPECT_EQ(Find(row->substr(0, 18), "NOT", 0), npos);
  }
}

// The forecast's keys, offsets and lines.
void CheckForecast(const std::string& doc, const SampleDocuments& docs, bool html) {
  SCOPED_TRACE(html ? "zone page" : "forecast bulletin");
  ASSERT_LT(doc.size(), kDocumentLimit);
  const std::string text = BufferText(doc);

  EXPECT_EQ(Count(text, "ING MARROWBY METRO"), 1u);
  std::size_t key = Find(text, "ING MARROWBY METRO", 1);
  ASSERT_NE(key, npos);
  std::size_t start = key + 41;
  // The paragraph begins at the start of a line.
  ASSERT_LT(start, text.size());
  EXPECT_EQ(text.substr(start - 2, 2), "\r\n");
  std::size_t end = text.find(".<", start);
  ASSERT_NE(end, npos);
  EXPECT_EQ(text.substr(end, html ? 5 : 6), html ? ".<br>" : ".<END>");
  std::string paragraph = text.substr(start, end - start);
  std::string joined;
  for (const std::string& line : SplitOn(paragraph, "\r\n")) {
    joined += (joined.empty() ? "" : " ") + line;
  }
  EXPECT_EQ(joined, docs.forecast_line);

  // Lines of at most 69 columns; periods; one "$$" per zone segment.
  for (const std::string& line : SplitOn(text, "\r\n")) {
    EXPECT_LE(line.size(), 69u) << line;
  }
  EXPECT_TRUE(paragraph.rfind(".TODAY...", 0) == 0 || paragraph.rfind(".TONIGHT...", 0) == 0)
      << paragraph.substr(0, 40);
  EXPECT_GE(Count(paragraph, "\r\n."), 4u);  // five periods, the first at the start
  EXPECT_EQ(Count(text, "\r\n$$\r\n"), 4u);
}

std::string_view Name(Scenario s) { return mw_sample::ScenarioName(s); }

// ---- the documents on their own ----

TEST(SampleDocuments, MeetTheTickersKeysInEveryScenarioAndAtAnyTime) {
  for (Scenario scenario : mw_sample::AllScenarios()) {
    for (const SampleClock& clock : Clocks()) {
      SCOPED_TRACE(std::string(Name(scenario)) + " at " + std::to_string(clock.now) + " " +
                   clock.zone);
      SampleDocuments docs = MakeSampleDocuments(scenario, clock);
      CheckLineEnds(docs);
      CheckRoundup(docs.roundup_text, docs, false);
      CheckRoundup(docs.roundup_html, docs, true);
      CheckForecast(docs.forecast_text, docs, false);
      CheckForecast(docs.forecast_html, docs, true);
      if (testing::Test::HasFailure()) return;
    }
  }
}

TEST(SampleDocuments, ForecastLineHoldsNoRoundupKeys) {
  // Were the joined forecast ever searched together with a roundup, none of
  // the roundup's keys may be found in it.
  for (const SampleClock& clock : Clocks()) {
    SampleDocuments docs = MakeSampleDocuments(Scenario::kLive, clock);
    for (const char* key : {"BRENNIK", "MARROWBY", "WENDMO", "<"}) {
      EXPECT_EQ(Find(docs.forecast_line, key, 0), npos) << key << " in " << docs.forecast_line;
    }
  }
}

TEST(SampleDocuments, LiveWeatherGoesThroughEveryKindAndWendmooreFallsSilent) {
  std::set<mw_sample::Sky> skies;
  std::set<mw_sample::Picture> pictures;
  std::set<bool> reports;
  std::set<std::string> forecasts;
  for (const SampleClock& clock : Clocks()) {
    SampleDocuments docs = MakeSampleDocuments(Scenario::kLive, clock);
    skies.insert(docs.sky);
    pictures.insert(docs.picture);
    reports.insert(docs.secondary_reports);
    forecasts.insert(docs.forecast_line);
  }
  EXPECT_EQ(skies.size(), 7u);
  EXPECT_EQ(pictures.size(), 4u);
  EXPECT_EQ(reports.size(), 2u);
  EXPECT_GT(forecasts.size(), 100u);
}

TEST(SampleDocuments, SameClockSameDocuments) {
  SampleClock clock{kTuesday0915Utc, -7 * 3600, "MST"};
  SampleDocuments a = MakeSampleDocuments(Scenario::kLive, clock);
  SampleDocuments b = MakeSampleDocuments(Scenario::kLive, clock);
  EXPECT_EQ(a.roundup_text, b.roundup_text);
  EXPECT_EQ(a.forecast_html, b.forecast_html);
  clock.now += 3 * 3600;
  EXPECT_NE(MakeSampleDocuments(Scenario::kLive, clock).roundup_text, a.roundup_text);
}

TEST(SampleDocuments, PinnedScenariosPinTheWeather) {
  struct {
    Scenario scenario;
    mw_sample::Picture picture;
  } cases[] = {{Scenario::kSunny, mw_sample::Picture::kSun},
               {Scenario::kCloudy, mw_sample::Picture::kCloud},
               {Scenario::kFog, mw_sample::Picture::kCloud},
               {Scenario::kRain, mw_sample::Picture::kRain},
               {Scenario::kShowers, mw_sample::Picture::kRain},
               {Scenario::kSnow, mw_sample::Picture::kSnow},
               {Scenario::kFreezingRain, mw_sample::Picture::kSnow}};
  for (const auto& c : cases) {
    for (const SampleClock& clock : Clocks()) {
      EXPECT_EQ(MakeSampleDocuments(c.scenario, clock).picture, c.picture) << Name(c.scenario);
    }
  }
  for (const SampleClock& clock : Clocks()) {
    EXPECT_FALSE(MakeSampleDocuments(Scenario::kUnavailable, clock).secondary_reports);
  }
}

TEST(SampleDocuments, IssueTimeAndPeriodsFollowTheLocalClock) {
  // 09:15 UTC is 02:15 in MST: the night before, so the first period is
  // TONIGHT, and the next day's name follows.
  SampleDocuments night =
      MakeSampleDocuments(Scenario::kSunny, {kTuesday0915Utc, -7 * 3600, "MST"});
  EXPECT_EQ(night.forecast_line.rfind(".TONIGHT...", 0), 0u) << night.forecast_line;
  EXPECT_NE(night.forecast_line.find(".TUESDAY..."), npos);
  SampleDocuments morning = MakeSampleDocuments(Scenario::kSunny, {kTuesday0915Utc, 0, "UTC"});
  EXPECT_EQ(morning.forecast_line.rfind(".TODAY...", 0), 0u) << morning.forecast_line;
  EXPECT_NE(morning.forecast_line.find(".TONIGHT...CLEAR."), npos);
  EXPECT_NE(morning.forecast_line.find(".WEDNESDAY..."), npos);
  SampleDocuments evening =
      MakeSampleDocuments(Scenario::kSunny, {kTuesday0915Utc + 9 * 3600, 0, "UTC"});
  EXPECT_EQ(evening.forecast_line.rfind(".TONIGHT...", 0), 0u) << evening.forecast_line;
  EXPECT_NE(evening.forecast_text.find("\r\r\n615 PM UTC TUE MAR 5 2024\r\r\n"), npos);
  EXPECT_NE(night.roundup_text.find("\r\r\n215 AM MST TUE MAR 5 2024\r\r\n"), npos);
  EXPECT_NE(night.forecast_text.find("\r\r\n215 AM MST TUE MAR 5 2024\r\r\n"), npos);
}

TEST(SampleDocuments, NotFoundPageEscapesThePath) {
  std::string page = mw_sample::NotFoundPage("/a<b>&\"c");
  EXPECT_NE(page.find("/a&lt;b&gt;&amp;&quot;c"), npos);
  EXPECT_EQ(page.find("<b>"), npos);
}

// ---- the program's own cuts on them ----

ConditionPicture Expected(mw_sample::Picture picture) {
  switch (picture) {
    case mw_sample::Picture::kSun:
      return ConditionPicture::kSun;
    case mw_sample::Picture::kCloud:
      return ConditionPicture::kCloud;
    case mw_sample::Picture::kRain:
      return ConditionPicture::kRain;
    case mw_sample::Picture::kSnow:
      return ConditionPicture::kSnow;
  }
  return ConditionPicture::kUnchanged;
}

void Append(WorkBuffer& buffer, const std::string& body) {
  for (const std::string& line : SplitDocumentLines(body.substr(0, kDocumentLimit))) {
    buffer.AppendLine(line);
  }
}

TEST(SampleDocumentsCut, TheTickerCutsWhatTheServerMeant) {
  for (Scenario scenario : mw_sample::AllScenarios()) {
    for (const SampleClock& clock : Clocks()) {
      SCOPED_TRACE(std::string(Name(scenario)) + " at " + std::to_string(clock.now));
      SampleDocuments docs = MakeSampleDocuments(scenario, clock);
      for (bool alternate : {false, true}) {
        SCOPED_TRACE(alternate ? "alternate source" : "primary source");
        // Start-up path: the buffer's two initial empty lines, then the
        // roundup.
        WorkBuffer startup;
        Append(startup, alternate ? docs.roundup_html : docs.roundup_text);
        auto stations = CutConditions(startup);
        ASSERT_TRUE(stations.has_value());
        EXPECT_EQ(stations->primary, docs.primary_entry);
        EXPECT_EQ(stations->secondary, docs.secondary_entry);
        EXPECT_EQ(ChooseConditionPicture(stations->primary), Expected(docs.picture))
            << stations->primary;

        // A roundup behind the joined forecast that the forecast cut leaves
        // in the buffer cuts the same.
        WorkBuffer buffer;
        buffer.ClearBuffer();
        Append(buffer, alternate ? docs.forecast_html : docs.forecast_text);
        auto forecast = CutForecast(buffer);
        ASSERT_TRUE(forecast.has_value());
        EXPECT_EQ(*forecast, docs.forecast_line);
        Append(buffer, alternate ? docs.roundup_html : docs.roundup_text);
        auto behind = CutConditions(buffer);
        ASSERT_TRUE(behind.has_value());
        EXPECT_EQ(behind->primary, docs.primary_entry);
        EXPECT_EQ(behind->secondary, docs.secondary_entry);
      }
      if (testing::Test::HasFailure()) return;
    }
  }
}

}  // namespace
