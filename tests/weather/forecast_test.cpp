#include "weather/forecast.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "weather/loaded_buffer.h"

namespace {

// The Marrowby metro zone's paragraph begins 41 characters after the first
// character of "ING MARROWBY METRO": 18 for the key, 2 for the line break,
// 19 for the issue-time line and 2 for its line break.
constexpr char kIssueTime[] = "400 AM EDT MON 6/12";

std::string ZoneForecast(const std::string& issue_time, const std::string& paragraph) {
  return "000 \r\r\n"
         "FPUS55 KMRB 121000\r\r\n"
         "ZFPMRB\r\r\n"
         "\r\r\n"
         "ZONE FORECAST PRODUCT\r\r\n"
         "NATIONAL WEATHER SERVICE MARROWBY\r\r\n"
         "400 AM EDT MON JUN 12 2023\r\r\n"
         "\r\r\n"
         "MRZ014-122000-\r\r\n"
         "NORTH COAST-\r\r\n"
         "INCLUDING THE CITIES OF...ASHCOMBE\r\r\n"
         "400 AM EDT MON 6/12\r\r\n"
         ".TODAY...SUNNY. HIGHS IN THE LOWER 70S.<END>\r\r\n"
         "$$\r\r\n"
         "MRZ015-122000-\r\r\n"
         "MARROWBY METRO-\r\r\n"
         "INCLUDING MARROWBY METRO\r\r\n" +
         issue_time + "\r\r\n" + paragraph +
         "$$\r\r\n"
         "MRZ016-122000-\r\r\n"
         "BRENNIK VALLEY-\r\r\n"
         "400 AM EDT MON 6/12\r\r\n"
         ".TODAY...RAIN LIKELY. HIGHS IN THE MID 60S.<END>\r\r\n"
         "$$\r\r\n";
}

constexpr char kParagraph[] =
    ".TODAY...MOSTLY SUNNY. HIGHS AROUND 72. WEST WINDS 5 TO 10 MPH.\r\r\n"
    ".TONIGHT...PARTLY CLOUDY. LOWS IN THE MID 50S. LIGHT AND VARIABLE\r\r\n"
    "WINDS.\r\r\n"
    ".TUESDAY...CHANCE OF SHOWERS. HIGHS IN THE UPPER 60S.<END>\r\r\n";
constexpr char kJoined[] =
    ".TODAY...MOSTLY SUNNY. HIGHS AROUND 72. WEST WINDS 5 TO 10 MPH. "
    ".TONIGHT...PARTLY CLOUDY. LOWS IN THE MID 50S. LIGHT AND VARIABLE "
    "WINDS. "
    ".TUESDAY...CHANCE OF SHOWERS. HIGHS IN THE UPPER 60S";

// Every CR LF pair replaced by one blank.
std::string JoinBreaks(std::string text) {
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; ++at) {
    text.replace(at, 2, " ");
  }
  return text;
}

std::string Cut(WorkBuffer& buffer) {
  const std::optional<std::string> forecast = CutForecast(buffer);
  EXPECT_TRUE(forecast.has_value());
  EXPECT_EQ(buffer.WholeText(), forecast.value_or("<none>"));  // the buffer keeps it
  return forecast.value_or("<none>");
}

class ForecastInEveryState : public testing::TestWithParam<BufferState> {};

INSTANTIATE_TEST_SUITE_P(BufferStates, ForecastInEveryState,
                         testing::Values(BufferState::kInitial, BufferState::kCleared,
                                         BufferState::kForecastLine));

// ---- The paragraph ---------------------------------------------------------

TEST_P(ForecastInEveryState, TheZonesParagraphBecomesOneLine) {
  WorkBuffer buffer = LoadedBuffer(ZoneForecast(kIssueTime, kParagraph), GetParam());
  EXPECT_EQ(Cut(buffer), kJoined);
}

TEST(ForecastCut, TheAlternateSourcesPageCutsAlike) {
  const std::string page =
      "<html><head><title>Zone Forecast</title></head><body><pre>\n"
      "MRZ015-122000-\n"
      "MARROWBY METRO-\n"
      "INCLUDING MARROWBY METRO\n"
      "400 AM EDT MON 6/12\n"
      ".TODAY...MOSTLY SUNNY. HIGHS AROUND 72. WEST WINDS 5 TO 10 MPH.\n"
      ".TONIGHT...PARTLY CLOUDY. LOWS IN THE MID 50S. LIGHT AND VARIABLE\n"
      "WINDS.\n"
      ".TUESDAY...CHANCE OF SHOWERS. HIGHS IN THE UPPER 60S.</pre>\n"
      "</body></html>\n";
  WorkBuffer buffer = LoadedBuffer(page, BufferState::kCleared);
  EXPECT_EQ(Cut(buffer), kJoined);
}

TEST(ForecastCut, TheKeyMatchesInAnyCase) {
  std::string body = ZoneForecast(kIssueTime, kParagraph);
  body.replace(body.find("INCLUDING MARROWBY METRO"), 24, "Including Marrowby metro");
  WorkBuffer buffer = LoadedBuffer(body, BufferState::kCleared);
  EXPECT_EQ(Cut(buffer), kJoined);
  // 41 from the key's first letter is the "g" of "nothing".
  WorkBuffer lower = LoadedBuffer(
      "ing marrowby metro is preceded\nby nothing\n" + std::string(30, '-') + "\nTEXT.<\n",
      BufferState::kInitial);
  EXPECT_EQ(Cut(lower), "g " + std::string(30, '-') + " TEXT");
}

TEST(ForecastCut, AKeyAtPositionZeroIsNotFound) {
  WorkBuffer alone =
      LoadedBuffer("ING MARROWBY METRO\n400 AM EDT MON 6/12\nSUNNY.<\n", BufferState::kCleared);
  const std::string before = alone.WholeText();
  EXPECT_FALSE(CutForecast(alone));
  EXPECT_EQ(alone.WholeText(), before);
  // A later occurrence is used.
  WorkBuffer later = LoadedBuffer("ING MARROWBY METRO\n" + ZoneForecast(kIssueTime, kParagraph),
                                  BufferState::kCleared);
  EXPECT_EQ(Cut(later), kJoined);
}

// ---- Where the excerpt begins ------------------------------------------------

TEST(ForecastCut, ABreakAtTheExcerptsFrontIsKeptAndOneAtPositionOneIsJoined) {
  const std::string paragraph = "SUNNY.\r\r\nWINDY.<\r\r\n";
  // A 21-character issue-time line puts the start on the CR of the break
  // before the paragraph, a 20-character one on its LF: the start moves back
  // onto the CR and, the length being counted from there, the excerpt ends
  // one character early.
  WorkBuffer on_cr =
      LoadedBuffer(ZoneForecast("400 AM EDT MON 6/12  ", paragraph), BufferState::kCleared);
  EXPECT_EQ(Cut(on_cr), "\r\nSUNNY. WINDY");
  WorkBuffer on_lf =
      LoadedBuffer(ZoneForecast("400 AM EDT MON 6/12 ", paragraph), BufferState::kCleared);
  EXPECT_EQ(Cut(on_lf), "\r\nSUNNY. WIND");
  // With 22 the excerpt begins with the time line's last character.
  WorkBuffer buffer =
      LoadedBuffer(ZoneForecast("400 AM EDT MON 6/12  Z", paragraph), BufferState::kCleared);
  EXPECT_EQ(Cut(buffer), "Z SUNNY. WINDY");
}

TEST(ForecastCut, TheEndKeysFullStopIsLeftOut) {
  WorkBuffer buffer =
      LoadedBuffer(ZoneForecast(kIssueTime, "A.B.C..<END>\r\r\n"), BufferState::kCleared);
  EXPECT_EQ(Cut(buffer), "A.B.C.");
  // An end key directly at the start gives the empty text.
  WorkBuffer empty = LoadedBuffer(ZoneForecast(kIssueTime, ".<END>\r\r\n"), BufferState::kCleared);
  EXPECT_EQ(Cut(empty), "");
}

// ---- Missing end key -------------------------------------------------------------

TEST(ForecastMissingEnd, TheDocumentsBeginningUpToTheStartBecomesTheForecast) {
  const std::string paragraph = "SUNNY.\r\r\nWINDY.\r\r\n<END>\r\r\n";  // "." and "<" split apart
  std::string body = ZoneForecast(kIssueTime, paragraph);
  for (std::size_t at; (at = body.find(".<")) != std::string::npos;) body.erase(at, 2);
  WorkBuffer buffer = LoadedBuffer(body, BufferState::kCleared);
  const std::string text = buffer.WholeText();
  const std::size_t start = text.find("ING MARROWBY METRO") + 41;
  ASSERT_EQ(text.substr(start, 6), "SUNNY.");
  EXPECT_EQ(Cut(buffer), JoinBreaks(text.substr(0, start)));
}

TEST(ForecastMissingEnd, OnTheInitialContentTheFirstBreakStaysInFront) {
  WorkBuffer buffer = LoadedBuffer("ZONES\nINCLUDING MARROWBY METRO\n400 AM EDT MON 6/12\nSUN\n",
                                   BufferState::kInitial);
  EXPECT_EQ(Cut(buffer), "\r\n ZONES INCLUDING MARROWBY METRO 400 AM EDT MON 6/12 ");
}

TEST(ForecastMissingEnd, AStartPastTheEndTakesTheWholeBuffer) {
  WorkBuffer buffer =
      LoadedBuffer("ZONE FORECAST\nINCLUDING MARROWBY METRO\nSUNNY\n", BufferState::kCleared);
  EXPECT_EQ(Cut(buffer), "ZONE FORECAST INCLUDING MARROWBY METRO SUNNY ");
}

// ---- No zone forecast in the buffer -----------------------------------------------

TEST(ForecastNoZone, ABufferWithoutTheKeyIsLeftAsItWas) {
  const std::vector<WorkBuffer> buffers = {
      WorkBuffer(),
      LoadedBuffer("", BufferState::kCleared),
      LoadedBuffer("", BufferState::kForecastLine),
      LoadedBuffer("<html><body><h1>404 Not Found</h1>MARROWBY METRO.</body></html>\n",
                   BufferState::kCleared),
      LoadedBuffer("INCLUDING MARROWBY METRO", BufferState::kCleared),  // line never ended
  };
  for (WorkBuffer buffer : buffers) {
    const std::string before = buffer.WholeText();
    EXPECT_FALSE(CutForecast(buffer));
    EXPECT_EQ(buffer.WholeText(), before);
  }
}

// ---- Joining the lines -------------------------------------------------------------

TEST(ForecastJoin, LinesOfEveryLengthAreJoinedWithOneBlankEach) {
  for (std::size_t length = 1; length <= 12; ++length) {
    for (std::size_t count = 1; count <= 6; ++count) {
      std::vector<std::string> lines;
      std::string text;
      std::string joined;
      for (std::size_t i = 0; i < count; ++i) {
        lines.emplace_back(length, static_cast<char>('a' + i));
        text += (i ? "\r\n" : "") + lines.back();
        joined += (i ? " " : "") + lines.back();
      }
      WorkBuffer buffer;
      buffer.SetWholeText(text);
      ReplaceLineBreaks(buffer, '\n');
      ReplaceLineBreaks(buffer, '\r');
      ASSERT_EQ(buffer.WholeText(), joined) << length << " x " << count;
      // A break closing the text becomes a blank as well.
      buffer.SetWholeText(text + "\r\n");
      ReplaceLineBreaks(buffer, '\n');
      ASSERT_EQ(buffer.WholeText(), joined + " ") << length << " x " << count;
    }
  }
}

TEST(ForecastJoin, MixedLineLengthsThroughTheWholeCut) {
  std::mt19937 random(99);
  for (int round = 0; round < 300; ++round) {
    std::string paragraph;
    std::string joined;
    const int count = 1 + static_cast<int>(random() % 10);
    for (int i = 0; i < count; ++i) {
      std::string line(1 + random() % 4, 'x');
      for (char& c : line) c = static_cast<char>('A' + random() % 26);
      if (i == count - 1) line += ".<END>";
      paragraph += line + (random() % 2 ? "\r\r\n" : "\n");
      joined += (i ? " " : "") + line;
    }
    joined.resize(joined.size() - 6);  // ".<END>"
    WorkBuffer buffer = LoadedBuffer(ZoneForecast(kIssueTime, paragraph), BufferState::kCleared);
    ASSERT_EQ(Cut(buffer), joined) << paragraph;
  }
}

TEST(ForecastJoin, TheCrPassFindsNothingAfterTheLfPassButJoinsAlone) {
  WorkBuffer buffer;
  buffer.SetWholeText("\r\nab\r\nc\r\nd");
  ReplaceLineBreaks(buffer, '\n');
  EXPECT_EQ(buffer.WholeText(), "\r\nab c d");
  ReplaceLineBreaks(buffer, '\r');
  EXPECT_EQ(buffer.WholeText(), "\r\nab c d");
  // Searching for the CR finds the break by its first half just as well.
  buffer.SetWholeText("ab\r\nc\r\nd");
  ReplaceLineBreaks(buffer, '\r');
  EXPECT_EQ(buffer.WholeText(), "ab c d");
}

}  // namespace
