// Holds the Wine prefix's desktop for the whole test run. Wine ends the
// desktop's process a few seconds after the last program on it, and the
// next test program starts it anew with its own standard output, which the
// test runner then waits for; with this program on the desktop from the
// start, it stays. The test command starts it and ends it with the prefix;
// should the test command be killed, it ends by itself after 30 minutes.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  GetDesktopWindow();  // on the desktop from now on
  SetTimer(nullptr, 0, 30 * 60 * 1000, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    DispatchMessageA(&msg);
  }
  return 0;
}
