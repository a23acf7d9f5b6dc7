#include "qt/ui/locale_formats.h"

#include <QList>
#include <QString>

namespace {

// The pattern with its quoted literals marked: `literal[i]` is true where
// `text[i]` is a character to be shown as it stands, not a pattern letter.
struct Pattern {
  QString text;
  QList<bool> literal;
};

Pattern Unquote(const QString& format) {
  Pattern pattern;
  bool quoted = false;
  for (qsizetype i = 0; i < format.size(); ++i) {
    const QChar c = format[i];
    if (c == u'\'') {
      if (i + 1 < format.size() && format[i + 1] == u'\'') {  // '' is a quote
        pattern.text += c;
        pattern.literal += true;
        ++i;
      } else {
        quoted = !quoted;
      }
      continue;
    }
    pattern.text += c;
    pattern.literal += quoted || !c.isLetter();
  }
  return pattern;
}

qsizetype FindLetter(const Pattern& pattern, QStringView letters, qsizetype from = 0) {
  for (qsizetype i = from; i < pattern.text.size(); ++i) {
    if (!pattern.literal[i] && letters.contains(pattern.text[i])) return i;
  }
  return -1;
}

// Where the run of the same letter that begins at `start` ends.
qsizetype RunEnd(const Pattern& pattern, qsizetype start) {
  qsizetype end = start;
  while (end < pattern.text.size() && pattern.text[end] == pattern.text[start]) ++end;
  return end;
}

std::string Utf8(const QString& text) { return text.toStdString(); }

}  // namespace

LastUpdateFormats LocaleFormats(const QLocale& locale) {
  LastUpdateFormats formats;
  formats.long_date_pattern = Utf8(locale.dateFormat(QLocale::LongFormat));
  for (int month = 1; month <= 12; ++month) {
    formats.month_names[month - 1] = Utf8(locale.monthName(month, QLocale::LongFormat));
    formats.short_month_names[month - 1] = Utf8(locale.monthName(month, QLocale::ShortFormat));
  }
  for (int day = 1; day <= 7; ++day) {
    formats.day_names[day - 1] = Utf8(locale.dayName(day, QLocale::LongFormat));
    formats.short_day_names[day - 1] = Utf8(locale.dayName(day, QLocale::ShortFormat));
  }
  for (int digit = 0; digit <= 9; ++digit) {
    formats.digits[digit] = Utf8(locale.toString(digit));
  }
  formats.am_designator = Utf8(locale.amText());
  formats.pm_designator = Utf8(locale.pmText());

  const Pattern time = Unquote(locale.timeFormat(QLocale::LongFormat));
  const qsizetype hours = FindLetter(time, u"hH");
  if (hours < 0) {
    formats.clock_24_hour = true;
    return formats;
  }
  const qsizetype hours_end = RunEnd(time, hours);
  formats.leading_zero_hours = hours_end - hours >= 2;
  // "h" is the 12-hour clock only beside an AM/PM marker; "H" never is.
  formats.clock_24_hour = time.text[hours] == u'H' || FindLetter(time, u"aA") < 0;
  // The separator is what stands between the hours and the minutes, taken
  // from the short time format where it has one: some long formats write
  // unit words there instead (Japanese "H時mm分ss秒").
  for (const QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat}) {
    const Pattern clock = Unquote(locale.timeFormat(type));
    const qsizetype h = FindLetter(clock, u"hH");
    if (h < 0) continue;
    const qsizetype h_end = RunEnd(clock, h);
    const qsizetype minutes = FindLetter(clock, u"m", h_end);
    if (minutes > h_end) {
      formats.time_separator = Utf8(clock.text.mid(h_end, minutes - h_end));
      break;
    }
  }
  return formats;
}
