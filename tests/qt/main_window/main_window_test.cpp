// The strip on Qt: the window TfrmMain drives, beyond what the conformance
// suite (tests/strip/face_conformance_test.cpp) shows of every face. Its frame
// and timers, its size, hints and the popup menu, plain text, the stock
// pictures, the ticker's style, and the wiring of Qt's events to the
// handlers: timers, menu commands, the close box, the close signals and the
// session's end, errors that escape a handler, a fetch that keeps painting,
// the real boxes and dialogs.
#include "qt/main_window/main_window.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QWindow>
#include <csignal>
#include <filesystem>
#include <thread>

#include "qt/about/about_box.h"
#include "qt/main_window/ticker_panel.h"
#include "qt/options/options_dialog.h"
#include "qt/ui/app_title.h"
#include "qt/ui/application.h"
#include "qt/ui/display_text.h"
#include "qt/ui/locale_formats.h"
#include "qt/ui/panel.h"
#include "qt/ui/picture.h"
#include "support/weather_servers.h"
#include "window_fixture.h"

// Qt's own, to play what its session management does.
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qwindowsysteminterface.h>

namespace {

using namespace std::chrono_literals;

constexpr char kStored[] =
    "[settings]\nonstart=0\n"
    "[window]\nleft=33\ntop=44\nwidth=420\n"
    "[weather]\nlast forecast=Showers likely. Lows near 50 & <i>breezy</i>.\n"
    "last marrowby=MARROWBY  RAIN 55\nlast wendmoore=WENDMOORE\nlast update=Last Updated "
    "1/2/2024\n";

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, FrameAndTimersBeforeCreation) {
  MainWindow frm;
  EXPECT_TRUE(frm.windowFlags() & Qt::Tool);
  EXPECT_TRUE(frm.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(frm.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(frm.isVisible());
  // Only the half-hourly timer runs from the start.
  EXPECT_FALSE(frm.Timer(StripTimer::tmrScroll).isActive());
  EXPECT_FALSE(frm.Timer(StripTimer::tmrTitleSwitch).isActive());
  EXPECT_TRUE(frm.Timer(StripTimer::tmrUpdate).isActive());
  EXPECT_EQ(frm.Timer(StripTimer::tmrUpdate).interval(), 1800000);

  // The access keys are the captions' own; no item has a shortcut.
  for (QAction* item : frm.pMenu->actions()) EXPECT_TRUE(item->shortcut().isEmpty());
  // The stock pictures hold what the current picture copies; they have no
  // hint and stand apart, below the strip.
  for (Picture* stock : {frm.imgSun, frm.imgRain, frm.imgSnow, frm.imgCloud}) {
    EXPECT_TRUE(stock->toolTip().isEmpty());
    EXPECT_GE(stock->y(), frm.height());
  }
  EXPECT_LT(frm.imgSun->x(), frm.imgRain->x());
  EXPECT_LT(frm.imgRain->x(), frm.imgSnow->x());
  EXPECT_LT(frm.imgSnow->x(), frm.imgCloud->x());
}

TEST_F(MainWindowTest, CreationPlacesShowsAndStylesTheStrip) {
  StoreFile(
      "[settings]\nonstart=0\n[window]\nleft=120\ntop=-30\nwidth=512\nforeground=4\n"
      "background=11\nbold=0\n[weather]\nlast forecast=Fair.\n");
  MainWindow frm;
  QFont styled = frm.pnlScroll->font();
  styled.setItalic(true);
  styled.setUnderline(true);
  frm.pnlScroll->setFont(styled);
  frm.frmMain.FormCreate();
  ASSERT_TRUE(frm.isVisible());
  // A stored position off the screen is applied as it stands.
  EXPECT_EQ(frm.frameGeometry().topLeft(), QPoint(120, -30));
  EXPECT_EQ(frm.frameGeometry().width(), 512);
  EXPECT_EQ(frm.windowHandle()->title(), "Getting current conditions...");
  // Bold off replaces the whole style.
  const QFont plain = frm.pnlScroll->font();
  EXPECT_FALSE(plain.bold() || plain.italic() || plain.underline() || plain.strikeOut());
  EXPECT_EQ(plain.pixelSize(), 15);
  EXPECT_EQ(frm.pnlScroll->FontColor(), QColor(0, 0, 128));
  EXPECT_EQ(frm.pnlScroll->Color(), QColor(255, 255, 0));
  EXPECT_EQ(frm.pnlImage->Color(), QColor(255, 255, 0));
  // The stored forecast runs at the stored speed.
  EXPECT_TRUE(frm.Timer(StripTimer::tmrScroll).isActive());
  EXPECT_EQ(frm.Timer(StripTimer::tmrScroll).interval(), 150);
  EXPECT_TRUE(frm.Timer(StripTimer::tmrTitleSwitch).isActive());
}

TEST_F(MainWindowTest, TheStripKeepsItsHeightAndTheTickerReachesTheRightEdge) {
  StoreFile("[settings]\nonstart=0\n");
  MainWindow frm;
  frm.frmMain.FormCreate();
  EXPECT_EQ(frm.pnlMain->ClientHeight(), kStripDesign.strip_client_height);
  EXPECT_EQ(frm.pnlImage->ClientWidth(), kStripDesign.picture_frame_size);
  EXPECT_EQ(frm.height(), frm.pnlMain->height() - 1);
  EXPECT_EQ(frm.pnlImage->height(), frm.pnlMain->ClientHeight());
  // The picture at the frame's inside, whatever the strip's height.
  EXPECT_EQ(frm.imgCurrent->geometry(),
            QRect(frm.pnlImage->contentsRect().topLeft(),
                  QSize(kStripDesign.picture_size, kStripDesign.picture_size)));
  const int strip_height = frm.height();

  for (QSize drag : {QSize(500, 120), QSize(200, 5), QSize(700, strip_height)}) {
    frm.resize(drag);
    frm.windowHandle()->resize(drag);
    ProcessEventsUntil([&] { return frm.width() == drag.width(); }, 1000);
    EXPECT_EQ(frm.height(), strip_height);
    EXPECT_EQ(frm.width(), drag.width());
    EXPECT_EQ(frm.pnlScroll->x(), frm.pnlImage->x() + frm.pnlImage->width() + 2);
    EXPECT_EQ(frm.pnlScroll->geometry().right() + 1, drag.width());
    EXPECT_EQ(frm.pnlMain->width(), drag.width());
  }
}

TEST_F(MainWindowTest, HintsAndPopupMenuOverTheStrip) {
  StoreFile("[settings]\nonstart=0\n[weather]\nlast update=Last Updated <b>noon</b> & later\n");
  MainWindow frm;
  frm.frmMain.FormCreate();

  // The window's hint wherever the control under the mouse has none.
  QHelpEvent over_ticker(QEvent::ToolTip, QPoint(5, 5), frm.pnlScroll->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(frm.pnlScroll, &over_ticker);
  EXPECT_EQ(QToolTip::text(), PlainToolTip("Last Updated <b>noon</b> & later"));
  QToolTip::hideText();
  QHelpEvent over_picture(QEvent::ToolTip, QPoint(5, 5), frm.imgCurrent->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(frm.imgCurrent, &over_picture);
  EXPECT_EQ(QToolTip::text(), "Current Marrowby Weather");
  QToolTip::hideText();

  // The menu is made when it is first opened, with every item.
  EXPECT_TRUE(frm.findChildren<QMenu*>().isEmpty());
  for (QWidget* target : {static_cast<QWidget*>(frm.pnlScroll),
                          static_cast<QWidget*>(frm.imgCurrent), static_cast<QWidget*>(&frm)}) {
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(3, 3),
                            target->mapToGlobal(QPoint(3, 3)));
    QCoreApplication::sendEvent(target, &click);
    ASSERT_EQ(frm.findChildren<QMenu*>().size(), 1);
    QMenu* shown = frm.findChildren<QMenu*>().front();
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown, frm.pMenu.get());
    EXPECT_EQ(shown->actions().size(), 9);
    shown->hide();
  }
}

// The strip is rarely the active window: a hint shows when the mouse rests
// over it all the same.
TEST_F(MainWindowTest, HintsShowWhileAnotherWindowIsActive) {
  StoreFile("[settings]\nonstart=0\n[weather]\nlast update=Last Updated noon\n");
  MainWindow frm;
  frm.frmMain.FormCreate();
  QWidget elsewhere;
  elsewhere.show();
  elsewhere.activateWindow();
  ASSERT_TRUE(ProcessEventsUntil([&] { return elsewhere.isActiveWindow(); }));
  ASSERT_FALSE(frm.isActiveWindow());

  for (QWidget* target :
       {static_cast<QWidget*>(frm.pnlScroll), static_cast<QWidget*>(frm.imgCurrent)}) {
    const QString hint = target == frm.imgCurrent ? QString("Current Marrowby Weather")
                                                  : PlainToolTip("Last Updated noon");
    QTest::mouseMove(target, QPoint(10, 10));
    QTest::mouseMove(target, QPoint(11, 10));
    EXPECT_TRUE(ProcessEventsUntil([&] {
      return QToolTip::isVisible() && QToolTip::text() == hint;
    })) << QToolTip::text().toStdString();
  }
  QToolTip::hideText();
}

TEST_F(MainWindowTest, TextsAreShownAsPlainText) {
  StoreFile("[settings]\nonstart=0\n");
  MainWindow frm;
  frm.frmMain.FormCreate();
  frm.SetTitle("Rain [*] & <b>x</b>");
  EXPECT_EQ(frm.windowHandle()->title(), "Rain [*] & <b>x</b>");
  frm.SetTitle("[*][*]");
  EXPECT_EQ(frm.windowHandle()->title(), "[*][*]");
  frm.SetTitle("");
  EXPECT_EQ(frm.windowTitle(), "");

  // Station items stay hidden whatever they say.
  frm.SetStationItem(StationItem::pMRB, "MARROWBY & CO");
  frm.SetStationItem(StationItem::pWDM, "WENDMOORE &Fog");
  EXPECT_FALSE(frm.pMRB->isVisible());
  EXPECT_FALSE(frm.pWDM->isVisible());

  // Tool tips: escaped markup that keeps blanks.
  EXPECT_EQ(PlainToolTip("a <b>b</b>  &"),
            "<p style=\"white-space:pre\">a &lt;b&gt;b&lt;/b&gt;  &amp;</p>");
  EXPECT_EQ(PlainToolTip(""), "");
}

TEST_F(MainWindowTest, TheCurrentPictureIsACopyOfAStockPicture) {
  MainWindow frm;
  const PictureImage sun = frm.imgSun->Image();
  frm.SetCurrentPicture(ConditionPicture::kSun);
  EXPECT_EQ(frm.imgCurrent->Image(), sun);
  EXPECT_EQ(frm.imgSun->Image(), sun);  // the source is unchanged
  frm.SetCurrentPicture(ConditionPicture::kSnow);
  EXPECT_EQ(frm.imgCurrent->Image(), frm.imgSnow->Image());
  frm.SetCurrentPicture(ConditionPicture::kCloud);
  EXPECT_EQ(frm.imgCurrent->Image(), frm.imgCloud->Image());
  frm.SetCurrentPicture(ConditionPicture::kRain);
  EXPECT_EQ(frm.imgCurrent->Image(), frm.imgRain->Image());
}

// ---- timers ----

TEST_F(MainWindowTest, TheTimersTickIntoTheHandlersAndKeepTheirPeriod) {
  StoreFile("[settings]\nonstart=0\n[scroll]\nrate=150\n[weather]\nlast forecast=abcdef\n");
  MainWindow frm;
  frm.frmMain.FormCreate();
  frm.frmMain.tmrScroll.SetEnabled(true);
  QThread::msleep(60);
  // An unchanged interval, or enabling a running timer, keeps its period.
  frm.frmMain.ApplySettings();
  frm.frmMain.tmrScroll.SetEnabled(true);
  EXPECT_LE(frm.Timer(StripTimer::tmrScroll).remainingTime(), 140);

  frm.frmMain.tmrScroll.SetInterval(5);
  EXPECT_TRUE(ProcessEventsUntil([&] { return frm.frmMain.Caption().size() < 6; }));
  frm.frmMain.tmrScroll.SetInterval(0);
  EXPECT_FALSE(frm.Timer(StripTimer::tmrScroll).isActive());
}

// ---- closing ----

enum class Route { kCloseBox, kExit, kSigterm, kSigint, kSighup, kSessionEnd };

class CloseRouteTest : public WindowTest, public ::testing::WithParamInterface<Route> {
 protected:
  // Starts a window on kStored, lets it run a few steps, closes it by `route`
  // and returns the stored file.
  std::string CloseBy(Route route) {
    StoreFile(kStored);
    TestApplication::Current().ForgetEndedLoops();
    MainWindow frm;
    frm.InstallCloseRoutes();
    frm.frmMain.FormCreate();
    frm.frmMain.tmrScrollTimer();
    frm.frmMain.tmrTitleSwitchTimer();
    frm.frmMain.tmrTitleSwitchTimer();  // "Wendmoore - Not available" in the title now
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
        EXPECT_TRUE(ProcessEventsUntil([&] { return end_loops_calls_ > 0; }));
        break;
      case Route::kSessionEnd:
        // As Qt's session management on X11 passes on the session manager's
        // "die".
        QWindowSystemInterface::handleApplicationTermination<
            QWindowSystemInterface::SynchronousDelivery>();
        break;
    }
    EXPECT_FALSE(frm.isVisible());
    EXPECT_TRUE(frm.frmMain.TerminateRequested());
    std::string stored = StoredFile();
    // Nothing more is written afterwards, not even by a second signal or a
    // close that another program asks the window for.
    std::filesystem::remove(config_.SettingsFile());
    if (route == Route::kSigterm) raise(SIGTERM);
    EXPECT_TRUE(frm.close());
    ProcessEventsUntil([] { return false; }, 100);
    EXPECT_FALSE(std::filesystem::exists(config_.SettingsFile()));
    return stored;
  }
};

TEST_P(CloseRouteTest, StoresWhatTheExitCommandStores) {
  const std::string by_exit = CloseBy(Route::kExit);
  ASSERT_FALSE(by_exit.empty());
  const std::string by_route = CloseBy(GetParam());
  EXPECT_EQ(by_route, by_exit);
  EXPECT_GE(end_loops_calls_, 1);
}

INSTANTIATE_TEST_SUITE_P(Routes, CloseRouteTest,
                         ::testing::Values(Route::kCloseBox, Route::kSigterm, Route::kSigint,
                                           Route::kSighup, Route::kSessionEnd));

TEST_F(MainWindowTest, AStoreThatCannotBeWrittenKeepsTheWindowOpen) {
  StoreFile(kStored);
  MainWindow frm;
  frm.InstallCloseRoutes();
  frm.frmMain.FormCreate();
  // A folder where the settings file should be: every write fails.
  std::filesystem::remove(config_.SettingsFile());
  std::filesystem::create_directory(config_.SettingsFile());

  // The close box: the error box, and the window stays.
  EXPECT_FALSE(frm.close());
  EXPECT_TRUE(frm.isVisible());
  EXPECT_EQ(end_loops_calls_, 0);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].kind, "uncaught");
  EXPECT_EQ(boxes_.boxes[0].title, "Marrowby Weather");
  EXPECT_TRUE(boxes_.boxes[0].text.startsWith("Failed to")) << boxes_.boxes[0].text.toStdString();

  // The system's request to end is obeyed all the same, without a box.
  raise(SIGTERM);
  EXPECT_TRUE(ProcessEventsUntil([&] { return end_loops_calls_ > 0; }));
  EXPECT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_FALSE(frm.isVisible());
  EXPECT_EQ(frm.frmMain.ExitStatus(), 1);
}

// A log-off: the session manager's request to save is its question, which
// stores and leaves the strip going (the log-off may still be cancelled);
// its end ends the strip as a close signal does, never with a box.
TEST_F(MainWindowTest, TheSessionManagersQuestionStoresAndOnlyItsEndEndsTheStrip) {
  StoreFile(kStored);
  MainWindow frm;
  frm.InstallCloseRoutes();
  frm.frmMain.FormCreate();
  std::filesystem::remove(config_.SettingsFile());
  QGuiApplicationPrivate::instance()->commitData();
  EXPECT_EQ(StoredText(kLastMarrowby), "MARROWBY  RAIN 55");
  EXPECT_FALSE(frm.frmMain.TerminateRequested());
  EXPECT_TRUE(frm.isVisible());
  EXPECT_TRUE(frm.Timer(StripTimer::tmrTitleSwitch).isActive());
  const std::string caption = frm.frmMain.Caption();
  EXPECT_TRUE(ProcessEventsUntil([&] { return frm.frmMain.Caption() != caption; }));

  // The end, once the store cannot be written any more.
  std::filesystem::remove(config_.SettingsFile());
  std::filesystem::create_directory(config_.SettingsFile());
  testing::internal::CaptureStderr();
  QWindowSystemInterface::handleApplicationTermination<
      QWindowSystemInterface::SynchronousDelivery>();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("marrowby-weather: cannot store the settings in ", 0), 0u) << err;
  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_FALSE(frm.isVisible());
  EXPECT_TRUE(frm.frmMain.TerminateRequested());
  EXPECT_EQ(frm.frmMain.ExitStatus(), 1);
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
  Application::Instance().RunMessageLoop();
  return timed_out;
}

TEST_F(MainWindowTest, ACloseBeforeTheLoopEndsTheLoopAtOnce) {
  TestApplication::Current().end_loops = true;  // as in the program
  MainWindow frm;
  frm.frmMain.FormCreate();
  // As the start-up update may do, while the window is still being created.
  ASSERT_TRUE(frm.frmMain.Close());
  EXPECT_TRUE(frm.frmMain.TerminateRequested());
  EXPECT_NE(StoredFile(), "");
  EXPECT_FALSE(MainLoopNeededTheGuard(10000));
}

// A signal that arrives while the strip is being shown is handled by the
// events run during the wait for the window to appear: it closes and stores
// there, and the main loop must not wait for input afterwards.
TEST_F(MainWindowTest, ASignalWhileTheStripAppearsEndsTheProgram) {
  TestApplication::Current().end_loops = true;  // as in the program
  StoreFile(kStored);
  MainWindow frm;
  frm.InstallCloseRoutes();
  raise(SIGTERM);
  frm.frmMain.Start();
  EXPECT_TRUE(frm.frmMain.TerminateRequested());
  EXPECT_FALSE(frm.isVisible());
  EXPECT_EQ(StoredText(kLastMarrowby), "MARROWBY  RAIN 55");
  EXPECT_FALSE(MainLoopNeededTheGuard(3000));
}

TEST_F(MainWindowTest, TerminatingEndsNestedLoopsWithoutClosingTheirWindows) {
  TestApplication::Current().end_loops = true;  // as in the program
  QEventLoop outer;
  QEventLoop inner;
  bool inner_returned = false;
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(0, [&] { Application::Instance().EndMessageLoops(); });
    inner.exec();
    inner_returned = true;
  });
  QTimer::singleShot(10000, &outer, [&] { outer.exit(1); });
  EXPECT_EQ(outer.exec(), 0);
  EXPECT_TRUE(inner_returned);
  // Every loop started since ends at once, as in the program, whose main
  // loop then returns (and the loops started after it run again).
  EXPECT_FALSE(MainLoopNeededTheGuard(3000));
}

// ---- while a document downloads ----

// Records the window title and the ticker caption each time the ticker is
// painted.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(MainWindow& frm) : frm_(frm) { frm.pnlScroll->installEventFilter(this); }
  std::vector<std::pair<std::string, std::string>> paints;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      paints.emplace_back(frm_.frmMain.Title(), frm_.pnlScroll->Caption());
    }
    return false;
  }

 private:
  MainWindow& frm_;
};

// The strip shows the status texts the update paints on purpose, and never
// the half-done texts it passes through while the documents download.
TEST_F(MainWindowTest, AnUpdatePaintsOnlyItsStatusTextsWhileItFetches) {
  StoreFile(kStored);
  WeatherServers servers;
  LoopbackReply slow = LoopbackReply::Page(
      200, Roundup("MARROWBY       RAIN      52 49  89 S12", "WENDMOORE      FAIR      61"));
  slow.stall_after_body_bytes = 0;
  slow.stall = 150ms;
  servers.ServeRoundupReply(false, slow);
  LoopbackReply slow_forecast = LoopbackReply::Page(200, ZoneForecast(".TODAY...RAIN."));
  slow_forecast.stall_after_body_bytes = 0;
  slow_forecast.stall = 150ms;
  servers.ServeForecastReply(false, slow_forecast);
  MainWindow frm;
  frm.frmMain.FormCreate();
  PaintRecorder recorder(frm);
  frm.frmMain.pUpdateClick();
  const std::pair<std::string, std::string> status{"Getting Current Conditions...",
                                                   "Getting Forecast Information..."};
  ASSERT_EQ(recorder.paints.size(), 2u);
  EXPECT_EQ(recorder.paints[0], status);
  EXPECT_EQ(recorder.paints[1], status);
  // Once the update returns, the strip paints what it left.
  EXPECT_TRUE(ProcessEventsUntil([&] { return recorder.paints.back().second == ".TODAY...RAIN"; }));
}

// A close signal while the roundup's server keeps silent: the fetch is
// abandoned without a box, the close stores once, and no timer handler ran
// during the fetch.
TEST_F(MainWindowTest, ACloseSignalDuringAFetchEndsTheUpdateAtOnce) {
  WeatherServers servers;
  LoopbackReply silent = LoopbackReply::Raw("");
  silent.stall_after_body_bytes = 0;
  silent.stall = 20s;
  servers.ServeRoundupReply(false, silent);
  StoreFile(kStored);
  MainWindow frm;
  frm.InstallCloseRoutes();
  frm.frmMain.FormCreate();
  frm.frmMain.fetchLimits = {20000, 20000, 30000};
  std::filesystem::remove(config_.SettingsFile());
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(10);
  std::thread signaller([] {
    std::this_thread::sleep_for(300ms);
    kill(getpid(), SIGTERM);
  });
  frm.frmMain.pUpdateClick();  // not abandoned, it would end in a box 20 s later
  signaller.join();

  EXPECT_TRUE(boxes_.boxes.empty());
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(servers.primary.Requests().size(), 1u);
  EXPECT_EQ(StoredText(kLastMarrowby), "MARROWBY  RAIN 55");
  std::filesystem::remove(config_.SettingsFile());
  EXPECT_TRUE(ProcessEventsUntil([&] { return ticks > 0; }));
  EXPECT_FALSE(std::filesystem::exists(config_.SettingsFile()));
}

// ---- menu commands, dialogs and the real boxes ----

TEST_F(MainWindowTest, TheForecastBoxShowsItsTextsAsPlainText) {
  StoreFile("[settings]\nonstart=0\n");
  MainWindow frm;
  frm.frmMain.FormCreate();
  frm.frmMain.ForecastText = "Rain <b>heavy</b> & wind \xE9t\xE9";
  frm.DisplayCompleteForecast1->trigger();
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].kind, "forecast");
  EXPECT_EQ(boxes_.boxes[0].title, "Marrowby Weather");
  EXPECT_EQ(boxes_.boxes[0].text, QString::fromUtf8("Rain <b>heavy</b> & wind \u00e9t\u00e9"));
}

TEST_F(MainWindowTest, TheOptionsDialogRunsOnTheFormAndItsSettingsApplyAfterOk) {
  StoreFile("[settings]\nonstart=0\n");
  MainWindow frm;
  frm.frmMain.FormCreate();
  QPointer<QDialog> seen;
  boxes_.on_modal = [&](QDialog& dialog) {
    seen = &dialog;
    auto* options = qobject_cast<OptionsDialog*>(&dialog);
    EXPECT_NE(options, nullptr);
    if (!options) return 0;
    options->tbScroll->setValue(40);
    options->chkShowTask->setChecked(true);
    options->chkAltSite->setChecked(true);
    options->btnOk->click();
    return options->result();
  };
  frm.pOptions->trigger();
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].kind, "modal");
  EXPECT_TRUE(seen.isNull());  // destroyed after its run
  EXPECT_EQ(frm.frmMain.tmrScroll.Interval(), 40);
  EXPECT_TRUE(frm.frmMain.ScrollInTaskbar);
  EXPECT_TRUE(frm.frmMain.UseAlternateSource);
}

// A store error on OK is the strip's to show: in its box titled with the
// application title as it is then (here the ticker, mirrored while the dialog
// was open), and the dialog stays open.
TEST_F(MainWindowTest, AnErrorOnOkIsShownWithTheTitleOfThatMoment) {
  StoreFile("[settings]\nonstart=0\n[window]\nshowtask=1\n[weather]\nlast forecast=Fair.\n");
  MainWindow frm;
  frm.frmMain.FormCreate();
  bool stayed_open = false;
  boxes_.on_modal = [&](QDialog& dialog) {
    auto* options = qobject_cast<OptionsDialog*>(&dialog);
    if (!options) return 0;
    frm.frmMain.tmrScrollTimer();
    std::filesystem::remove(config_.SettingsFile());
    std::filesystem::create_directory(config_.SettingsFile());
    options->show();
    options->btnOk->click();
    stayed_open = options->isVisible();
    std::filesystem::remove(config_.SettingsFile());
    options->reject();
    return options->result();
  };
  frm.pOptions->trigger();
  EXPECT_TRUE(stayed_open);
  ASSERT_EQ(boxes_.boxes.size(), 2u);
  EXPECT_EQ(boxes_.boxes[1].kind, "uncaught");
  EXPECT_EQ(boxes_.boxes[1].title, "air.");
  EXPECT_EQ(boxes_.boxes[1].text, "Failed to set data for 'rate'.");
}

TEST_F(MainWindowTest, EveryAboutIsAFreshBox) {
  MainWindow frm;
  std::vector<QPointer<QDialog>> seen;
  boxes_.on_modal = [&](QDialog& dialog) {
    EXPECT_NE(qobject_cast<AboutBox*>(&dialog), nullptr);
    EXPECT_EQ(dialog.windowTitle(), "About...");
    // The one before is gone already.
    for (const QPointer<QDialog>& before : seen) EXPECT_TRUE(before.isNull());
    seen.emplace_back(&dialog);
    return 0;
  };
  frm.pAbout->trigger();
  frm.frmMain.pAboutClick();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[1].isNull());
}

// The real modal run: the ticker keeps moving while the box is open.
TEST_F(MainWindowTest, TheTickerMovesWhileTheAboutBoxIsOpen) {
  StoreFile("[settings]\nonstart=0\n");
  MainWindow frm;
  frm.frmMain.FormCreate();
  InstallMessageBoxes(nullptr);
  StartTicker(frm.frmMain, std::string(500, 'x'));
  frm.frmMain.tmrScroll.SetInterval(5);
  frm.frmMain.tmrScroll.SetEnabled(true);
  bool moved = false;
  QTimer::singleShot(0, &frm, [&] {
    moved = ProcessEventsUntil([&] { return frm.frmMain.Caption().size() < 490; });
    auto* about = qobject_cast<AboutBox*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    about->Find<QPushButton>("btnOK")->click();
  });
  frm.frmMain.pAboutClick();
  EXPECT_TRUE(moved);
}

struct SeenBox {
  QString title;
  QString text;
  Qt::TextFormat format = Qt::AutoText;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  QRect frame;
  int label_width = 0;
  int label_height = 0;
  bool closed_by_key = false;
  QStringList accessible_names;  // the box's and every named element's within it
};

void CollectNames(QAccessibleInterface* iface, QStringList& names) {
  if (!iface->text(QAccessible::Name).isEmpty()) names << iface->text(QAccessible::Name);
  for (int i = 0; i < iface->childCount(); ++i) CollectNames(iface->child(i), names);
}

// Shows a real box through the window, looks at it once it is up, and closes
// it with `key`.
SeenBox ShowReal(const std::function<void()>& show, int key) {
  InstallMessageBoxes(nullptr);
  SeenBox seen;
  QObject looking;  // the look is not taken once the box is gone
  QTimer::singleShot(0, &looking, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen.title = box->windowHandle() ? box->windowHandle()->title() : box->windowTitle();
    seen.text = box->text();
    seen.format = box->textFormat();
    seen.icon = box->icon();
    for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
    seen.frame = box->frameGeometry();
    CollectNames(QAccessible::queryAccessibleInterface(box), seen.accessible_names);
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
      seen.label_width = label->width();
      seen.label_height = label->height();
    }
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(box, &press);
    seen.closed_by_key = !box->isVisible();
    if (box->isVisible()) box->buttons().first()->click();
  });
  show();
  return seen;
}

QRect Screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }

void ExpectCentred(const QRect& frame) {
  EXPECT_LE(std::abs(frame.center().x() - Screen().center().x()), 2) << frame.x();
  EXPECT_LE(std::abs(frame.center().y() - Screen().center().y()), 2) << frame.y();
}

TEST_F(MainWindowTest, RealErrorAndInformationBoxes) {
  MainWindow frm;
  SeenBox error =
      ShowReal([&] { frm.ShowError("Connection to Internet failed or lost."); }, Qt::Key_Return);
  EXPECT_EQ(error.title, "Error");
  EXPECT_EQ(error.text, "Connection to Internet failed or lost.");
  EXPECT_EQ(error.icon, QMessageBox::Critical);
  EXPECT_EQ(error.buttons, QStringList{"OK"});
  EXPECT_TRUE(error.closed_by_key);
  ExpectCentred(error.frame);

  SeenBox info = ShowReal(
      [&] {
        frm.ShowInformation("Attempt to open the URL failed. Check your connection settings");
      },
      Qt::Key_Escape);
  EXPECT_EQ(info.title, "Information");
  EXPECT_EQ(info.icon, QMessageBox::Information);
  EXPECT_EQ(info.buttons, QStringList{"OK"});
  EXPECT_TRUE(info.closed_by_key);
  ExpectCentred(info.frame);
}

TEST_F(MainWindowTest, RealForecastBoxIsPlainWrappedAndCentred) {
  MainWindow frm;
  std::string forecast = "<b>Bold?</b> & more: ";
  while (forecast.size() < 3000) forecast += "Showers likely, mainly after noon. ";
  frm.frmMain.ForecastText = forecast;
  SeenBox box = ShowReal([&] { frm.frmMain.DisplayCompleteForecast1Click(); }, Qt::Key_Escape);
  EXPECT_EQ(box.title, "Marrowby Weather");
  EXPECT_EQ(box.text.toStdString(), forecast);
  EXPECT_EQ(box.format, Qt::PlainText);
  EXPECT_EQ(box.icon, QMessageBox::NoIcon);
  EXPECT_EQ(box.buttons, QStringList{"OK"});
  // A screen reader reads the title, the whole forecast and the button.
  EXPECT_EQ(box.accessible_names,
            QStringList({"Marrowby Weather", QString::fromStdString(forecast), "OK"}));
  EXPECT_TRUE(box.closed_by_key);
  EXPECT_GT(box.label_width, 0);
  EXPECT_LE(box.label_width, Screen().width() / 2);
  EXPECT_GT(box.label_height, 3 * QFontMetrics(QApplication::font()).height());
  ExpectCentred(box.frame);

  // A short one, and an empty one, are centred as well.
  frm.frmMain.ForecastText = "Fair.";
  ExpectCentred(
      ShowReal([&] { frm.frmMain.DisplayCompleteForecast1Click(); }, Qt::Key_Return).frame);
  frm.frmMain.ForecastText.clear();
  SeenBox empty = ShowReal([&] { frm.frmMain.DisplayCompleteForecast1Click(); }, Qt::Key_Return);
  EXPECT_EQ(empty.text, "");
  EXPECT_EQ(empty.buttons, QStringList{"OK"});
}

// ---- the locale ----

TEST_F(MainWindowTest, TheWindowTakesTheFormatsAgainWhenTheLocaleChanges) {
  MainWindow frm;
  const LastUpdateFormats system = LocaleFormats(QLocale::system());
  EXPECT_EQ(frm.DateTimeFormats(), system);
  const LastUpdateFormats stale = [] {
    LastUpdateFormats formats;
    formats.time_separator = "#";
    return formats;
  }();

  const_cast<LastUpdateFormats&>(frm.DateTimeFormats()) = stale;
  QEvent to_window(QEvent::LocaleChange);
  QCoreApplication::sendEvent(&frm, &to_window);
  EXPECT_EQ(frm.DateTimeFormats(), system);

  const_cast<LastUpdateFormats&>(frm.DateTimeFormats()) = stale;
  QEvent to_application(QEvent::LocaleChange);
  QCoreApplication::sendEvent(QCoreApplication::instance(), &to_application);
  EXPECT_EQ(frm.DateTimeFormats(), system);
}

}  // namespace
