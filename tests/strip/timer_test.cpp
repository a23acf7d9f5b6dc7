// The main window's timers: when the window system is told to start and stop
// them, and which ticks reach the handlers.
#include "recording_face.h"
#include "strip/main_form.h"
#include "strip_fixture.h"

namespace {

constexpr StripTimer kId = StripTimer::tmrTitleSwitch;

TEST(TimerTest, TicksOnlyWhenEnabledWithAPositiveInterval) {
  RecordingFace face;
  FormTimer timer(face, kId, 0);
  EXPECT_FALSE(timer.Enabled());
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_FALSE(timer.Ticking());
  timer.SetInterval(-5);
  EXPECT_FALSE(timer.Ticking());
  EXPECT_EQ(face.Starts(kId), 0);

  timer.SetInterval(5);
  EXPECT_TRUE(timer.Ticking());
  EXPECT_EQ(face.Running(kId), 5);
  timer.SetInterval(0);  // enabled still, and stopped
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(face.Running(kId), 0);
  timer.SetInterval(7);
  EXPECT_EQ(face.Running(kId), 7);
  timer.SetEnabled(false);
  EXPECT_EQ(face.Running(kId), 0);
  EXPECT_EQ(face.Starts(kId), 2);

  EXPECT_EQ(timer.Tag(), 0);
  timer.SetTag(7);
  EXPECT_EQ(timer.Tag(), 7);
  EXPECT_EQ(face.Starts(kId), 2);
}

TEST(TimerTest, EnablingOrTheSameIntervalKeepsThePeriodAndANewIntervalRestartsIt) {
  RecordingFace face;
  FormTimer timer(face, kId, 1000);
  timer.SetEnabled(true);
  timer.SetEnabled(true);
  timer.SetInterval(1000);
  EXPECT_EQ(face.Starts(kId), 1);
  timer.SetInterval(2000);
  EXPECT_EQ(face.Starts(kId), 2);
  EXPECT_EQ(face.Running(kId), 2000);
  // A new interval on a stopped timer starts nothing; enabling it does.
  timer.SetEnabled(false);
  timer.SetInterval(50);
  EXPECT_EQ(face.Starts(kId), 2);
  EXPECT_EQ(face.Running(kId), 0);
  timer.SetEnabled(true);
  EXPECT_EQ(face.Running(kId), 50);
}

using TimerTickTest = StripTest;

// A tick that the window system had queued before its timer stopped, or one
// of a timer without ticks, runs nothing.
TEST_F(TimerTickTest, TicksReachAHandlerOnlyWhileItsTimerTicks) {
  TfrmMain frm(face_, env_);
  frm.ForecastText = "xyz";
  frm.tmrScrollTimer();
  frm.ForecastText = "abc";
  frm.PrimaryConditions = "MARROWBY  FAIR";
  face_.calls.clear();
  frm.tmrUpdate.SetEnabled(false);
  for (StripTimer timer :
       {StripTimer::tmrScroll, StripTimer::tmrUpdate, StripTimer::tmrTitleSwitch}) {
    frm.TimerTick(timer);
  }
  frm.tmrScroll.SetInterval(0);
  frm.tmrScroll.SetEnabled(true);
  frm.TimerTick(StripTimer::tmrScroll);
  EXPECT_EQ(face_.caption, "xyz");
  EXPECT_EQ(face_.title, "");
  EXPECT_TRUE(face_.calls.empty());

  frm.tmrScroll.SetInterval(100);
  frm.tmrTitleSwitch.SetEnabled(true);
  frm.TimerTick(StripTimer::tmrScroll);
  frm.TimerTick(StripTimer::tmrTitleSwitch);
  EXPECT_EQ(face_.caption, "yz");
  EXPECT_EQ(face_.title, "MARROWBY  FAIR");
}

}  // namespace
