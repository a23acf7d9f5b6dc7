// The sample server program on Windows: no service manager hands it sockets.
// The requests to stop are the console's control events and, for a server
// that runs without a console window (started at log-on, say), WM_CLOSE to
// a window of its own that is never shown: its class, kWindowClass, is how
// other programs (the installer, taskkill without /f) find it.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "sample-server/server_host.h"

namespace mw_sample {
namespace {

// Windows gives a console program five seconds after its window is closed
// before it ends it; the handler gives the server nearly as much.
constexpr DWORD kEndWaitMs = 4000;

// The handlers run on threads of their own (Windows starts one for each
// console event; the window has one); the lock keeps the flag from going
// while it is raised.
std::mutex g_mutex;
mw_http::StopFlag* g_stop = nullptr;
HANDLE g_gone = nullptr;  // set when the StopOnRequest goes

// Raises the flag; false when there is no server to stop (any more).
bool RaiseStop() {
  std::lock_guard lock(g_mutex);
  if (g_stop == nullptr) return false;
  g_stop->Raise();
  return true;
}

// Windows ends the process as soon as these handlers return: wait (a few
// seconds at most) until the server has stopped and said so.
void WaitForTheEnd() { WaitForSingleObject(g_gone, kEndWaitMs); }

BOOL WINAPI OnConsoleEvent(DWORD event) {
  // No server to stop: Windows' own handling, which ends the process.
  if (!RaiseStop()) return FALSE;
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    WaitForTheEnd();
  }
  return TRUE;
}

// --- The window

std::thread g_window_thread;
DWORD g_window_thread_id = 0;
std::atomic<HWND> g_window = nullptr;  // when it could be made

LRESULT CALLBACK OnWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      // Asked to stop: the window goes with the server.
      RaiseStop();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wparam && RaiseStop()) WaitForTheEnd();
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

// Makes the window and runs its messages until WM_QUIT; `ready` is set once
// the window is there (or could not be made).
void RunWindow(HANDLE ready) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = OnWindowMessage;
  window_class.hInstance = instance;
  window_class.lpszClassName = kWindowClass;
  RegisterClassW(&window_class);
  // A top-level window, so that taskkill and the like see it; never shown.
  const HWND window =
      CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"Marrowby Weather sample server", WS_POPUP,
                      0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  g_window = window;
  SetEvent(ready);
  if (window == nullptr) return;  // stopped by the console's events only
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  g_window = nullptr;
  DestroyWindow(window);
}

}  // namespace

bool TakeHandedSockets(ServerOptions&, std::string*) { return true; }

StopOnRequest::StopOnRequest(mw_http::StopFlag& stop) {
  {
    std::lock_guard lock(g_mutex);
    g_stop = &stop;
    if (g_gone == nullptr) g_gone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(g_gone);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  }
  // The window is there before the server says where it listens, so that
  // whoever reads that can ask it to stop.
  const HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_window_thread = std::thread([ready] {
    g_window_thread_id = GetCurrentThreadId();
    RunWindow(ready);
  });
  WaitForSingleObject(ready, INFINITE);
  CloseHandle(ready);
}

// The console's handler stays registered: taking it away while it runs
// could wait for it. Without a flag it leaves every event to Windows.
StopOnRequest::~StopOnRequest() {
  {
    std::lock_guard lock(g_mutex);
    g_stop = nullptr;
    SetEvent(g_gone);
  }
  // A window that could not be made has left its thread already.
  PostThreadMessageW(g_window_thread_id, WM_QUIT, 0, 0);
  g_window_thread.join();
}

void StopOnRequest::ShowAddresses(const std::string& primary_url,
                                  const std::string& alternate_url) {
  const HWND window = g_window.load();
  if (window == nullptr) return;
  // The URLs are ASCII.
  const std::string title =
      "Marrowby Weather sample server on " + primary_url + " and " + alternate_url;
  SetWindowTextW(window, std::wstring(title.begin(), title.end()).c_str());
}

}  // namespace mw_sample
