// Settings the user edited by hand: a [sources] entry that cannot be read or
// names no usable server. (Comments in the settings file are the real
// store's: integration_test.cpp.)
#include "strip/main_form.h"
#include "strip_fixture.h"

namespace {

constexpr char kOpenFailed[] =
    "information: Attempt to open the URL failed. Check your connection settings";

using HandEditedTest = StripTest;

// Such an entry is a source that cannot be reached: the box, the close that
// stores, one line that names the entry and why; never an error that leaves
// the ticker and the title standing for good.
TEST_F(HandEditedTest, AnUnusableSourceEntryIsASourceThatCannotBeReached) {
  StoreShownTexts();
  StoreUnreadable(kSourcesSection, kPrimaryServer.name);
  Store(kAlternateServer, "weather.example/zone");
  for (const bool alternate : {false, true}) {
    SCOPED_TRACE(alternate ? "alternate" : "primary");
    RecordingFace face;
    TfrmMain frm(face, env_);
    frm.FormCreate();
    frm.UseAlternateSource = alternate;
    log_.lines.clear();
    frm.pUpdateClick();
    EXPECT_EQ(face.Boxes(), std::vector<std::string>{kOpenFailed});
    EXPECT_EQ(face.end_loops_calls, 2);  // the close, then the fetch itself
    EXPECT_EQ(StoredText(kLastForecast), kShownForecast);
    EXPECT_TRUE(frm.tmrScroll.Enabled());
    EXPECT_TRUE(frm.tmrTitleSwitch.Enabled());
    // Nothing was opened; one line names the entry and why.
    EXPECT_EQ(fetch_.asked.back(), "");
    const std::string reason = alternate ? "[sources] alternate=\"weather.example/zone\" is not a "
                                           "usable server (host or host:port)"
                                         : "[sources] primary cannot be read: Invalid data type "
                                           "for 'primary'";
    EXPECT_EQ(log_.lines, std::vector<std::string>{
                              "marrowby-weather: current conditions from the " +
                              std::string(alternate ? "alternate" : "primary") +
                              " source failed: (no address): " + reason + " (after 0.0 s)\n"});
  }
}

}  // namespace
