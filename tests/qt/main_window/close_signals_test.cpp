// SIGTERM, SIGINT and SIGHUP as events of the event loop.
#include "qt/main_window/close_signals.h"

#include <QCoreApplication>
#include <csignal>

#include "window_fixture.h"

namespace {

using SupportTest = WindowTest;

TEST_F(SupportTest, CloseSignalsArriveAsOneEventPerBurst) {
  int calls = 0;
  {
    CloseSignals close_signals([&] { ++calls; });
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
    CloseSignals close_signals([&] { ++calls; });
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

}  // namespace
