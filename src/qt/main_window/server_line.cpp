#include "qt/main_window/server_line.h"

#include <xcb/xcb.h>

#include <QBackingStore>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

// The X server holds a depth-24 window's pixels as 32-bit little-endian
// xRGB words, as QImage's 32-bit formats do in memory; the screen's windows
// without an alpha channel have depth 24.
bool ServerHoldsRgb32(xcb_connection_t* c) {
  const xcb_setup_t* setup = xcb_get_setup(c);
  const auto screen = xcb_setup_roots_iterator(setup);
  if (!screen.rem || screen.data->root_depth != 24) return false;
  if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
    if (f.data->depth == 24) return f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
  }
  return false;
}

// The application's X connection when the line can be kept on its server,
// else nullptr. Looked at once for each application object: a step asks at
// every tick.
xcb_connection_t* Connection() {
  static const QGuiApplication* looked_at = nullptr;
  static xcb_connection_t* connection = nullptr;
  if (looked_at != qGuiApp) {
    looked_at = qGuiApp;
    connection = nullptr;
    if (qGuiApp && QGuiApplication::platformName() == QLatin1String("xcb")) {
      auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
      xcb_connection_t* c = x11 ? x11->connection() : nullptr;
      if (c && ServerHoldsRgb32(c)) connection = c;
    }
  }
  return connection && !xcb_connection_has_error(connection) ? connection : nullptr;
}

// The window's backing store image, when the panel draws there as the line
// is kept: 32 bits a pixel in the X server's order (opaque, so xRGB whether
// or not it is kept premultiplied), one pixel per device pixel.
const QImage* BackingImage(QBackingStore* store) {
  if (!store || !store->paintDevice() || store->paintDevice()->devType() != QInternal::Image) {
    return nullptr;
  }
  auto* image = static_cast<QImage*>(store->paintDevice());
  const QImage::Format format = image->format();
  if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) ||
      image->devicePixelRatio() != 1) {
    return nullptr;
  }
  return image;
}

// Sends `image` to `drawable` at (0, 0), in requests the server accepts.
void PutImage(xcb_connection_t* c, std::uint32_t drawable, std::uint32_t gc, const QImage& image) {
  const std::uint32_t most = xcb_get_maximum_request_length(c) * 4 - 64;
  const auto row_bytes = static_cast<std::uint32_t>(image.bytesPerLine());
  const int rows_per_request = std::max(1, static_cast<int>(most / row_bytes));
  for (int top = 0; top < image.height(); top += rows_per_request) {
    const int rows = std::min(rows_per_request, image.height() - top);
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, gc,
                  static_cast<std::uint16_t>(image.width()), static_cast<std::uint16_t>(rows), 0,
                  static_cast<std::int16_t>(top), 0, 24,
                  row_bytes * static_cast<std::uint32_t>(rows), image.constScanLine(top));
  }
}

}  // namespace

ServerLine::~ServerLine() { FreeOnServer(); }

QWidget* ServerLine::Host(const QWidget* panel) {
  // Qt makes a widget native when asked for its window id, and with it its
  // ancestors and their siblings: a dialog of the strip whose window id is
  // asked for makes every child widget of the strip native, the panel's
  // frame among them.
  return panel->internalWinId() ? const_cast<QWidget*>(panel) : panel->nativeParentWidget();
}

QImage::Format ServerLine::Format(const QWidget* panel) {
  const QWidget* host = Host(panel);
  const QWindow* handle = host ? host->windowHandle() : nullptr;
  if (!handle || !handle->isExposed()) return QImage::Format_Invalid;
  if (!Connection() || handle->format().hasAlpha()) return QImage::Format_Invalid;
  // The window's backing store holds the pixels of its native children too.
  // At a device pixel ratio other than 1 the backing store's is too.
  const QImage* image = BackingImage(panel->window()->backingStore());
  return image ? image->format() : QImage::Format_Invalid;
}

bool ServerLine::Keep(const QWidget* panel, const QImage& pixels) {
  Forget();
  auto* c = Connection();
  if (!c || pixels.isNull() || pixels.format() != Format(panel)) return false;
  const QWidget* host = Host(panel);
  const auto window = static_cast<std::uint32_t>(host ? host->internalWinId() : 0);
  if (!window) return false;
  connection_ = c;
  window_ = window;
  pixmap_ = xcb_generate_id(c);
  xcb_create_pixmap(c, 24, pixmap_, window_, static_cast<std::uint16_t>(pixels.width()),
                    static_cast<std::uint16_t>(pixels.height()));
  gc_ = xcb_generate_id(c);
  // No exposure events: the pixmap is whole, and what a copy into a covered
  // part of the window misses is painted when the part is uncovered.
  const std::uint32_t values[] = {0};
  xcb_create_gc(c, gc_, pixmap_, XCB_GC_GRAPHICS_EXPOSURES, values);
  PutImage(c, pixmap_, gc_, pixels);
  size_ = pixels.size();
  return true;
}

void ServerLine::Forget() {
  FreeOnServer();
  size_ = QSize();
}

void ServerLine::FreeOnServer() {
  auto* c = static_cast<xcb_connection_t*>(connection_);
  if (c && c == Connection()) {
    if (gc_) xcb_free_gc(c, gc_);
    if (pixmap_) xcb_free_pixmap(c, pixmap_);
  }
  connection_ = nullptr;
  pixmap_ = gc_ = window_ = 0;
}

bool ServerLine::Holds(const QWidget* panel) const {
  const QWidget* host = Host(panel);
  return connection_ && connection_ == Connection() && host && window_ == host->internalWinId();
}

bool ServerLine::Show(const QWidget* panel, const QRect& area, int column, int strip_column,
                      int strip_width) {
  if (!Holds(panel) || size_.height() != area.height() || column < 0 ||
      column + area.width() > size_.width() || strip_column < 0 ||
      strip_column + strip_width > size_.width()) {
    return false;
  }
  auto* c = static_cast<xcb_connection_t*>(connection_);
  const QWidget* host = Host(panel);
  const QPoint target = host == panel ? area.topLeft() : panel->mapTo(host, area.topLeft());
  const auto copy = [&](int from, int width) {
    xcb_copy_area(c, pixmap_, window_, gc_, static_cast<std::int16_t>(from), 0,
                  static_cast<std::int16_t>(target.x()), static_cast<std::int16_t>(target.y()),
                  static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(area.height()));
  };
  copy(column, area.width());
  if (strip_width > 0) copy(strip_column, std::min(strip_width, area.width()));
  xcb_flush(c);
  return true;
}
