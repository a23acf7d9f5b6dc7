#include "weather/conditions.h"

#include <gtest/gtest.h>

#include <string>

#include "weather/loaded_buffer.h"

namespace {

constexpr char kHeader[] =
    "000 \r\r\n"
    "ASUS46 KMRB 121500\r\r\n"
    "RWRMRB\r\r\n"
    "\r\r\n"
    "REGIONAL WEATHER ROUNDUP\r\r\n"
    "NATIONAL WEATHER SERVICE MARROWBY\r\r\n"
    "1100 AM EDT MON JUN 12 2023\r\r\n"
    "\r\r\n"
    "...BRENNIK VALLEY AND COAST...\r\r\n"
    "\r\r\n"
    "CITY           SKY/WX    TMP DP  RH WIND       PRES   REMARKS\r\r\n";
constexpr char kAshcombe[] = "ASHCOMBE       SUNNY     72  55  55 W10        30.02F  TC 22\r\r\n";
constexpr char kMarrowby[] = "MARROWBY       PTCLDY    70  54  57 SW12G20    30.01S  TC 21\r\r\n";
constexpr char kTollerton[] = "TOLLERTON      LGT RAIN  61  58  90 VRB3       29.95F  TC 16\r\r\n";
constexpr char kWendmoore[] = "WENDMOORE      CLOUDY    66  52  60 CALM       30.00R  TC 19\r\r\n";
constexpr char kFooter[] = "$$\r\r\n";

constexpr char kMarrowbyEntry[] = "MARROWBY       PTCLDY    70  54  57 SW12G20    30.01S ";
constexpr char kWendmooreEntry[] = "WENDMOORE      CLOUDY    66  52  60 CALM       30.00R ";

std::string Roundup(const std::string& rows) { return kHeader + rows + kFooter; }

std::string FullRoundup() {
  return Roundup(std::string(kAshcombe) + kMarrowby + kTollerton + kWendmoore);
}

StationLines Cut(const WorkBuffer& buffer) {
  const std::optional<StationLines> lines = CutConditions(buffer);
  EXPECT_TRUE(lines.has_value());
  return lines.value_or(StationLines{"<none>", "<none>"});
}

// The stretch of the buffer from `from` up to the first `until` after it.
std::string Between(const WorkBuffer& buffer, std::string_view from, std::string_view until) {
  const std::string& text = buffer.WholeText();
  const std::size_t begin = text.find(from);
  return text.substr(begin, text.find(until, begin) - begin);
}

class ConditionsInEveryState : public testing::TestWithParam<BufferState> {};

INSTANTIATE_TEST_SUITE_P(BufferStates, ConditionsInEveryState,
                         testing::Values(BufferState::kInitial, BufferState::kCleared,
                                         BufferState::kForecastLine));

// ---- Anchor and station positions -----------------------------------------

TEST_P(ConditionsInEveryState, BothStationsAreCutUpToTheirEndKey) {
  const StationLines lines = Cut(LoadedBuffer(FullRoundup(), GetParam()));
  EXPECT_EQ(lines.primary, kMarrowbyEntry);
  EXPECT_EQ(lines.secondary, kWendmooreEntry);
}

TEST_P(ConditionsInEveryState, TheAlternateSourcesPageCutsAlike) {
  const std::string page =
      "<html><head><title>Hourly Weather Roundup</title></head><body>\n<pre>\n"
      "...BRENNIK VALLEY AND COAST...\n\n"
      "CITY           SKY/WX    TMP DP  RH WIND       PRES   REMARKS\n"
      "WENDMOORE      CLOUDY    66  52  60 CALM       30.00R  TC 19\n"
      "MARROWBY       PTCLDY    70  54  57 SW12G20    30.01S  TC 21\n"
      "</pre></body></html>\n";
  const StationLines lines = Cut(LoadedBuffer(page, GetParam()));
  EXPECT_EQ(lines.primary, kMarrowbyEntry);
  EXPECT_EQ(lines.secondary, kWendmooreEntry);
}

TEST_P(ConditionsInEveryState, StationsNotReportingGiveTheirNameAndBlanks) {
  const std::string roundup = Roundup(std::string(kAshcombe) + "MARROWBY       NOT AVBL\r\r\n" +
                                      kTollerton + "WENDMOORE      NOT AVBL\r\r\n");
  const StationLines lines = Cut(LoadedBuffer(roundup, GetParam()));
  EXPECT_EQ(lines.primary, "MARROWBY       ");
  EXPECT_EQ(lines.secondary, "WENDMOORE      ");
}

TEST(ConditionsStations, ThePrimaryStationIsTakenAfterTheAnchorOnly) {
  // The header names MARROWBY before the anchor; that occurrence is passed over.
  const WorkBuffer buffer = LoadedBuffer(FullRoundup(), BufferState::kCleared);
  ASSERT_LT(buffer.WholeText().find("MARROWBY"), buffer.WholeText().find("BRENNIK"));
  EXPECT_EQ(Cut(buffer).primary, kMarrowbyEntry);
}

TEST(ConditionsStations, WithoutThePrimaryStationItsSearchStartsFiveIntoTheAnchor) {
  const WorkBuffer buffer =
      LoadedBuffer(Roundup(std::string(kAshcombe) + kWendmoore), BufferState::kCleared);
  const StationLines lines = Cut(buffer);
  EXPECT_EQ(lines.primary, Between(buffer, "IK VALLEY", " TC"));
  EXPECT_EQ(lines.primary.substr(0, 9), "IK VALLEY");
  EXPECT_EQ(lines.secondary, kWendmooreEntry);
}

TEST(ConditionsStations, AnAnchorAtPositionOneIsFound) {
  const StationLines lines =
      Cut(LoadedBuffer(" BRENNIK\nMARROWBY CLR TC 1\n", BufferState::kCleared));
  EXPECT_EQ(lines.primary, "MARROWBY CLR");
}

TEST(ConditionsStations, TheSecondaryStationIsSearchedFromTheBuffersBeginning) {
  // Whatever the buffer held before the roundup is searched as well.
  const std::string forecast = "Breezy near Wendmoore tonight. Lows 50";
  const WorkBuffer buffer = LoadedBuffer(FullRoundup(), BufferState::kForecastLine, forecast);
  const StationLines lines = Cut(buffer);
  EXPECT_EQ(lines.primary, kMarrowbyEntry);
  EXPECT_EQ(lines.secondary, Between(buffer, "Wendmoore tonight", " TC"));
  EXPECT_EQ(lines.secondary.find("Wendmoore tonight. Lows 50\r\n000 \r\n"), 0u);
}

TEST(ConditionsStations, WithoutTheSecondaryStationBothEntriesAreTheSame) {
  const StationLines lines =
      Cut(LoadedBuffer(Roundup(std::string(kAshcombe) + kMarrowby), BufferState::kCleared));
  EXPECT_EQ(lines.primary, kMarrowbyEntry);
  EXPECT_EQ(lines.secondary, kMarrowbyEntry);
}

TEST(ConditionsStations, KeysAtPositionZeroAreNotFound) {
  // WENDMOORE opens the buffer and appears nowhere else.
  const std::string body = "WENDMOORE      CLOUDY  TC 19\n" + Roundup(kMarrowby);
  const StationLines lines = Cut(LoadedBuffer(body, BufferState::kCleared));
  EXPECT_EQ(lines.primary, kMarrowbyEntry);
  EXPECT_EQ(lines.secondary, kMarrowbyEntry);

  // An anchor at position 0 is passed over; a later one is used.
  const std::string two_anchors = "BRENNIK\n" + Roundup(kMarrowby);
  EXPECT_EQ(Cut(LoadedBuffer(two_anchors, BufferState::kCleared)).primary, kMarrowbyEntry);
  EXPECT_FALSE(
      CutConditions(LoadedBuffer("BRENNIK\nMARROWBY SUNNY TC 20\n", BufferState::kCleared)));
}

// ---- The not-available window ----------------------------------------------

TEST(ConditionsNotWindow, NotMustEndWithinEighteenCharactersOfTheStation) {
  for (int offset = 9; offset <= 20; ++offset) {
    const std::string row = "MARROWBY" + std::string(offset - 8, ' ') + "NOT AVBL  TC 20";
    const std::string body =
        "BRENNIK\n" + row + "\nWENDMOORE" + std::string(offset - 9, ' ') + "NOT AVBL  TC 21\n";
    const StationLines lines = Cut(LoadedBuffer(body, BufferState::kInitial));
    if (offset <= 15) {
      EXPECT_EQ(lines.primary, row.substr(0, offset)) << offset;
      EXPECT_EQ(lines.secondary, "WENDMOORE" + std::string(offset - 9, ' ')) << offset;
    } else {  // from 16 on, " TC" decides
      EXPECT_EQ(lines.primary, row.substr(0, row.find(" TC"))) << offset;
      EXPECT_EQ(lines.secondary.substr(0, 9), "WENDMOORE") << offset;
      EXPECT_EQ(lines.secondary.find(" TC"), std::string::npos) << offset;
    }
  }
}

TEST(ConditionsNotWindow, ALineBreakCountsTwoPositionsInTheWindow) {
  // 8 letters, CR LF, 3 blanks: "NOT" begins 13 after the station and is found.
  const StationLines lines =
      Cut(LoadedBuffer("x BRENNIK\nMARROWBY\n   NOT AVBL TC 1\n", BufferState::kCleared));
  EXPECT_EQ(lines.primary, "MARROWBY\r\n   ");
}

// ---- Missing end keys --------------------------------------------------------

TEST(ConditionsEndKey, AnEntryRunsOnToAnEndKeyOnALaterLine) {
  const std::string rows = "MARROWBY       PTCLDY    70  54  57 SW12G20    30.01S\r\r\n" +
                           std::string(kTollerton) + kWendmoore;
  const StationLines lines = Cut(LoadedBuffer(Roundup(rows), BufferState::kCleared));
  EXPECT_EQ(lines.primary,
            "MARROWBY       PTCLDY    70  54  57 SW12G20    30.01S\r\n"
            "TOLLERTON      LGT RAIN  61  58  90 VRB3       29.95F ");
  EXPECT_EQ(lines.secondary, kWendmooreEntry);
}

TEST_P(ConditionsInEveryState, WithoutAnyEndKeyEachEntryIsTheTextBeforeIt) {
  const std::string rows =
      "MARROWBY       PTCLDY    70  54  57 SW12G20    30.01S\r\r\n"
      "WENDMOORE      CLOUDY    66  52  60 CALM       30.00R\r\r\n";
  const WorkBuffer buffer = LoadedBuffer(Roundup(rows), GetParam());
  const std::string& text = buffer.WholeText();
  const std::size_t marrowby = text.find("MARROWBY   ");
  const StationLines lines = Cut(buffer);
  EXPECT_EQ(lines.primary, text.substr(0, marrowby));
  EXPECT_EQ(lines.secondary, text.substr(0, text.find("WENDMOORE")));
  EXPECT_EQ(lines.primary.substr(0, Prefix(GetParam()).size()), Prefix(GetParam()));
}

TEST(ConditionsEndKey, WithoutItsOwnEndTheSecondaryEndsWhereThePrimaryDid) {
  // The secondary entry becomes the text between the primary's end key and
  // the secondary station.
  const std::string rows = std::string(kMarrowby) + kTollerton +
                           "WENDMOORE      CLOUDY    66  52  60 CALM       30.00R\r\r\n";
  const WorkBuffer buffer = LoadedBuffer(Roundup(rows), BufferState::kCleared);
  const StationLines lines = Cut(buffer);
  EXPECT_EQ(lines.primary, kMarrowbyEntry);
  EXPECT_EQ(lines.secondary,
            " TC 21\r\n"
            "TOLLERTON      LGT RAIN  61  58  90 VRB3       29.95F  TC 16\r\n");
}

// ---- Case mixes -----------------------------------------------------------------

TEST(ConditionsCase, KeysMatchInAnyCaseAndEntriesKeepTheDocumentsCase) {
  const std::string roundup =
      "Regional Weather Roundup\n"
      "...Brennik Valley...\n"
      "Marrowby       Mostly Sunny 71 tc 22\n"
      "wendMOORE      Not Avbl\n";
  const StationLines lines = Cut(LoadedBuffer(roundup, BufferState::kForecastLine));
  EXPECT_EQ(lines.primary, "Marrowby       Mostly Sunny 71");
  EXPECT_EQ(lines.secondary, "wendMOORE      ");
}

// ---- No roundup in the buffer ---------------------------------------------------

TEST(ConditionsNoRoundup, ABufferWithoutTheAnchorIsLeftUncut) {
  EXPECT_FALSE(CutConditions(WorkBuffer()));
  EXPECT_FALSE(CutConditions(LoadedBuffer("", BufferState::kCleared)));
  EXPECT_FALSE(CutConditions(LoadedBuffer("", BufferState::kForecastLine)));
  const std::string not_found =
      "<html><head><title>404 Not Found</title></head>\n"
      "<body><h1>Not Found</h1><p>MARROWBY WENDMOORE TC</p></body></html>\n";
  EXPECT_FALSE(CutConditions(LoadedBuffer(not_found, BufferState::kCleared)));
  // The anchor on the unfinished last line never reaches the buffer.
  EXPECT_FALSE(CutConditions(LoadedBuffer("ROUNDUP\nBRENNIK", BufferState::kCleared)));
}

}  // namespace
