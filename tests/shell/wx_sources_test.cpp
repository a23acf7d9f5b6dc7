// Where FetchDocument finds its servers (the environment before the settings
// file's [sources] entries) and the line a failed fetch leaves on standard
// error.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "shell/wx.h"
#include "shell_fixture.h"
#include "weather_servers.h"

namespace {

using namespace std::chrono_literals;

class SourcesSettingTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    StoreFile("[settings]\nonstart=0\n");
    frm_.FormCreate();
    frm_.fetchLimits = {5000, 400, 10000};
  }

  std::string Fetch(bool alternate) {
    frm_.UseAlternateSource = alternate;
    frm_.reTmp.ClearBuffer();
    EXPECT_TRUE(frm_.FetchDocument(true));
    return frm_.reTmp.WholeText();
  }

  TfrmMain frm_;
};

TEST_F(SourcesSettingTest, StoredServersApplyUnlessTheEnvironmentNamesOne) {
  WeatherServers stored, environment;
  stored.ServeForecast(false, "stored primary\n");
  stored.ServeForecast(true, "stored alternate\n");
  environment.ServeForecast(false, "environment primary\n");
  environment.ServeForecast(true, "environment alternate\n");
  StoreFile("[settings]\nonstart=0\n[sources]\nprimary=\"" + stored.primary.Authority() +
            "\"\nalternate=" + stored.alternate.Authority() + "\n");

  unsetenv(kPrimaryServerVariable);
  setenv(kAlternateServerVariable, " ", 1);  // blank counts as unset
  EXPECT_EQ(Fetch(false), "stored primary\r\n");
  EXPECT_EQ(Fetch(true), "stored alternate\r\n");

  // A variable that is set wins, each source on its own.
  setenv(kPrimaryServerVariable, environment.primary.Authority().c_str(), 1);
  EXPECT_EQ(Fetch(false), "environment primary\r\n");
  EXPECT_EQ(Fetch(true), "stored alternate\r\n");
  setenv(kAlternateServerVariable, environment.alternate.Authority().c_str(), 1);
  EXPECT_EQ(Fetch(true), "environment alternate\r\n");

  // Read at every fetch: a hand edit applies to the next one.
  unsetenv(kPrimaryServerVariable);
  StoreFile("[sources]\nprimary=" + environment.primary.Authority() + "\n");
  EXPECT_EQ(Fetch(false), "environment primary\r\n");
  // Fetching never writes the entries.
  EXPECT_EQ(StoredFile(), "[sources]\nprimary=" + environment.primary.Authority() + "\n");
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(SourcesSettingTest, EachFailedFetchWritesOneLineToStandardError) {
  WeatherServers servers;
  LoopbackReply stall = LoopbackReply::Page(200, std::string(2000, 'y') + "\n");
  stall.stall_after_body_bytes = 500;
  stall.stall = 20s;
  servers.ServeForecastReply(false, stall);
  servers.ServeForecast(true, "fine\n");

  testing::internal::CaptureStderr();
  EXPECT_FALSE(frm_.FetchDocument(true));
  frm_.UseAlternateSource = true;
  EXPECT_TRUE(frm_.FetchDocument(true));  // success says nothing
  frm_.UseAlternateSource = false;
  setenv(kPrimaryServerVariable, nowhere_.Authority().c_str(), 1);
  EXPECT_FALSE(frm_.FetchDocument(false));
  const std::string err = testing::internal::GetCapturedStderr();

  const std::string stalled = "marrowby-weather: forecast from the primary source failed: " +
                              servers.primary.Url(kPrimaryForecastPath) +
                              ": no byte for 0.4 s (after ";
  const std::string refused =
      "marrowby-weather: current conditions from the primary source failed: http://" +
      nowhere_.Authority() + kPrimaryConditionsPath + ": connection refused (after ";
  ASSERT_EQ(err.find(stalled), 0u) << err;
  const std::size_t second = err.find('\n') + 1;
  EXPECT_EQ(err.find(refused, second), second) << err;
  EXPECT_EQ(err.find(" s)\n"), second - 4) << err;
  EXPECT_EQ(err.find('\n', second), err.size() - 1) << err;
}

}  // namespace
