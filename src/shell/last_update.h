// The hint that tells when the forecast was last fetched:
// "Last Updated <long date> at <long time>".
//
// The text is built from a moment and the locale's formats, which are taken
// apart from the formatting so that tests can fix both. The date follows the
// locale's long date pattern (QLocale's pattern letters, with its month and
// day names); where the locale has none it is "MMMM d, yyyy". The time is
// always hours, separator, two-digit minutes, separator, two-digit seconds:
// the hours have two digits only where the locale's long time format writes
// them so (HH, hh), and where the locale does not use the 24-hour clock they
// run 12, 1 ... 11 and are followed by a blank and the AM or PM designator
// (AM before 12:00, PM from 12:00 on).
//
// The result is UTF-8 bytes, so that the locale's month and day names, its
// digits and its designators in any script are kept and stored as they are
// and show truly (display_text.h shows valid UTF-8 as UTF-8).
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <string>

struct LastUpdateFormats {
  QLocale names = QLocale::c();  // month and day names for the date pattern
  QString long_date_pattern;     // empty: "MMMM d, yyyy"
  QString time_separator = QStringLiteral(":");
  bool leading_zero_hours = false;
  bool clock_24_hour = false;
  QString am_designator = QStringLiteral("AM");
  QString pm_designator = QStringLiteral("PM");

  // What `locale` asks for: its long date pattern, and the separator, the
  // hour digits and the clock read from its long time format; its AM/PM
  // texts.
  static LastUpdateFormats FromLocale(const QLocale& locale);

  bool operator==(const LastUpdateFormats&) const = default;
};

// "Last Updated " + the long date + " at " + the long time of `when` (taken
// as it stands: the caller passes local time).
std::string FormatLastUpdate(const QDateTime& when, const LastUpdateFormats& formats);
