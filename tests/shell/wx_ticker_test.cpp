// The ticker's steps, its drawing, the taskbar mirror and the title rotation.
#include <QImage>
#include <QWindow>

#include "shell/ticker_panel.h"
#include "shell/wx.h"
#include "shell_fixture.h"
#include "support/display_bytes.h"
#include "ui/app_title.h"
#include "ui/display_text.h"

namespace {

using TickerTest = ShellTest;

TEST_F(TickerTest, ThreeCharactersShrinkAndRefillInTheSameTick) {
  TfrmMain frm;
  frm.ForecastText = "Forecast text";
  frm.pnlScroll->SetCaption("abc");
  frm.tmrScrollTimer();
  EXPECT_EQ(frm.pnlScroll->Caption(), "bc");
  frm.tmrScrollTimer();
  EXPECT_EQ(frm.pnlScroll->Caption(), "c");
  frm.tmrScrollTimer();
  EXPECT_EQ(frm.pnlScroll->Caption(), "Forecast text");
  frm.tmrScrollTimer();
  EXPECT_EQ(frm.pnlScroll->Caption(), "orecast text");

  // A new forecast is picked up when the caption runs out.
  frm.ForecastText = "xy";
  for (int i = 0; i < 12; ++i) frm.tmrScrollTimer();
  EXPECT_EQ(frm.pnlScroll->Caption(), "xy");
  frm.tmrScrollTimer();
  EXPECT_EQ(frm.pnlScroll->Caption(), "y");
}

TEST_F(TickerTest, TaskbarEntryMirrorsTheTickerOnlyWhenAsked) {
  TfrmMain frm;
  frm.ForecastText = "Rain\xA0\x85";
  frm.pnlScroll->SetCaption("ab");
  frm.ScrollInTaskbar = true;
  frm.tmrScrollTimer();
  EXPECT_EQ(ApplicationTitleText(), "b");
  frm.tmrScrollTimer();
  EXPECT_EQ(ApplicationTitleText(), "Rain\xA0\x85");
  EXPECT_EQ(ApplicationTitle(), QString::fromUtf8("Rain\u00A0\u2026"));
  frm.tmrScrollTimer();
  EXPECT_EQ(ApplicationTitleText(), "ain\xA0\x85");

  frm.ScrollInTaskbar = false;
  frm.tmrScrollTimer();
  EXPECT_EQ(ApplicationTitleText(), "Marrowby Weather");
  EXPECT_EQ(frm.pnlScroll->Caption(), "in\xA0\x85");

  // An empty forecast empties the mirrored title.
  frm.ForecastText.clear();
  frm.pnlScroll->SetCaption("");
  frm.ScrollInTaskbar = true;
  frm.tmrScrollTimer();
  EXPECT_EQ(ApplicationTitleText(), "");
}

TEST_F(TickerTest, TheTimerDrivesTheStep) {
  TfrmMain frm;
  frm.ForecastText = "abcdef";
  frm.pnlScroll->SetCaption("abcdef");
  frm.tmrScroll->SetInterval(5);
  frm.tmrScroll->SetEnabled(true);
  EXPECT_TRUE(ProcessEventsUntil([&] { return frm.pnlScroll->Caption().size() < 6; }));
}

// The drawn line: plain, one line, left-justified, vertically centred,
// clipped at the right edge, and only a bounded prefix of a long caption.
TEST_F(TickerTest, PanelDrawsOneClippedLineFromTheLeft) {
  StoreFile("[settings]\nonstart=0\n");
  TfrmMain frm;
  frm.FormCreate();
  TTickerPanel* panel = frm.pnlScroll;
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

TEST_F(TickerTest, OnlyAPrefixLongEnoughForThePanelIsDrawn) {
  StoreFile("[settings]\nonstart=0\n");
  TfrmMain frm;
  frm.FormCreate();
  std::string caption;
  for (int i = 0; i < 30000; ++i) caption.push_back(static_cast<char>('a' + i % 26));
  frm.pnlScroll->SetCaption(caption);
  const QString shown = frm.pnlScroll->ShownText();
  EXPECT_EQ(shown.size(), frm.pnlScroll->ShownCharacters());
  EXPECT_LT(shown.size(), 1000);
  EXPECT_EQ(FromDisplay(shown), caption.substr(0, static_cast<std::size_t>(shown.size())));
  // Enough to overfill the panel with its narrowest glyph.
  EXPECT_GE(frm.pnlScroll->ShownCharacters() * 2, frm.pnlScroll->ClientWidth());
  frm.resize(3000, frm.height());
  EXPECT_GE(frm.pnlScroll->ShownCharacters() * 2, frm.pnlScroll->ClientWidth());

  frm.pnlScroll->SetCaption("short");
  EXPECT_EQ(frm.pnlScroll->ShownText(), "short");
}

TEST_F(TickerTest, TitleAlternatesFromTheTagAndRestartsWithThePrimaryLine) {
  TfrmMain frm;
  frm.PrimaryConditions = "MARROWBY  SUNNY 70";
  frm.SecondaryConditions = "WENDMOORE CLOUDY 65";
  // As after start-up or a conditions update: the primary line is shown and
  // the tag is 0, so it stays for two ticks (10 s), then each line for one.
  frm.SetTitle(frm.PrimaryConditions);
  std::vector<std::string> titles;
  for (int i = 0; i < 4; ++i) {
    frm.tmrTitleSwitchTimer();
    titles.push_back(frm.Title());
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"MARROWBY  SUNNY 70", "WENDMOORE CLOUDY 65",
                                              "MARROWBY  SUNNY 70", "WENDMOORE CLOUDY 65"}));
  EXPECT_EQ(frm.tmrTitleSwitch->Tag(), 0);
  EXPECT_EQ(frm.windowHandle() ? frm.windowHandle()->title() : frm.windowTitle(),
            "WENDMOORE CLOUDY 65");
}

TEST_F(TickerTest, AStationNameAloneReadsNotAvailable) {
  TfrmMain frm;
  const auto shown = [&](const std::string& primary, const std::string& secondary) {
    frm.PrimaryConditions = primary;
    frm.SecondaryConditions = secondary;
    frm.tmrTitleSwitch->SetTag(0);
    frm.tmrTitleSwitchTimer();
    std::string first = frm.Title();
    frm.tmrTitleSwitchTimer();
    return std::make_pair(first, frm.Title());
  };
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(shown("MARROWBY", "WENDMOORE"),
            P("Marrowby - Not available", "Wendmoore - Not available"));
  EXPECT_EQ(shown(" \t\r\nmArRoWbY \x01\x1F ", "\x7F wendmoore"),
            P("Marrowby - Not available", "\x7F wendmoore"));
  // The secondary name is caught in either line, and the primary name too.
  EXPECT_EQ(shown("  Wendmoore  ", "marrowby\r\n"),
            P("Wendmoore - Not available", "Marrowby - Not available"));
  // Anything after the name, or a letter outside A-Z folded, is a report.
  EXPECT_EQ(shown("MARROWBY  FAIR 60", "WENDMOORE X"), P("MARROWBY  FAIR 60", "WENDMOORE X"));
  EXPECT_EQ(shown("MARROWBY\xA0", "WENDM\xD6ORE"), P("MARROWBY\xA0", "WENDM\xD6ORE"));
  EXPECT_EQ(shown("", ""), P("", ""));
}

}  // namespace
