// Settings the user edited by hand: a [sources] entry that cannot be read or
// names no usable server, and a settings file with comments after values
// and section headers.
#include "strip/main_form.h"
#include "strip_fixture.h"
#include "support/environment.h"
#include "support/weather_servers.h"
#include "weather/sources.h"

#ifndef _WIN32
#include "support/temp_config.h"
#endif

namespace {

constexpr char kOpenFailed[] =
    "information: Attempt to open the URL failed. Check your connection settings";

using HandEditedTest = StripTest;

// Such an entry is a source that cannot be reached: the box, the close that
// stores, one line that names the entry and why; never an error that leaves
// the ticker and the title standing for good.
TEST_F(HandEditedTest, AnUnusableSourceEntryIsASourceThatCannotBeReached) {
  UnsetEnvironment(kPrimaryServerVariable);
  StoreShownTexts();
  StoreUnreadable(kSourcesSection, kPrimaryServer.name);
  Store(kAlternateServer, "weather.example/zone");
  for (const bool alternate : {false, true}) {
    SCOPED_TRACE(alternate ? "alternate" : "primary");
    if (alternate) UnsetEnvironment(kAlternateServerVariable);
    RecordingFace face;
    TfrmMain frm(face);
    frm.FormCreate();
    frm.UseAlternateSource = alternate;
    testing::internal::CaptureStderr();
    frm.pUpdateClick();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(face.Boxes(), std::vector<std::string>{kOpenFailed});
    EXPECT_EQ(face.end_loops_calls, 2);  // the close, then the fetch itself
    EXPECT_EQ(StoredText(kLastForecast), kShownForecast);
    EXPECT_TRUE(frm.tmrScroll.Enabled());
    EXPECT_TRUE(frm.tmrTitleSwitch.Enabled());
    const std::string reason = alternate ? "[sources] alternate=\"weather.example/zone\" is not a "
                                           "usable server (host or host:port)"
                                         : "[sources] primary cannot be read: Invalid data type "
                                           "for 'primary'";
    EXPECT_NE(err.find(reason), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;  // one line
  }
}

#ifndef _WIN32
// The comments a user writes after a value or a section header, as the
// README shows them, are no part of what the program reads.
TEST_F(HandEditedTest, CommentsAfterValuesAndHeadersAreNotRead) {
  WeatherServers servers;
  servers.ServeForecast(false, ZoneForecast(".TODAY...FOG."));
  UnsetEnvironment(kPrimaryServerVariable);
  WriteFileBytes(SettingsFileForKey(kProductKeyPath),
                 "[window]\nforeground=\"4\"   ; palette index\nbackground=\"11\" # yellow\n"
                 "[settings]\nonstart=\"0\"      ; no update at start-up\n"
                 "[sources]             ; written by hand only\n"
                 "primary=\"" + servers.primary.Authority() + "\" ; the test's server\n");
  TfrmMain frm(face_);
  EXPECT_TRUE(frm.RunGuarded([&] { frm.FormCreate(); }));
  EXPECT_EQ(face_.font_color, TfrmMain::ColorFromIndex(4));
  EXPECT_EQ(face_.PanelColor(StripPanel::pnlScroll), TfrmMain::ColorFromIndex(11));
  frm.UpdateForecast();
  EXPECT_EQ(frm.ForecastText, ".TODAY...FOG");
  EXPECT_TRUE(face_.Boxes().empty());
}
#endif

}  // namespace
