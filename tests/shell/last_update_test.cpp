// The "Last Updated" stamp from a fixed moment and fixed locale formats, the
// formats read from real locales, and the window taking them afresh when the
// locale changes.
#include "shell/last_update.h"

#include <QCoreApplication>
#include <QEvent>

#include "shell/wx.h"
#include "shell_fixture.h"

namespace {

QDateTime At(int hour, int minute, int second) {
  return QDateTime(QDate(2024, 3, 5), QTime(hour, minute, second));
}

std::string Stamp(const char* locale, int hour, int minute = 4, int second = 5) {
  return FormatLastUpdate(At(hour, minute, second),
                          LastUpdateFormats::FromLocale(QLocale(QString::fromLatin1(locale))));
}

TEST(LastUpdateText, TwelveHourClockWithDesignators) {
  EXPECT_EQ(Stamp("en_US", 15), "Last Updated Tuesday, March 5, 2024 at 3:04:05 PM");
  EXPECT_EQ(Stamp("en_US", 9), "Last Updated Tuesday, March 5, 2024 at 9:04:05 AM");
  EXPECT_EQ(Stamp("en_US", 0, 0, 0), "Last Updated Tuesday, March 5, 2024 at 12:00:00 AM");
  EXPECT_EQ(Stamp("en_US", 11, 59, 59), "Last Updated Tuesday, March 5, 2024 at 11:59:59 AM");
  EXPECT_EQ(Stamp("en_US", 12, 0, 0), "Last Updated Tuesday, March 5, 2024 at 12:00:00 PM");
  EXPECT_EQ(Stamp("en_US", 23, 0, 9), "Last Updated Tuesday, March 5, 2024 at 11:00:09 PM");
}

TEST(LastUpdateText, TwentyFourHourClockWithLeadingZeros) {
  // Names as UTF-8.
  EXPECT_EQ(Stamp("de_DE", 15), "Last Updated Dienstag, 5. M\xC3\xA4rz 2024 at 15:04:05");
  EXPECT_EQ(Stamp("de_DE", 0, 0, 0), "Last Updated Dienstag, 5. M\xC3\xA4rz 2024 at 00:00:00");
  EXPECT_EQ(Stamp("de_DE", 12, 0, 0), "Last Updated Dienstag, 5. M\xC3\xA4rz 2024 at 12:00:00");
  EXPECT_EQ(Stamp("de_DE", 7, 8, 9), "Last Updated Dienstag, 5. M\xC3\xA4rz 2024 at 07:08:09");
}

TEST(LastUpdateText, FormatsReadFromTheLocale) {
  const LastUpdateFormats us = LastUpdateFormats::FromLocale(QLocale("en_US"));
  EXPECT_FALSE(us.clock_24_hour);
  EXPECT_FALSE(us.leading_zero_hours);
  EXPECT_EQ(us.time_separator, ":");
  EXPECT_EQ(us.am_designator, "AM");
  EXPECT_EQ(us.pm_designator, "PM");
  EXPECT_FALSE(us.long_date_pattern.isEmpty());

  const LastUpdateFormats de = LastUpdateFormats::FromLocale(QLocale("de_DE"));
  EXPECT_TRUE(de.clock_24_hour);
  EXPECT_TRUE(de.leading_zero_hours);
  EXPECT_EQ(de.time_separator, ":");

  // A separator other than the colon is taken as the locale gives it.
  const QLocale finnish("fi_FI");
  const LastUpdateFormats fi = LastUpdateFormats::FromLocale(finnish);
  EXPECT_EQ(fi.time_separator, finnish.timeFormat(QLocale::LongFormat).contains(u'.') ? "." : ":");
  EXPECT_NE(FormatLastUpdate(At(9, 8, 7), fi).find("9" + fi.time_separator.toStdString() + "08"),
            std::string::npos);
}

TEST(LastUpdateText, WithoutALongDatePatternTheDateIsMonthDayYear) {
  LastUpdateFormats formats;  // no pattern, ':' , 12-hour, AM/PM
  formats.names = QLocale("en_US");
  EXPECT_EQ(FormatLastUpdate(At(0, 0, 0), formats), "Last Updated March 5, 2024 at 12:00:00 AM");
  EXPECT_EQ(FormatLastUpdate(At(12, 30, 1), formats), "Last Updated March 5, 2024 at 12:30:01 PM");

  formats.clock_24_hour = true;
  formats.leading_zero_hours = true;
  formats.time_separator = ".";
  formats.names = QLocale("de_DE");
  EXPECT_EQ(FormatLastUpdate(At(0, 5, 0), formats), "Last Updated M\xC3\xA4rz 5, 2024 at 00.05.00");
  EXPECT_EQ(FormatLastUpdate(QDateTime(QDate(2024, 12, 31), QTime(9, 0, 0)), formats),
            "Last Updated Dezember 31, 2024 at 09.00.00");
}

TEST(LastUpdateText, EveryScriptIsKeptAsUtf8) {
  EXPECT_EQ(Stamp("ru_RU", 10),
            "Last Updated \xD0\xB2\xD1\x82\xD0\xBE\xD1\x80\xD0\xBD\xD0\xB8\xD0\xBA, 5 "
            "\xD0\xBC\xD0\xB0\xD1\x80\xD1\x82\xD0\xB0 2024 \xD0\xB3. at 10:04:05");
  // The time separator is the short format's where the long one writes
  // unit words (H時mm分ss秒).
  EXPECT_EQ(QString::fromStdString(Stamp("ja_JP", 15)),
            QString::fromUtf8("Last Updated 2024年3月5日火曜日 at 15:04:05"));
  EXPECT_EQ(QString::fromStdString(Stamp("ar_EG", 9)),
            QString::fromUtf8("Last Updated الثلاثاء، ٥ مارس ٢٠٢٤ at 9:04:05 ص"));
}

using LocaleChangeTest = ShellTest;

TEST_F(LocaleChangeTest, TheWindowTakesTheFormatsAgainWhenTheLocaleChanges) {
  TfrmMain frm;
  const LastUpdateFormats system = LastUpdateFormats::FromLocale(QLocale::system());
  EXPECT_EQ(frm.lastUpdateFormats, system);
  LastUpdateFormats stale;
  stale.time_separator = "#";

  frm.lastUpdateFormats = stale;
  QEvent to_window(QEvent::LocaleChange);
  QCoreApplication::sendEvent(&frm, &to_window);
  EXPECT_EQ(frm.lastUpdateFormats, system);

  frm.lastUpdateFormats = stale;
  QEvent to_application(QEvent::LocaleChange);
  QCoreApplication::sendEvent(QCoreApplication::instance(), &to_application);
  EXPECT_EQ(frm.lastUpdateFormats, system);
}

}  // namespace
