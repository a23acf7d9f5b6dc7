// The yardstick for the main window's start-up: a bare Qt window of the same
// size showing one line of text, shown and painted on the screen the same way
// (wait until mapped, paint, round trip to the X server), then the steady
// clock printed and the process ended, as startup_probe does. With
// "--stay" it stays open instead (for measuring its memory).
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "qt/ui/x11_window.h"

namespace {
class Line : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Forecast"));
  }
};
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Line window;
  window.setWindowTitle(QStringLiteral("bare"));
  window.setGeometry(10, 40, 340, 34);
  window.show();
  QTimer limit;
  limit.setSingleShot(true);
  limit.start(2000);
  while (!window.windowHandle()->isExposed() && limit.isActive()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::WaitForMoreEvents);
  }
  window.repaint();
  SyncWithDisplay();
  if (argc > 1 && std::string_view(argv[1]) == "--stay") return app.exec();
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
  std::fflush(stdout);
  std::_Exit(0);
}
