#include "win32/ui/locale_formats.h"

#include <windows.h>

#include <string>

namespace {

// One locale item of the user's locale; `fallback` where the system has none.
std::string LocaleText(LCTYPE item, const std::string& fallback) {
  char text[256];
  const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, item, text, sizeof text);
  if (length <= 1) return fallback;
  return std::string(text, static_cast<std::size_t>(length - 1));
}

}  // namespace

LastUpdateFormats UserLocaleFormats() {
  LastUpdateFormats formats;
  formats.long_date_pattern = LocaleText(LOCALE_SLONGDATE, "");
  for (int month = 0; month < 12; ++month) {
    formats.month_names[month] = LocaleText(LOCALE_SMONTHNAME1 + month, formats.month_names[month]);
    formats.short_month_names[month] =
        LocaleText(LOCALE_SABBREVMONTHNAME1 + month, formats.short_month_names[month]);
  }
  // Windows counts the days from Monday, as the stamp does.
  for (int day = 0; day < 7; ++day) {
    formats.day_names[day] = LocaleText(LOCALE_SDAYNAME1 + day, formats.day_names[day]);
    formats.short_day_names[day] =
        LocaleText(LOCALE_SABBREVDAYNAME1 + day, formats.short_day_names[day]);
  }
  formats.time_separator = LocaleText(LOCALE_STIME, formats.time_separator);
  formats.clock_24_hour = LocaleText(LOCALE_ITIME, "0") == "1";
  formats.leading_zero_hours = LocaleText(LOCALE_ITLZERO, "0") == "1";
  // A designator may be empty on purpose; only a missing one takes the default.
  char text[256];
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_S1159, text, sizeof text) > 0) {
    formats.am_designator = text;
  }
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_S2359, text, sizeof text) > 0) {
    formats.pm_designator = text;
  }
  return formats;
}

LocalTime LocalClockNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  LocalTime when;
  when.year = now.wYear;
  when.month = now.wMonth;
  when.day = now.wDay;
  when.day_of_week = now.wDayOfWeek == 0 ? 7 : now.wDayOfWeek;  // Sunday is 0 here
  when.hour = now.wHour;
  when.minute = now.wMinute;
  when.second = now.wSecond;
  return when;
}
