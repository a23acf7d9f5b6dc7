// The floor for a minute of ticking: a bare Qt Widgets window of the strip's
// size whose timer, at every step, copies a stretch of a pixmap kept on the X
// server into the window (one request) and does nothing else: what any Qt
// program that shows a step on X11 costs, with its X server, at the least.
// Started as: copy_floor [ms]
#include <xcb/xcb.h>

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

namespace {
class Window : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::black); }
};
}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_XCB_NO_MITSHM", "1");  // as the program runs
  QApplication app(argc, argv);
  Window window;
  window.setWindowTitle(QStringLiteral("floor"));
  window.setGeometry(10, 40, 340, 34);
  window.show();
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c) return 1;
  const auto target = static_cast<xcb_window_t>(window.winId());
  const xcb_pixmap_t pixmap = xcb_generate_id(c);
  xcb_create_pixmap(c, 24, pixmap, target, 900, 29);
  const xcb_gcontext_t gc = xcb_generate_id(c);
  const std::uint32_t values[] = {0};
  xcb_create_gc(c, gc, pixmap, XCB_GC_GRAPHICS_EXPOSURES, values);
  int x = 0;
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    x = (x + 7) % 600;
    xcb_copy_area(c, pixmap, target, gc, static_cast<std::int16_t>(x), 0, 39, 3, 299, 29);
    xcb_flush(c);
  });
  timer.start(argc > 1 ? std::atoi(argv[1]) : 150);
  return app.exec();
}
