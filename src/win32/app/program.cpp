#include "win32/app/program.h"

#include <commctrl.h>
#include <objbase.h>

#include "win32/main_window/main_window.h"
#include "win32/ui/application.h"

int RunProgram(HINSTANCE instance, const MainWindowMaker& make_main_window) {
  // COM for the screen readers' objects; the tool tips, track bar and
  // buttons of the common controls.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  int status = 0;
  {
    Application app(instance);
    const std::unique_ptr<MainWindow> strip = make_main_window(app);
    strip->frmMain.Start();
    app.RunMessageLoop();
    status = strip->frmMain.ExitStatus();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return status;
}
