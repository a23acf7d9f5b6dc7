// Every way of closing the main window stores the same values once and ends
// the program; a close that cannot store keeps the window.
#include <QAction>
#include <QCoreApplication>
#include <QTimer>
#include <csignal>
#include <filesystem>

#include "shell/ticker_panel.h"
#include "shell/wx.h"
#include "shell_fixture.h"
#include "store/reg_ini_file.h"
#include "ui/application.h"
#include "weather_servers.h"

namespace {

const char kStored[] =
    "[settings]\nonstart=0\n"
    "[window]\nleft=33\ntop=44\nwidth=420\n"
    "[weather]\nlast forecast=Showers likely. Lows near 50 & <i>breezy</i>.\n"
    "last marrowby=MARROWBY  RAIN 55\nlast wendmoore=WENDMOORE\nlast update=Last Updated "
    "1/2/2024\n";

enum class Route { kCloseBox, kExit, kSigterm, kSigint, kSighup, kSessionEnd };

class CloseTest : public ShellTest, public ::testing::WithParamInterface<Route> {
 protected:
  // Starts a window on kStored, lets it run a few steps, closes it by `route`
  // and returns the stored file.
  std::string CloseBy(Route route) {
    StoreFile(kStored);
    terminate_calls_ = 0;
    TestApplication::Current().ForgetTerminate();
    TfrmMain frm;
    frm.InstallCloseRoutes();
    frm.FormCreate();
    frm.tmrScrollTimer();
    frm.tmrTitleSwitchTimer();
    frm.tmrTitleSwitchTimer();  // "Wendmoore - Not available" in the title now
    std::filesystem::remove(config_.SettingsFile());
    switch (route) {
      case Route::kCloseBox:
        EXPECT_TRUE(frm.close());
        break;
      case Route::kExit:
        frm.pExit->trigger();
        break;
      case Route::kSigterm:
      case Route::kSigint:
      case Route::kSighup:
        raise(route == Route::kSigterm ? SIGTERM : route == Route::kSigint ? SIGINT : SIGHUP);
        EXPECT_TRUE(ProcessEventsUntil([&] { return terminate_calls_ > 0; }));
        break;
      case Route::kSessionEnd:
        frm.EndSession();
        break;
    }
    EXPECT_FALSE(frm.isVisible());
    EXPECT_TRUE(TerminateRequested());
    std::string stored = StoredFile();
    // Nothing more is written afterwards, not even by a second signal.
    std::filesystem::remove(config_.SettingsFile());
    if (route == Route::kSigterm) raise(SIGTERM);
    ProcessEventsUntil([] { return false; }, 100);
    EXPECT_FALSE(std::filesystem::exists(config_.SettingsFile()));
    return stored;
  }
};

TEST_P(CloseTest, StoresWhatTheExitCommandStores) {
  const std::string by_exit = CloseBy(Route::kExit);
  ASSERT_FALSE(by_exit.empty());
  const std::string by_route = CloseBy(GetParam());
  EXPECT_EQ(by_route, by_exit);
  EXPECT_GE(terminate_calls_, 1);
}

INSTANTIATE_TEST_SUITE_P(Routes, CloseTest,
                         ::testing::Values(Route::kCloseBox, Route::kSigterm, Route::kSigint,
                                           Route::kSighup, Route::kSessionEnd));

using CloseStoreTest = ShellTest;

TEST_F(CloseStoreTest, StoresTheShownTextsAndTheFrame) {
  StoreFile(kStored);
  TfrmMain frm;
  frm.FormCreate();
  frm.ForecastText = "Getting Forecast...";
  frm.PrimaryConditions = "";
  frm.SetLeft(-200);
  frm.SetWidth(600);
  frm.pExitClick();
  EXPECT_EQ(StoredText(kLastForecast), "Getting Forecast...");
  EXPECT_EQ(StoredText(kLastMarrowby), "");
  EXPECT_EQ(StoredText(kLastWendmoore), "WENDMOORE");
  EXPECT_EQ(StoredText(kLastUpdate), "Last Updated 1/2/2024");
  EXPECT_EQ(StoredText(kLeft), "-200");
  EXPECT_EQ(StoredText(kTop), "44");
  EXPECT_EQ(StoredText(kWidth), "600");
  EXPECT_EQ(StoredText(kOnStart), "0");  // not written here
  EXPECT_EQ(terminate_calls_, 2);        // the close, then Exit itself
}

TEST_F(CloseStoreTest, AStoreThatCannotBeWrittenKeepsTheWindowOpen) {
  StoreFile(kStored);
  TfrmMain frm;
  frm.InstallCloseRoutes();
  frm.FormCreate();
  // A folder where the settings file should be: every write fails.
  std::filesystem::remove(config_.SettingsFile());
  std::filesystem::create_directory(config_.SettingsFile());

  // The close box: the error box, and the window stays.
  EXPECT_FALSE(frm.close());
  EXPECT_TRUE(frm.isVisible());
  EXPECT_EQ(terminate_calls_, 0);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].kind, "uncaught");
  EXPECT_EQ(boxes_.boxes[0].title, "Marrowby Weather");
  EXPECT_TRUE(boxes_.boxes[0].text.startsWith("Failed to")) << boxes_.boxes[0].text.toStdString();
  EXPECT_TRUE(boxes_.boxes[0].text.endsWith("'.") || boxes_.boxes[0].text.endsWith("window."));

  // Exit: the handler ends at the error, so the program goes on.
  EXPECT_THROW(frm.pExitClick(), ERegistryException);
  EXPECT_EQ(terminate_calls_, 0);
  EXPECT_TRUE(frm.isVisible());

  // The system's request to end is obeyed all the same, without a box that
  // nobody may be there to answer, and the program's status says it failed.
  raise(SIGTERM);
  EXPECT_TRUE(ProcessEventsUntil([&] { return terminate_calls_ > 0; }));
  EXPECT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_FALSE(frm.isVisible());
  EXPECT_EQ(TestApplication::Current().exit_status, 1);
}

// An entry that stops FormCreate's reads (a hand-written dword beside good
// values): the close writes neither it nor any entry read after it; what
// was read before it, and what an update sets later, is stored as usual.
TEST_F(CloseStoreTest, AnEntryThatCouldNotBeReadIsNeverOverwritten) {
  const std::string broken_left =
      "; notes\n[window]\nleft=dword:0000000A\ntop=44\n"
      "[weather]\nlast forecast=Showers likely.\n";
  StoreFile(broken_left);
  {
    TfrmMain frm;
    EXPECT_FALSE(RunGuarded([&] { frm.FormCreate(); }));
    EXPECT_EQ(boxes_.boxes.at(0).text, "Invalid data type for 'left'.");
    frm.pExitClick();
  }
  EXPECT_EQ(StoredFile(), broken_left);

  StoreFile("[window]\nleft=33\n[weather]\nlast marrowby=dword:1\nlast wendmoore=WENDMOORE\n");
  TestApplication::Current().ForgetTerminate();
  WeatherServers servers;
  servers.ServeForecast(false, ZoneForecast(".TODAY...SUN."));
  {
    TfrmMain frm;
    EXPECT_FALSE(RunGuarded([&] { frm.FormCreate(); }));
    frm.UpdateForecast();
    frm.pExitClick();
  }
  EXPECT_EQ(StoredText(kLeft), "33");
  EXPECT_EQ(StoredText(kLastForecast), ".TODAY...SUN");
  EXPECT_NE(StoredFile().find("last marrowby=dword:1\nlast wendmoore=WENDMOORE\n"),
            std::string::npos);
}

// Runs the program's main loop, ended after `ms` by a guard if nothing else
// ends it; returns whether the guard had to.
bool MainLoopNeededTheGuard(int ms) {
  bool timed_out = false;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    timed_out = true;
    QCoreApplication::exit(1);
  });
  guard.start(ms);
  EXPECT_EQ(RunMessageLoop(), 0);
  return timed_out;
}

TEST_F(CloseStoreTest, ACloseBeforeTheLoopEndsTheLoopAtOnce) {
  TestApplication::Current().end_loops = true;  // as in the program
  TfrmMain frm;
  frm.FormCreate();
  // As the start-up update may do, while the window is still being created.
  ASSERT_TRUE(frm.Close());
  EXPECT_TRUE(TerminateRequested());
  EXPECT_NE(StoredFile(), "");
  EXPECT_FALSE(MainLoopNeededTheGuard(10000));
}

// A signal that arrives while the strip is being shown is handled by the
// events run during the wait for the window to appear: it closes and stores
// there, and the main loop must not wait for input afterwards.
TEST_F(CloseStoreTest, ASignalWhileTheStripAppearsEndsTheProgram) {
  TestApplication::Current().end_loops = true;  // as in the program
  StoreFile(kStored);
  TfrmMain frm;
  frm.InstallCloseRoutes();
  raise(SIGTERM);
  frm.FormCreate();
  EXPECT_TRUE(TerminateRequested());
  EXPECT_FALSE(frm.isVisible());
  EXPECT_EQ(StoredText(kLastMarrowby), "MARROWBY  RAIN 55");
  EXPECT_FALSE(MainLoopNeededTheGuard(3000));
}

TEST_F(CloseStoreTest, TerminatingEndsNestedLoopsWithoutClosingTheirWindows) {
  TestApplication::Current().end_loops = true;  // as in the program
  QEventLoop outer;
  QEventLoop inner;
  bool inner_returned = false;
  bool outer_returned = false;
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(0, [&] { TerminateApplication(); });
    inner.exec();
    inner_returned = true;
  });
  QTimer::singleShot(10000, [&] { outer.exit(1); });
  EXPECT_EQ(outer.exec(), 0);
  outer_returned = true;
  EXPECT_TRUE(inner_returned);
  EXPECT_TRUE(outer_returned);
}

}  // namespace
