// What every window shares: the timer, the screen-text codec, the error
// boundary, the message boxes, the platform choice and the close signals.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <csignal>
#include <cstdlib>

#include "shell/close_signals.h"
#include "shell_fixture.h"
#include "store/reg_ini_file.h"
#include "support/display_bytes.h"
#include "ui/app_title.h"
#include "ui/application.h"
#include "ui/display_text.h"
#include "ui/message_boxes.h"
#include "ui/timer.h"

namespace {

using SupportTest = ShellTest;

TEST_F(SupportTest, TimerTicksOnlyWhenEnabledWithAPositiveInterval) {
  TTimer timer;
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  EXPECT_FALSE(timer.Enabled());
  timer.SetInterval(0);
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_FALSE(timer.Ticking());
  timer.SetInterval(-5);
  EXPECT_FALSE(timer.Ticking());
  ProcessEventsUntil([] { return false; }, 50);
  EXPECT_EQ(ticks, 0);

  timer.SetInterval(5);
  EXPECT_TRUE(timer.Ticking());
  EXPECT_TRUE(ProcessEventsUntil([&] { return ticks >= 2; }));
  timer.SetEnabled(false);
  const int stopped_at = ticks;
  ProcessEventsUntil([] { return false; }, 50);
  EXPECT_EQ(ticks, stopped_at);

  timer.SetTag(7);
  EXPECT_EQ(timer.Tag(), 7);
}

TEST_F(SupportTest, EnablingOrSettingTheSameIntervalKeepsThePeriod) {
  TTimer timer;
  timer.SetInterval(1000);
  timer.SetEnabled(true);
  QThread::msleep(120);
  timer.SetEnabled(true);
  timer.SetInterval(1000);
  EXPECT_LE(timer.RemainingTime(), 900);
  timer.SetInterval(2000);
  EXPECT_GT(timer.RemainingTime(), 1800);
  // A new interval on a stopped timer starts nothing.
  timer.SetEnabled(false);
  timer.SetInterval(50);
  EXPECT_FALSE(timer.Ticking());
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

TEST_F(SupportTest, ErrorsEscapingAHandlerShowTheStopBoxAndTheLoopGoesOn) {
  SetApplicationTitle("Rain \x85 [*]");
  Throwing target;
  QEvent event(QEvent::User);
  QCoreApplication::sendEvent(&target, &event);
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].kind, "uncaught");
  EXPECT_EQ(boxes_.boxes[0].title, QString::fromUtf8("Rain \u2026 [*]"));
  EXPECT_EQ(boxes_.boxes[0].text, "Failed to get data for 'rate'.");

  // From a timer: every tick shows its box, and the timer keeps running.
  TTimer timer;
  timer.OnTimer = [] { throw std::runtime_error("disk full"); };
  timer.SetInterval(5);
  timer.SetEnabled(true);
  EXPECT_TRUE(ProcessEventsUntil([&] { return boxes_.boxes.size() >= 3; }));
  EXPECT_EQ(boxes_.boxes[2].text, "disk full.");

  EXPECT_TRUE(RunGuarded([] {}));
  EXPECT_FALSE(RunGuarded([] { throw ERegistryException("Failed to create key window"); }));
  EXPECT_EQ(boxes_.boxes.back().text, "Failed to create key window.");
}

TEST_F(SupportTest, TerminateIsObservableThroughTheApplicationObject) {
  EXPECT_FALSE(TerminateRequested());
  TerminateApplication();
  EXPECT_TRUE(TerminateRequested());
  EXPECT_EQ(terminate_calls_, 1);
  TestApplication::Current().ForgetTerminate();
  EXPECT_FALSE(TerminateRequested());
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

TEST_F(SupportTest, CloseSignalsArriveAsOneEventPerBurst) {
  int calls = 0;
  {
    TCloseSignals close_signals([&] { ++calls; });
    ASSERT_TRUE(close_signals.Installed());
    raise(SIGHUP);
    raise(SIGINT);
    EXPECT_EQ(calls, 0);  // nothing runs inside the signal handler
    EXPECT_TRUE(ProcessEventsUntil([&] { return calls > 0; }));
    ProcessEventsUntil([] { return false; }, 50);
    EXPECT_EQ(calls, 1);
  }
  // The previous handlers are back.
  struct sigaction current = {};
  sigaction(SIGTERM, nullptr, &current);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
}

// A signal the program was started with ignored (nohup, a background job)
// stays ignored: the user asked for the program to outlive it.
TEST_F(SupportTest, SignalsIgnoredAtStartStayIgnored) {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  struct sigaction before_hup = {};
  sigaction(SIGHUP, &ignore, &before_hup);
  int calls = 0;
  {
    TCloseSignals close_signals([&] { ++calls; });
    raise(SIGHUP);
    ProcessEventsUntil([] { return false; }, 100);
    EXPECT_EQ(calls, 0);
    // The others still close the program.
    raise(SIGTERM);
    EXPECT_TRUE(ProcessEventsUntil([&] { return calls > 0; }));
  }
  struct sigaction after = {};
  sigaction(SIGHUP, nullptr, &after);
  EXPECT_EQ(after.sa_handler, SIG_IGN);
  sigaction(SIGHUP, &before_hup, nullptr);
}

TEST_F(SupportTest, ApplicationTitleKeepsTheWholeText) {
  const std::string long_title(5000, 'x');
  SetApplicationTitle(long_title);
  EXPECT_EQ(ApplicationTitleText(), long_title);
  EXPECT_EQ(ApplicationTitle().size(), 5000);
  // No taskbar proxy away from X11.
  EXPECT_EQ(TaskbarProxyWindow(), nullptr);
}

}  // namespace
