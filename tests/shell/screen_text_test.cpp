// Bytes becoming screen text in every locale: valid UTF-8 shows as UTF-8 and
// anything else as windows-1252, pieces keep the decoding of their whole
// text, and the "Last Updated" stamp of non-Latin locales is kept, stored and
// shown as UTF-8.
#include <QLocale>

#include "shell/ticker_panel.h"
#include "shell/wx.h"
#include "shell_fixture.h"
#include "support/display_bytes.h"
#include "text/utf8_text.h"
#include "ui/app_title.h"
#include "ui/display_text.h"
#include "weather_servers.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

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

using ScreenTextWindowTest = ShellTest;

TEST_F(ScreenTextWindowTest, AUtf8ForecastScrollsWithoutFlipping) {
  StoreFile("[settings]\nonstart=0\n[window]\nshowtask=1\n");
  TfrmMain frm;
  frm.FormCreate();
  // "Снег ¼" then ASCII: two-byte characters, one of them from Latin-1.
  frm.ForecastText = "\xD0\xA1\xD0\xBD\xD0\xB5\xD0\xB3 \xC2\xBC in.";
  frm.pnlScroll->SetCaption(frm.ForecastText);
  // Every step shows the rest of the whole text in UTF-8, never a cut
  // character or a windows-1252 reading of one.
  const QString whole = ToDisplay(frm.ForecastText);
  for (std::size_t step = 0; step < frm.ForecastText.size(); ++step) {
    const QString shown = frm.pnlScroll->ShownText();
    EXPECT_TRUE(!shown.isEmpty() && whole.endsWith(shown)) << step << " " << shown.toStdString();
    if (step > 0) {
      EXPECT_EQ(ApplicationTitle(), shown) << step;
    }
    frm.tmrScrollTimer();
  }
  EXPECT_EQ(frm.pnlScroll->ShownText(), whole);

  // The forecast box's title cut at 255 bytes inside a character.
  frm.ForecastText = "x" + std::string(200, ' ');
  for (int i = 0; i < 100; ++i) frm.ForecastText += "\xD0\x96";
  frm.pnlScroll->SetCaption(frm.ForecastText);
  frm.tmrScrollTimer();
  frm.DisplayCompleteForecast1Click();
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].title, QString(200, u' ') + QString(27, u'Ж'));
  EXPECT_EQ(boxes_.boxes[0].text.right(3), U("ЖЖЖ"));
}

// The stamp of each locale, made by an update, shown in the hint and kept in
// the settings file byte for byte.
TEST_F(ScreenTextWindowTest, TheStampOfNonLatinLocalesIsKeptAsUtf8) {
  WeatherServers servers;
  servers.ServeForecast(false, ZoneForecast(".TODAY...SUNNY."));
  for (const char* locale : {"ru_RU", "el_GR", "ja_JP", "ar_EG"}) {
    SCOPED_TRACE(locale);
    const QLocale names(QString::fromLatin1(locale));
    StoreFile("[settings]\nonstart=0\n");
    // The last round's window closed, which told the program to end.
    TestApplication::Current().ForgetTerminate();
    std::string stamp;
    {
      TfrmMain frm;
      frm.FormCreate();
      frm.lastUpdateFormats = LastUpdateFormats::FromLocale(names);
      frm.UpdateForecast();
      stamp = frm.LastUpdateText;
      const QString hint = ToDisplay(stamp);
      EXPECT_TRUE(IsValidUtf8(stamp));
      EXPECT_EQ(hint, QString::fromStdString(stamp));
      EXPECT_FALSE(hint.contains(u'?'));
      // The month's name in the locale's own words.
      EXPECT_TRUE(hint.contains(names.monthName(QDate::currentDate().month()))) << stamp;
      EXPECT_TRUE(hint.startsWith(U("Last Updated ")));
      EXPECT_EQ(frm.accessibleDescription(), hint);
      ASSERT_TRUE(frm.Close());
    }
    EXPECT_EQ(StoredText(kLastUpdate), stamp);
    // and reads in the file as it does on the strip
    EXPECT_NE(StoredFile().find("last update=\"" + stamp + "\""), std::string::npos);
    TfrmMain again;
    again.FormCreate();
    EXPECT_EQ(again.LastUpdateText, stamp);
    EXPECT_EQ(again.accessibleDescription(), ToDisplay(stamp));
  }
}

}  // namespace
