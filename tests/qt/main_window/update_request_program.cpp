// The program as it ships, except that its half-hourly update also comes on
// request: whenever the file named by MW_UPDATE_REQUEST appears, it is
// removed and the update timer ticks once. So the screen reader test can
// have a new forecast arrive while the strip has the focus, with no key
// pressed and without waiting half an hour.
#include <QFile>
#include <QTimer>
#include <memory>

#include "qt/app/program.h"
#include "qt/main_window/main_window.h"

namespace {

class RequestedUpdateMainWindow : public MainWindow {
 public:
  RequestedUpdateMainWindow() : request_(qEnvironmentVariable("MW_UPDATE_REQUEST")) {
    if (request_.isEmpty()) return;
    connect(&poll_, &QTimer::timeout, this, [this] {
      if (!QFile::remove(request_)) return;
      frmMain.TimerTick(StripTimer::tmrUpdate);
    });
    poll_.start(100);
  }

 private:
  QString request_;
  QTimer poll_;
};

}  // namespace

int main(int argc, char** argv) {
  return RunProgram(argc, argv, [] { return std::make_unique<RequestedUpdateMainWindow>(); });
}
