// The sample server program on Windows: no service manager hands it sockets,
// and the console's control events are the requests to stop.
#include <windows.h>

#include <mutex>

#include "sample-server/server_host.h"

namespace mw_sample {
namespace {

// Windows gives a console program five seconds after its window is closed
// before it ends it; the handler gives the server nearly as much.
constexpr DWORD kEndWaitMs = 4000;

// The handler runs on a thread of its own, which Windows starts for each
// event; the lock keeps the flag from going while it is raised.
std::mutex g_mutex;
mw_http::StopFlag* g_stop = nullptr;
HANDLE g_gone = nullptr;  // set when the StopOnRequest goes

BOOL WINAPI OnConsoleEvent(DWORD event) {
  HANDLE gone = nullptr;
  {
    std::lock_guard lock(g_mutex);
    // No server to stop (any more): Windows' own handling, which ends the
    // process.
    if (g_stop == nullptr) return FALSE;
    g_stop->Raise();
    gone = g_gone;
  }
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    WaitForSingleObject(gone, kEndWaitMs);
  }
  return TRUE;
}

}  // namespace

bool TakeHandedSockets(ServerOptions&, std::string*) { return true; }

StopOnRequest::StopOnRequest(mw_http::StopFlag& stop) {
  std::lock_guard lock(g_mutex);
  g_stop = &stop;
  if (g_gone == nullptr) g_gone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ResetEvent(g_gone);
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

// The handler stays registered: taking it away while it runs could wait for
// it. Without a flag it leaves every event to Windows.
StopOnRequest::~StopOnRequest() {
  std::lock_guard lock(g_mutex);
  g_stop = nullptr;
  SetEvent(g_gone);
}

}  // namespace mw_sample
