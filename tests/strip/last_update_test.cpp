// The "Last Updated" stamp from a fixed moment and fixed locale formats: the
// clock, the date pattern's letters, quoted text, names and digits.
#include "strip/last_update.h"

#include <gtest/gtest.h>

namespace {

// Tuesday, 5 March 2024.
LocalTime At(int hour, int minute = 4, int second = 5) {
  return LocalTime{2024, 3, 5, 2, hour, minute, second};
}

std::string Stamp(const LastUpdateFormats& formats, int hour, int minute = 4, int second = 5) {
  return FormatLastUpdate(At(hour, minute, second), formats);
}

// Without a long date pattern the date is "MMMM d, yyyy".
TEST(LastUpdateText, TwelveHourClockWithDesignators) {
  LastUpdateFormats us;
  EXPECT_EQ(Stamp(us, 15), "Last Updated March 5, 2024 at 3:04:05 PM");
  EXPECT_EQ(Stamp(us, 9), "Last Updated March 5, 2024 at 9:04:05 AM");
  EXPECT_EQ(Stamp(us, 0, 0, 0), "Last Updated March 5, 2024 at 12:00:00 AM");
  EXPECT_EQ(Stamp(us, 11, 59, 59), "Last Updated March 5, 2024 at 11:59:59 AM");
  EXPECT_EQ(Stamp(us, 12, 0, 0), "Last Updated March 5, 2024 at 12:00:00 PM");
  EXPECT_EQ(Stamp(us, 23, 0, 9), "Last Updated March 5, 2024 at 11:00:09 PM");

  LastUpdateFormats other = us;
  other.leading_zero_hours = true;
  other.am_designator = "vorm.";
  other.pm_designator = "\xE5\x8D\x88\xE5\xBE\x8C";  // UTF-8, kept as it is
  EXPECT_EQ(Stamp(other, 9), "Last Updated March 5, 2024 at 09:04:05 vorm.");
  EXPECT_EQ(Stamp(other, 0, 0, 0), "Last Updated March 5, 2024 at 12:00:00 vorm.");
  EXPECT_EQ(Stamp(other, 13), "Last Updated March 5, 2024 at 01:04:05 \xE5\x8D\x88\xE5\xBE\x8C");
}

TEST(LastUpdateText, TwentyFourHourClockWithItsSeparator) {
  LastUpdateFormats de;
  de.clock_24_hour = true;
  de.leading_zero_hours = true;
  EXPECT_EQ(Stamp(de, 15), "Last Updated March 5, 2024 at 15:04:05");
  EXPECT_EQ(Stamp(de, 0, 0, 0), "Last Updated March 5, 2024 at 00:00:00");
  EXPECT_EQ(Stamp(de, 12, 0, 0), "Last Updated March 5, 2024 at 12:00:00");
  EXPECT_EQ(Stamp(de, 7, 8, 9), "Last Updated March 5, 2024 at 07:08:09");
  de.leading_zero_hours = false;
  de.time_separator = ".";
  EXPECT_EQ(Stamp(de, 7, 8, 9), "Last Updated March 5, 2024 at 7.08.09");
}

TEST(LastUpdateText, DatePatternLetters) {
  const LastUpdateFormats formats;
  const auto date = [&](const std::string& pattern) {
    return FormatDate(At(10), pattern, formats);
  };
  EXPECT_EQ(date("d dd ddd dddd"), "5 05 Tue Tuesday");
  EXPECT_EQ(date("M MM MMM MMMM"), "3 03 Mar March");
  EXPECT_EQ(date("yy yyyy"), "24 2024");
  // Longer runs: four letters, then the rest as a run of its own; a lone y
  // stands as it is.
  EXPECT_EQ(date("dddddd"), "Tuesday05");
  EXPECT_EQ(date("y yyy"), "y 24y");
  // Every other character stands as it is, letters included.
  EXPECT_EQ(date("h:mm, dd/MM (Ab)"), "h:mm, 05/03 (Ab)");
  // Quoted text stands as it is; '' is a quote, inside quotes or out; an
  // unclosed quote runs to the end.
  EXPECT_EQ(date("'day' d 'of' MMMM"), "day 5 of March");
  EXPECT_EQ(date("d''M 'it''s'"), "5'3 it's");
  EXPECT_EQ(date("d 'MMMM yyyy"), "5 MMMM yyyy");

  const LocalTime christmas{2007, 12, 25, 2, 0, 0, 0};
  EXPECT_EQ(FormatDate(christmas, "dd.MM.yy dddd", formats), "25.12.07 Tuesday");
  const LocalTime sunday{1999, 1, 3, 7, 0, 0, 0};
  EXPECT_EQ(FormatDate(sunday, "ddd d MMM yy", formats), "Sun 3 Jan 99");
}

// Names and digits are the locale's, as bytes; the time keeps ASCII digits.
TEST(LastUpdateText, TheLocalesNamesAndDigitsInTheDateOnly) {
  LastUpdateFormats de;
  de.long_date_pattern = "dddd, d. MMMM yyyy";
  de.month_names[2] = "M\xC3\xA4rz";
  de.day_names[1] = "Dienstag";
  de.clock_24_hour = true;
  EXPECT_EQ(Stamp(de, 15), "Last Updated Dienstag, 5. M\xC3\xA4rz 2024 at 15:04:05");
  de.long_date_pattern.clear();
  EXPECT_EQ(Stamp(de, 15), "Last Updated M\xC3\xA4rz 5, 2024 at 15:04:05");

  LastUpdateFormats eg;
  for (int i = 0; i < 10; ++i) {
    eg.digits[static_cast<std::size_t>(i)] = std::string("\xD9") + static_cast<char>('\xA0' + i);
  }
  eg.long_date_pattern = "dd/MM/yyyy";
  EXPECT_EQ(Stamp(eg, 9),
            "Last Updated \xD9\xA0\xD9\xA5/\xD9\xA0\xD9\xA3/\xD9\xA2\xD9\xA0\xD9\xA2\xD9\xA4"
            " at 9:04:05 AM");
}

}  // namespace
