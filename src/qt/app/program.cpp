#include "qt/app/program.h"

#include "qt/about/about_box.h"
#include "qt/strip/strip_window.h"
#include "qt/ui/app_title.h"
#include "qt/ui/application.h"

int RunProgram(int argc, char** argv, const MainWindowMaker& make_main_window) {
  PreferX11UnderWayland(argc, argv);
  PreferPlainImageTransfer();
  TApplication app(argc, argv);
  SetApplicationTitle(kApplicationTitle);

  const std::unique_ptr<TStripWindow> window = make_main_window();
  window->InstallCloseRoutes();
  // An error in FormCreate ends it where it was raised, like any handler's.
  RunGuarded(*window, [&] { window->frmMain.FormCreate(); });

  // Created hidden, its controls made only should it be shown: the About
  // command makes a box of its own.
  TAboutBox frmAbout(nullptr, TAboutBox::Build::kWhenShown);

  // The loop shows the main window if its creation did not get that far.
  if (!TerminateRequested() && window->isHidden()) window->ShowWindow();
  return RunMessageLoop();
}
