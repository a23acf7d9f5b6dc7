#include "qt/app/program.h"

#include "qt/main_window/main_window.h"
#include "qt/ui/application.h"

int RunProgram(int argc, char** argv, const MainWindowMaker& make_main_window) {
  PreferX11UnderWayland(argc, argv);
  PreferPlainImageTransfer();
  Application app(argc, argv);

  const std::unique_ptr<MainWindow> window = make_main_window();
  window->InstallCloseRoutes();
  window->frmMain.Start();
  app.RunMessageLoop();
  return window->frmMain.ExitStatus();
}
