#include "strip/last_update.h"

#include <ctime>
#include <string_view>

namespace {

// How often `c` repeats from `at` on.
std::size_t RunLength(std::string_view pattern, std::size_t at) {
  std::size_t end = at;
  while (end < pattern.size() && pattern[end] == pattern[at]) ++end;
  return end - at;
}

// `value` in the locale's digits, with at least `width` of them.
std::string Number(int value, std::size_t width, const LastUpdateFormats& formats) {
  std::string plain = std::to_string(value);
  if (plain.size() < width) plain.insert(0, width - plain.size(), '0');
  std::string written;
  for (char c : plain) {
    written += c >= '0' && c <= '9' ? formats.digits[static_cast<std::size_t>(c - '0')]
                                    : std::string(1, c);
  }
  return written;
}

std::string TwoDigits(int value) {
  return std::string(1, static_cast<char>('0' + value / 10)) +
         static_cast<char>('0' + value % 10);
}

}  // namespace

LocalTime LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &now);
#else
  localtime_r(&now, &parts);
#endif
  LocalTime when;
  when.year = parts.tm_year + 1900;
  when.month = parts.tm_mon + 1;
  when.day = parts.tm_mday;
  when.day_of_week = parts.tm_wday == 0 ? 7 : parts.tm_wday;
  when.hour = parts.tm_hour;
  when.minute = parts.tm_min;
  when.second = parts.tm_sec;
  return when;
}

std::string FormatDate(const LocalTime& when, const std::string& pattern,
                       const LastUpdateFormats& formats) {
  const std::string_view p = pattern;
  std::string date;
  std::size_t i = 0;
  while (i < p.size()) {
    const char c = p[i];
    if (c == '\'') {
      // Quoted text as it stands; '' is one quote, inside quotes or out. A
      // quote that is never closed runs to the end.
      if (i + 1 < p.size() && p[i + 1] == '\'') {
        date += '\'';
        i += 2;
        continue;
      }
      for (++i; i < p.size(); ++i) {
        if (p[i] != '\'') {
          date += p[i];
        } else if (i + 1 < p.size() && p[i + 1] == '\'') {
          date += '\'';
          ++i;
        } else {
          ++i;
          break;
        }
      }
      continue;
    }
    std::size_t run = RunLength(p, i);
    switch (c) {
      case 'd':
      case 'M': {
        if (run > 4) run = 4;
        const bool day = c == 'd';
        const int value = day ? when.day : when.month;
        const auto index = static_cast<std::size_t>((day ? when.day_of_week : when.month) - 1);
        if (run <= 2) {
          date += Number(value, run, formats);
        } else if (day) {
          date += run == 3 ? formats.short_day_names[index] : formats.day_names[index];
        } else {
          date += run == 3 ? formats.short_month_names[index] : formats.month_names[index];
        }
        break;
      }
      case 'y':
        // yyyy and yy; a lone y stands as it is.
        run = run >= 4 ? 4 : run >= 2 ? 2 : 1;
        if (run == 4) {
          date += Number(when.year, 4, formats);
        } else if (run == 2) {
          date += Number(when.year % 100, 2, formats);
        } else {
          date += c;
        }
        break;
      default:
        date.append(run, c);
        break;
    }
    i += run;
  }
  return date;
}

std::string FormatLastUpdate(const LocalTime& when, const LastUpdateFormats& formats) {
  const std::string date = FormatDate(
      when, formats.long_date_pattern.empty() ? "MMMM d, yyyy" : formats.long_date_pattern,
      formats);
  int hour = when.hour;
  if (!formats.clock_24_hour) hour = hour % 12 == 0 ? 12 : hour % 12;
  std::string time = formats.leading_zero_hours ? TwoDigits(hour) : std::to_string(hour);
  time += formats.time_separator + TwoDigits(when.minute) + formats.time_separator +
          TwoDigits(when.second);
  if (!formats.clock_24_hour) {
    time += ' ';
    time += when.hour < 12 ? formats.am_designator : formats.pm_designator;
  }
  return "Last Updated " + date + " at " + time;
}
