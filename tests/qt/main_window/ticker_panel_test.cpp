// The ticker as it is drawn: one clipped line from the left, a bounded prefix
// of a long caption, a UTF-8 forecast that scrolls without flipping to
// windows-1252, steps that move the painted pixels and show exactly what a
// full repaint shows; and the "Last Updated" stamp of non-Latin locales kept,
// stored and shown as UTF-8.
#include "qt/main_window/ticker_panel.h"

#include <QCoreApplication>
#include <QDate>
#include <QImage>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "qt/main_window/main_window.h"
#include "qt/ui/app_title.h"
#include "qt/ui/display_text.h"
#include "qt/ui/locale_formats.h"
#include "strip/form_design.h"
#include "support/display_bytes.h"
#include "support/weather_servers.h"
#include "text/utf8_text.h"
#include "ticker_texts.h"
#include "window_fixture.h"

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

using TickerPanelTest = WindowTest;

// The drawn line: plain, one line, left-justified, vertically centred,
// clipped at the right edge, and only a bounded prefix of a long caption.
TEST_F(TickerPanelTest, PanelDrawsOneClippedLineFromTheLeft) {
  StoreFile("[settings]\nonstart=0\n");
  MainWindow frm;
  frm.frmMain.FormCreate();
  TickerPanel* panel = frm.pnlScroll;
  panel->SetColor(Qt::black);
  panel->SetFontColor(Qt::white);

  const auto ink_box = [&](const std::string& caption) {
    panel->SetCaption(caption);
    const QImage image = panel->grab().toImage();
    const QRect inside = panel->contentsRect();
    QRect box;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
      for (int x = inside.left(); x <= inside.right(); ++x) {
        if (qGray(image.pixel(x, y)) > 128) box |= QRect(x, y, 1, 1);
      }
    }
    return box;
  };

  const QRect inside = panel->contentsRect();
  const QRect word = ink_box("HIGHS");
  ASSERT_FALSE(word.isEmpty());
  EXPECT_LE(word.left() - inside.left(), 3);
  EXPECT_LE(std::abs(word.center().y() - inside.center().y()), 3);

  // Line breaks do not start a second line.
  const QRect two_lines = ink_box("HIGHS\r\nLOWS");
  EXPECT_LE(two_lines.height(), word.height() + 1);

  // A long caption runs to the right edge and no further.
  const QRect long_line = ink_box(std::string(30000, 'W'));
  EXPECT_GE(long_line.right(), inside.right() - 2);

  // One character dropped moves the text to the left.
  const QRect moved = ink_box("IGHS");
  EXPECT_LE(moved.left() - inside.left(), 3);
  EXPECT_LT(moved.width(), word.width());
}

// The drawn prefix follows the panel's width (the conformance suite checks
// it at the strip's width).
TEST_F(TickerPanelTest, TheDrawnPrefixFollowsThePanelsWidth) {
  StoreFile("[settings]\nonstart=0\n");
  MainWindow frm;
  frm.frmMain.FormCreate();
  std::string caption;
  for (int i = 0; i < 30000; ++i) caption.push_back(static_cast<char>('a' + i % 26));
  frm.pnlScroll->SetCaption(caption);
  for (int width : {3000, 900}) {
    frm.resize(width, frm.height());
    const QString shown = frm.pnlScroll->ShownText();
    EXPECT_EQ(shown.size(), ShownCaptionCharacters(frm.pnlScroll->ClientWidth())) << width;
    EXPECT_EQ(FromDisplay(shown), caption.substr(0, static_cast<std::size_t>(shown.size())));
  }
}

TEST_F(TickerPanelTest, AUtf8ForecastScrollsWithoutFlipping) {
  StoreFile("[settings]\nonstart=0\n[window]\nshowtask=1\n");
  MainWindow frm;
  frm.frmMain.FormCreate();
  // "Снег ¼" then ASCII: two-byte characters, one of them from Latin-1.
  StartTicker(frm.frmMain, "\xD0\xA1\xD0\xBD\xD0\xB5\xD0\xB3 \xC2\xBC in.");
  // Every step shows the rest of the whole text in UTF-8, never a cut
  // character or a windows-1252 reading of one.
  const QString whole = ToDisplay(frm.frmMain.ForecastText);
  for (std::size_t step = 0; step < frm.frmMain.ForecastText.size(); ++step) {
    const QString shown = frm.pnlScroll->ShownText();
    EXPECT_TRUE(!shown.isEmpty() && whole.endsWith(shown)) << step << " " << shown.toStdString();
    if (step > 0) {
      EXPECT_EQ(ApplicationTitle(), shown) << step;
    }
    frm.frmMain.tmrScrollTimer();
  }
  EXPECT_EQ(frm.pnlScroll->ShownText(), whole);

  // The forecast box's title cut at 255 bytes inside a character.
  std::string long_forecast = "x" + std::string(200, ' ');
  for (int i = 0; i < 100; ++i) long_forecast += "\xD0\x96";
  StartTicker(frm.frmMain, long_forecast);
  frm.frmMain.tmrScrollTimer();
  frm.frmMain.DisplayCompleteForecast1Click();
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].title, QString(200, u' ') + QString(27, u'Ж'));
  EXPECT_EQ(boxes_.boxes[0].text.right(3), U("ЖЖЖ"));
}

// ---- steps that move the painted pixels ----

// Records the regions the panel paints.
class PaintRegions : public QObject {
 public:
  explicit PaintRegions(QWidget* panel) { panel->installEventFilter(this); }
  std::vector<QRegion> regions;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint)
      regions.push_back(static_cast<QPaintEvent*>(event)->region());
    return false;
  }
};

class TickerStepTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    StoreFile("[settings]\nonstart=0\n");
    frm_.frmMain.FormCreate();
    ASSERT_TRUE(frm_.isVisible());
    panel_ = frm_.pnlScroll;
  }

  // The panel as the window shows it: whatever was asked to repaint is
  // painted first, then the pixels are read from the window's backing store.
  QImage OnScreen() {
    QCoreApplication::processEvents();
    const QPoint at = panel_->mapTo(&frm_, QPoint(0, 0));
    return frm_.screen()
        ->grabWindow(frm_.winId(), at.x(), at.y(), panel_->width(), panel_->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }
  // The panel painted whole, from nothing, with the caption it has now.
  QImage FullRepaint() { return panel_->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  // Runs `steps` ticker steps; after each the screen must show what a full
  // repaint shows. Returns how many steps painted less than the whole text.
  int StepAndCompare(int steps) {
    PaintRegions paints(panel_);
    const int whole = panel_->contentsRect().width() * panel_->contentsRect().height();
    int moved = 0;
    for (int step = 0; step < steps; ++step) {
      paints.regions.clear();
      frm_.frmMain.tmrScrollTimer();
      const QImage shown = OnScreen();
      int painted = 0;
      for (const QRegion& region : paints.regions) {
        for (const QRect& rect : region) painted += rect.width() * rect.height();
      }
      if (painted > 0 && painted < whole / 2) ++moved;
      const QImage full = FullRepaint();
      EXPECT_EQ(shown, full) << "step " << step << ": \"" << panel_->Caption().substr(0, 20)
                             << "\"";
      if (shown != full) return moved;
    }
    return moved;
  }

  void Start(const std::string& forecast) {
    StartTicker(frm_.frmMain, forecast);
    OnScreen();
  }

  MainWindow frm_;
  TickerPanel* panel_ = nullptr;
};

// windows-1252: "Highs 70°–75°. “Fog” near Mölle; Winds VA 5 mph... "
const std::string kWindows1252 =
    "Highs 70\xB0\x96"
    "75\xB0. \x93"
    "Fog\x94 near M\xF6lle; AVAWAY Winds 5 mph, fjord "
    "office\x85 Tonight: LOWS 41. ";

TEST_F(TickerStepTest, StepsShowWhatAFullRepaintShowsInEitherEncodingAndWeight) {
  for (bool bold : {true, false}) {
    for (const std::string* words : {&kWindows1252, &kUtf8}) {
      SCOPED_TRACE(std::string(bold ? "bold " : "regular ") +
                   (words == &kUtf8 ? "UTF-8" : "windows-1252"));
      frm_.SetTickerBold(bold);
      Start(Repeated(*words, 600));
      const int moved = StepAndCompare(300);
      // Most steps moved the pixels instead of repainting them all.
      EXPECT_GT(moved, 150);
    }
  }
}

TEST_F(TickerStepTest, StepsAfterAResizeARefillAndAColourChange) {
  // A forecast shorter than the steps, so the caption is refilled twice.
  Start(Repeated(kWindows1252, 120));
  EXPECT_GT(StepAndCompare(130), 60);
  frm_.resize(frm_.width() + 157, frm_.height());
  EXPECT_GT(StepAndCompare(130), 60);
  frm_.SetTickerFontColor(PaletteColor{0x00, 0x80, 0xFF});
  frm_.SetPanelColor(StripPanel::pnlScroll, PaletteColor{0x20, 0x20, 0x60});
  EXPECT_GT(StepAndCompare(130), 60);
  frm_.resize(frm_.width() - 200, frm_.height());
  frm_.SetTickerBold(false);
  Start(Repeated(kUtf8, 200));
  EXPECT_GT(StepAndCompare(230), 100);
}

// The line laid out on whole pixels ends where Qt's own drawing of the same
// text ends, give or take a pixel: rounding each glyph's distance from the
// one before instead would let the errors add up over the line.
TEST_F(TickerStepTest, TheLineEndsWhereQtsOwnDrawingEnds) {
  frm_.resize(900, frm_.height());
  for (bool bold : {true, false}) {
    SCOPED_TRACE(bold ? "bold" : "regular");
    frm_.SetTickerBold(bold);
    const std::string text = Repeated(kWindows1252, 100);
    Start(text);
    const QImage laid_out = FullRepaint();
    QImage drawn(laid_out.size(), QImage::Format_RGB32);
    drawn.fill(Qt::black);
    QPainter painter(&drawn);
    painter.setPen(panel_->FontColor());
    painter.setFont(panel_->font());
    painter.drawText(panel_->contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, panel_->ShownText());
    painter.end();
    // The rightmost column with ink inside the border.
    const auto ink_end = [&](const QImage& image) {
      const QRect inside = panel_->contentsRect();
      for (int x = inside.right(); x >= inside.left(); --x) {
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
          if (qGray(image.pixel(x, y)) > 128) return x;
        }
      }
      return -1;
    };
    ASSERT_GT(ink_end(drawn), 600);
    EXPECT_LE(std::abs(ink_end(laid_out) - ink_end(drawn)), 1);
  }
}

// The stamp of each locale, made by an update, shown in the hint and kept in
// the settings file byte for byte.
TEST_F(TickerPanelTest, TheStampOfNonLatinLocalesIsKeptAsUtf8) {
  WeatherServers servers;
  servers.ServeForecast(false, ZoneForecast(".TODAY...SUNNY."));
  for (const char* locale : {"ru_RU", "el_GR", "ja_JP", "ar_EG"}) {
    SCOPED_TRACE(locale);
    const QLocale names(QString::fromLatin1(locale));
    StoreFile("[settings]\nonstart=0\n");
    std::string stamp;
    {
      MainWindow frm;
      frm.frmMain.FormCreate();
      stamp = FormatLastUpdate(LocalTimeNow(), LocaleFormats(names));
      frm.frmMain.LastUpdateText = stamp;
      frm.SetHint(stamp);
      const QString hint = ToDisplay(stamp);
      EXPECT_TRUE(IsValidUtf8(stamp));
      EXPECT_EQ(hint, QString::fromStdString(stamp));
      EXPECT_FALSE(hint.contains(u'?'));
      // The month's name in the locale's own words.
      EXPECT_TRUE(hint.contains(names.monthName(QDate::currentDate().month()))) << stamp;
      EXPECT_TRUE(hint.startsWith(U("Last Updated ")));
      EXPECT_EQ(frm.accessibleDescription(), hint);
      ASSERT_TRUE(frm.frmMain.Close());
    }
    EXPECT_EQ(StoredText(kLastUpdate), stamp);
    // and reads in the file as it does on the strip
    EXPECT_NE(StoredFile().find("last update=\"" + stamp + "\""), std::string::npos);
    MainWindow again;
    again.frmMain.FormCreate();
    EXPECT_EQ(again.frmMain.LastUpdateText, stamp);
    EXPECT_EQ(again.accessibleDescription(), ToDisplay(stamp));
  }
}

}  // namespace
