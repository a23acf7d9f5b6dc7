// What every Qt window shares: the screen-text codec, where the error boundary
// meets the event loop, the end of the message loops, the message boxes, the
// platform choice, the application title, and the locale's date and time
// formats.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "qt/ui/app_title.h"
#include "qt/ui/application.h"
#include "qt/ui/display_text.h"
#include "qt/ui/locale_formats.h"
#include "qt/ui/message_boxes.h"
#include "store/reg_ini_file.h"
#include "support/display_bytes.h"
#include "support/recording_boxes.h"
#include "support/test_application.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class SupportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication::Current().ForgetEndedLoops();
    TestApplication::Current().end_loops = false;
    SetApplicationTitle("Marrowby Weather");
  }
  void TearDown() override {
    TestApplication::Current().end_loops = true;
    TestApplication::Current().ForgetEndedLoops();
  }

  RecordingBoxes boxes_;
};

TEST(ScreenText, OnlyStrictUtf8ShowsAsUtf8) {
  // (Which texts are valid UTF-8: tests/text/utf8_text_test.cpp.)
  EXPECT_EQ(ToDisplay("\xC0\xAF"), U("\u00C0\u00AF"));  // an overlong '/'
  EXPECT_EQ(ToDisplay("\xD0\x9F\xD0\xBE\xD0\xB3\xD0\xBE\xD0\xB4\xD0\xB0"), U("Погода"));
  // windows-1252 as it always showed: the same bytes give the same text.
  EXPECT_EQ(ToDisplay("Caf\xE9 \x93"
                      "fog\x94 \x80"
                      "5"),
            U("Café “fog” €5"));
  EXPECT_EQ(FromDisplay(ToDisplay("Caf\xE9 \x93"
                                  "fog\x94")),
            "Caf\xE9 \x93"
            "fog\x94");
}

TEST(ScreenText, PiecesShowAsTheirWholeTextWithoutCutCharacters) {
  const std::string whole = "\xD0\x96\xD0\xB0\xD1\x80\xD0\xB0";  // Жара
  EXPECT_EQ(ToDisplayPiece(whole.substr(1), true), U("ара"));
  EXPECT_EQ(ToDisplayPiece(whole.substr(0, 5), true), U("Жа"));
  EXPECT_EQ(ToDisplayPiece(whole.substr(1), false).size(), 7);  // byte by byte

  // A step keeps the decoding; another text is judged afresh.
  EXPECT_TRUE(ShowsAsUtf8After(whole, true, whole.substr(1)));
  EXPECT_FALSE(ShowsAsUtf8After("\xA9\xD0\x96 x", false, "\xD0\x96 x"));
  EXPECT_TRUE(ShowsAsUtf8After("", true, whole.substr(1)));
  // A windows-1252 piece that starts with a byte UTF-8 would call a
  // continuation keeps that character.
  EXPECT_FALSE(PieceShowsAsUtf8("\xA9 2026 Tidewell"));
  EXPECT_EQ(ToDisplayPiece("\xA9 2026", PieceShowsAsUtf8("\xA9 2026")), U("© 2026"));
}

TEST_F(SupportTest, ScreenTextDecodesWindows1252ByteForByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const QString shown = ToDisplay(all);
  ASSERT_EQ(shown.size(), 256);
  EXPECT_EQ(shown[0x80], QChar(0x20AC));
  EXPECT_EQ(shown[0x81], QChar(0x81));
  EXPECT_EQ(shown[0x93], QChar(0x201C));
  EXPECT_EQ(shown[0x9F], QChar(0x0178));
  EXPECT_EQ(shown[0xE9], QChar(0xE9));
  EXPECT_EQ(FromDisplay(shown), all);
  EXPECT_EQ(FromDisplay(QString::fromUtf8("\u4E2D")), "?");

  EXPECT_EQ(PlainTitleText("a [*] b [*][*]"), "a [*][*] b [*][*][*][*]");
  EXPECT_EQ(PlainMenuText("&Rain && snow"), "&&Rain &&&& snow");
}

class Throwing : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw ERegistryException("Failed to get data for 'rate'");
    return QObject::event(e);
  }
};

// What escapes a handler that the event loop called reaches the boundary the
// main window installed (which shows it: TfrmMain::ShowUncaught), and the
// loop goes on; a boundary goes with its owner.
TEST_F(SupportTest, ErrorsEscapingAHandlerReachTheInstalledBoundaryAndTheLoopGoesOn) {
  std::vector<std::string> shown;
  const int owner = 0;
  Application::Instance().InstallErrorBoundary(
      &owner, [&](const std::exception& error) { shown.emplace_back(error.what()); });
  Throwing target;
  QEvent event(QEvent::User);
  QCoreApplication::sendEvent(&target, &event);
  ASSERT_EQ(shown, std::vector<std::string>{"Failed to get data for 'rate'"});

  // From a timer: every tick reaches it, and the timer keeps running.
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [] { throw std::runtime_error("disk full"); });
  timer.start(5);
  EXPECT_TRUE(ProcessEventsUntil([&] { return shown.size() >= 3; }));
  EXPECT_EQ(shown[2], "disk full");
  timer.stop();

  const int other = 0;
  Application::Instance().RemoveErrorBoundary(&other);  // not the one installed
  QCoreApplication::sendEvent(&target, &event);
  EXPECT_EQ(shown.size(), 4u);
  Application::Instance().RemoveErrorBoundary(&owner);
  QCoreApplication::sendEvent(&target, &event);  // to standard error only
  EXPECT_EQ(shown.size(), 4u);
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(SupportTest, EndingTheLoopsIsObservableThroughTheApplicationObject) {
  Application::Instance().EndMessageLoops();
  EXPECT_EQ(TestApplication::Current().end_loops_calls, 1);
  TestApplication::Current().ForgetEndedLoops();
  EXPECT_EQ(TestApplication::Current().end_loops_calls, 0);
}

// The real boxes show titles and texts as they stand.
TEST_F(SupportTest, RealBoxesShowPlainText) {
  InstallMessageBoxes(nullptr);
  QString seen_title;
  QString seen_text;
  Qt::TextFormat seen_format = Qt::AutoText;
  int seen_buttons = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen_title = box->windowHandle() ? box->windowHandle()->title() : box->windowTitle();
    seen_text = box->text();
    seen_format = box->textFormat();
    seen_buttons = static_cast<int>(box->buttons().size());
    box->buttons().first()->click();
  });
  Boxes().ShowUncaughtError("Forecast [*] & more", "<b>x</b>.");
  EXPECT_EQ(seen_title, "Forecast [*] & more");
  EXPECT_EQ(seen_text, "<b>x</b>.");
  EXPECT_EQ(seen_format, Qt::PlainText);
  EXPECT_EQ(seen_buttons, 1);
}

TEST_F(SupportTest, PlatformChoiceUnderWayland) {
  const auto choose = [](const char* wayland, const char* display, const char* chosen,
                         std::vector<const char*> args = {"marrowby-weather"}) {
    const auto set = [](const char* name, const char* value) {
      if (value) {
        setenv(name, value, 1);
      } else {
        unsetenv(name);
      }
    };
    set("WAYLAND_DISPLAY", wayland);
    set("DISPLAY", display);
    set("QT_QPA_PLATFORM", chosen);
    unsetenv("XDG_SESSION_TYPE");
    PreferX11UnderWayland(static_cast<int>(args.size()), const_cast<char**>(args.data()));
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return std::string(platform ? platform : "");
  };
  const std::string saved = std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
  EXPECT_EQ(choose("wayland-0", ":0", nullptr), "xcb");
  EXPECT_EQ(choose("wayland-0", nullptr, nullptr), "");
  EXPECT_EQ(choose(nullptr, ":0", nullptr), "");
  EXPECT_EQ(choose("wayland-0", ":0", "wayland"), "wayland");
  EXPECT_EQ(choose("wayland-0", ":0", nullptr, {"marrowby-weather", "-platform", "wayland"}), "");
  setenv("QT_QPA_PLATFORM", saved.c_str(), 1);
}

TEST_F(SupportTest, ApplicationTitleKeepsTheWholeText) {
  const std::string long_title(5000, 'x');
  SetApplicationTitle(long_title);
  EXPECT_EQ(ApplicationTitleText(), long_title);
  EXPECT_EQ(ApplicationTitle().size(), 5000);
  // No taskbar proxy away from X11.
  EXPECT_EQ(TaskbarProxyWindow(), nullptr);
}

// ---- the "Last Updated" stamp from a locale's formats

LocalTime At(int hour, int minute, int second) {
  LocalTime when;
  when.year = 2024;
  when.month = 3;
  when.day = 5;
  when.day_of_week = 2;  // a Tuesday
  when.hour = hour;
  when.minute = minute;
  when.second = second;
  return when;
}

std::string Stamp(const char* locale, int hour, int minute = 4, int second = 5) {
  return FormatLastUpdate(At(hour, minute, second),
                          LocaleFormats(QLocale(QString::fromLatin1(locale))));
}

TEST(LocaleFormats, TwelveHourClockWithDesignators) {
  EXPECT_EQ(Stamp("en_US", 15), "Last Updated Tuesday, March 5, 2024 at 3:04:05 PM");
  EXPECT_EQ(Stamp("en_US", 9), "Last Updated Tuesday, March 5, 2024 at 9:04:05 AM");
  EXPECT_EQ(Stamp("en_US", 0, 0, 0), "Last Updated Tuesday, March 5, 2024 at 12:00:00 AM");
  EXPECT_EQ(Stamp("en_US", 12, 0, 0), "Last Updated Tuesday, March 5, 2024 at 12:00:00 PM");
}

TEST(LocaleFormats, TwentyFourHourClockWithLeadingZeros) {
  // Names as UTF-8.
  EXPECT_EQ(Stamp("de_DE", 15), "Last Updated Dienstag, 5. M\xC3\xA4rz 2024 at 15:04:05");
  EXPECT_EQ(Stamp("de_DE", 7, 8, 9), "Last Updated Dienstag, 5. M\xC3\xA4rz 2024 at 07:08:09");

  // A separator other than the colon is taken as the locale gives it.
  const QLocale finnish("fi_FI");
  const LastUpdateFormats fi = LocaleFormats(finnish);
  EXPECT_EQ(fi.time_separator, finnish.timeFormat(QLocale::LongFormat).contains(u'.') ? "." : ":");
}

TEST(LocaleFormats, EveryScriptIsKeptAsUtf8) {
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

// The stamp's date is the locale's long date as Qt itself writes it, in every
// locale Qt knows, on days that reach every name and both digit counts.
TEST(LocaleFormats, TheDateIsWhatQtWritesForEveryLocale) {
  const QList<QLocale> locales =
      QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
  ASSERT_GT(locales.size(), 100);
  for (const QLocale& locale : locales) {
    const LastUpdateFormats formats = LocaleFormats(locale);
    for (const QDate date : {QDate(2024, 3, 5), QDate(2026, 12, 27), QDate(2009, 1, 1)}) {
      LocalTime when;
      when.year = date.year();
      when.month = date.month();
      when.day = date.day();
      when.day_of_week = date.dayOfWeek();
      EXPECT_EQ(QString::fromStdString(FormatDate(when, formats.long_date_pattern, formats)),
                locale.toString(date, QLocale::LongFormat))
          << locale.name().toStdString();
    }
  }
}

}  // namespace
