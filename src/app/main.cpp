// Program entry.
#include "about/wxabout.h"
#include "shell/app_title.h"
#include "shell/application.h"
#include "shell/wx.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  SetApplicationTitle(QStringLiteral("Marrowby Weather"));
  TfrmMain frmMain;
  frmMain.FormCreate();
  TfrmAbout frmAbout;  // created hidden, never shown
  return app.exec();
}
