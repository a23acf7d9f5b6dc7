// The hint that tells when the forecast was last fetched:
// "Last Updated <long date> at <long time>".
//
// The text is built from a moment and the locale's formats, which each window
// system reads its own way (Qt's QLocale, Windows' locale information); tests
// fix both. The date follows the locale's long date pattern; where the locale
// has none it is "MMMM d, yyyy". The pattern letters are those both systems
// share: d and dd the day, ddd and dddd its short and long name, M and MM the
// month, MMM and MMMM its short and long name, yy and yyyy the year; text in
// single quotes stands as it is ('' is a quote), and so does every character
// that is not one of those letters. The time is always hours, separator,
// two-digit minutes, separator, two-digit seconds: the hours have two digits
// only where the locale writes them so, and where the locale does not use the
// 24-hour clock they run 12, 1 ... 11 and are followed by a blank and the
// designator for before noon (before 12:00) or after noon (from 12:00 on).
//
// Names, separator and designators are bytes and go into the text as they
// are (UTF-8 from Qt; the system's code page on Windows).
#pragma once

#include <array>
#include <string>

// A local date and time as the clock shows it.
struct LocalTime {
  int year = 2000;
  int month = 1;        // 1..12
  int day = 1;          // 1..31
  int day_of_week = 6;  // 1 Monday .. 7 Sunday
  int hour = 0;         // 0..23
  int minute = 0;
  int second = 0;
};

// The computer's local time now, from the C library's clock and time zone.
LocalTime LocalTimeNow();

struct LastUpdateFormats {
  std::string long_date_pattern;  // empty: "MMMM d, yyyy"
  // Month names January first, day names Monday first.
  std::array<std::string, 12> month_names{"January", "February", "March",     "April",
                                          "May",     "June",     "July",      "August",
                                          "September", "October", "November", "December"};
  std::array<std::string, 12> short_month_names{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 7> day_names{"Monday", "Tuesday",  "Wednesday", "Thursday",
                                       "Friday", "Saturday", "Sunday"};
  std::array<std::string, 7> short_day_names{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
  // The digits the date's numbers are written in (some locales have their
  // own); the time is always written in ASCII digits.
  std::array<std::string, 10> digits{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
  std::string time_separator = ":";
  bool leading_zero_hours = false;
  bool clock_24_hour = false;
  std::string am_designator = "AM";
  std::string pm_designator = "PM";

  bool operator==(const LastUpdateFormats&) const = default;
};

// The date of `when` written by `pattern` (the letters above).
std::string FormatDate(const LocalTime& when, const std::string& pattern,
                       const LastUpdateFormats& formats);

// "Last Updated " + the long date + " at " + the long time of `when`.
std::string FormatLastUpdate(const LocalTime& when, const LastUpdateFormats& formats);
