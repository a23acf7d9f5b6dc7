// Program entry: the application, its title, the main window, the about box
// (hidden), and the event loop until the application is told to end.
#include "about/wxabout.h"
#include "shell/wx.h"
#include "ui/app_title.h"
#include "ui/application.h"

int main(int argc, char** argv) {
  PreferX11UnderWayland(argc, argv);
  PreferPlainImageTransfer();
  TApplication app(argc, argv);
  SetApplicationTitle(kApplicationTitle);

  TfrmMain frmMain;
  frmMain.InstallCloseRoutes();
  // An error in FormCreate ends it where it was raised, like any handler's.
  RunGuarded([&] { frmMain.FormCreate(); });

  TfrmAbout frmAbout;  // created hidden; the About command makes its own

  // The loop shows the main window if its creation did not get that far.
  if (!TerminateRequested() && frmMain.isHidden()) {
    frmMain.ShowStrip();
    frmMain.ShowInTaskbar();
  }
  return RunMessageLoop();
}
