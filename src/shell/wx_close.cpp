// The close routes of the main window. The close box, Exit, the close
// signals and the session's end all come to Close(), which stores what the
// strip shows through FormCloseQuery once and then ends the program.
#include <QCloseEvent>
#include <QGuiApplication>
#include <QSessionManager>
#include <cstdio>
#include <exception>

#include "shell/close_signals.h"
#include "shell/wx.h"
#include "store/reg_ini_file.h"
#include "ui/application.h"

bool TfrmMain::Close() {
  bool CanClose = true;
  FormCloseQuery(CanClose);
  if (!CanClose) return false;
  TCloseAction Action = caHide;
  FormClose(Action);
  if (Action == caNone) return false;
  // The main window's close ends the program. The object itself lives on
  // until the program's run returns, as the handler that closed it may still
  // be running.
  hide();
  TerminateApplication();
  return true;
}

void TfrmMain::EndSession() {
  if (TerminateRequested()) return;
  try {
    if (Close()) return;
  } catch (const std::exception& error) {
    // The session is ending: a box would wait for a click that never comes.
    std::fprintf(stderr, "marrowby-weather: cannot store the settings in %s: %s\n",
                 TRegIniFile(kProductKeyPath).FileName().c_str(), error.what());
    std::fflush(stderr);
    hide();
    TerminateApplication(1);
    return;
  }
  TerminateApplication();
}

void TfrmMain::InstallCloseRoutes() {
  close_signals_ = std::make_unique<TCloseSignals>([this] { EndSession(); });
  connect(qApp, &QGuiApplication::commitDataRequest, this,
          [this](QSessionManager&) { EndSession(); });
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  // Stays open unless the whole close path ran (storing may fail).
  event->ignore();
  if (Close()) event->accept();
}
