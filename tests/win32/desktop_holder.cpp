// Holds the Wine prefix's desktop for the whole test run. Wine ends the
// desktop's process a few seconds after the last program on it, and the
// next test program starts it anew with its own standard output, which the
// test runner then waits for; with this program on the desktop from the
// start, it stays. The test command starts it and ends it with the prefix.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  GetDesktopWindow();  // on the desktop from now on
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
