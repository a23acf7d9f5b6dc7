#include "app/program.h"

#include "about/wxabout.h"
#include "shell/wx.h"
#include "ui/app_title.h"
#include "ui/application.h"

int RunProgram(int argc, char** argv, const MainWindowMaker& make_main_window) {
  PreferX11UnderWayland(argc, argv);
  PreferPlainImageTransfer();
  TApplication app(argc, argv);
  SetApplicationTitle(kApplicationTitle);

  const std::unique_ptr<TfrmMain> frmMain = make_main_window();
  frmMain->InstallCloseRoutes();
  // An error in FormCreate ends it where it was raised, like any handler's.
  RunGuarded([&] { frmMain->FormCreate(); });

  TfrmAbout frmAbout;  // created hidden; the About command makes its own

  // The loop shows the main window if its creation did not get that far.
  if (!TerminateRequested() && frmMain->isHidden()) {
    frmMain->ShowStrip();
    frmMain->ShowInTaskbar();
  }
  return RunMessageLoop();
}
