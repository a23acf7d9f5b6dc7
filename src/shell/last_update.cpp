#include "shell/last_update.h"

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

QString TwoDigits(int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

}  // namespace

LastUpdateFormats LastUpdateFormats::FromLocale(const QLocale& locale) {
  LastUpdateFormats formats;
  formats.names = locale;
  formats.long_date_pattern = locale.dateFormat(QLocale::LongFormat);
  formats.am_designator = locale.amText();
  formats.pm_designator = locale.pmText();

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
      formats.time_separator = clock.text.mid(h_end, minutes - h_end);
      break;
    }
  }
  return formats;
}

std::string FormatLastUpdate(const QDateTime& when, const LastUpdateFormats& formats) {
  const QString date_pattern = formats.long_date_pattern.isEmpty() ? QStringLiteral("MMMM d, yyyy")
                                                                   : formats.long_date_pattern;
  const QString date = formats.names.toString(when.date(), date_pattern);

  const QTime clock = when.time();
  int hour = clock.hour();
  if (!formats.clock_24_hour) hour = hour % 12 == 0 ? 12 : hour % 12;
  QString time = formats.leading_zero_hours ? TwoDigits(hour) : QString::number(hour);
  time += formats.time_separator + TwoDigits(clock.minute()) + formats.time_separator +
          TwoDigits(clock.second());
  if (!formats.clock_24_hour) {
    time += u' ';
    time += clock.hour() < 12 ? formats.am_designator : formats.pm_designator;
  }
  return "Last Updated " + date.toStdString() + " at " + time.toStdString();
}
