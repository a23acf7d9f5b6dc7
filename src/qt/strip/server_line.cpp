#include "qt/strip/server_line.h"

#include <xcb/xcb.h>

#include <QBackingStore>
#include <QGuiApplication>
#include <QPainter>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstring>

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

// The window's backing store image, when it is one the line can be copied
// into: 32 bits a pixel in the X server's order (opaque, so xRGB whether or
// not it is kept premultiplied), one pixel per device pixel.
QImage* BackingImage(QBackingStore* store) {
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

// Sends rows [top, top + height) of columns [left, left + width) of `image`
// to `drawable` at (x, y), in requests the server accepts.
void PutImage(xcb_connection_t* c, std::uint32_t drawable, std::uint32_t gc, const QImage& image,
              const QRect& part, int x, int y) {
  const std::uint32_t most = xcb_get_maximum_request_length(c) * 4 - 64;
  const std::uint32_t row_bytes = static_cast<std::uint32_t>(part.width()) * 4;
  const int rows_per_request = std::max(1, static_cast<int>(most / row_bytes));
  QByteArray rows;
  for (int top = 0; top < part.height(); top += rows_per_request) {
    const int rows_now = std::min(rows_per_request, part.height() - top);
    rows.resize(static_cast<qsizetype>(row_bytes) * rows_now);
    for (int r = 0; r < rows_now; ++r) {
      std::memcpy(rows.data() + static_cast<qsizetype>(r) * row_bytes,
                  image.constScanLine(part.top() + top + r) + part.left() * 4, row_bytes);
    }
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, gc, static_cast<std::uint16_t>(part.width()),
                  static_cast<std::uint16_t>(rows_now), static_cast<std::int16_t>(x),
                  static_cast<std::int16_t>(y + top), 0, 24, static_cast<std::uint32_t>(rows.size()),
                  reinterpret_cast<const std::uint8_t*>(rows.constData()));
  }
}

}  // namespace

TServerLine::~TServerLine() { FreeOnServer(); }

QImage::Format TServerLine::Format(const QWidget* panel) {
  QWidget* window = panel->window();
  const QWindow* handle = window->windowHandle();
  if (!handle || !handle->isExposed() || window->devicePixelRatio() != 1) return QImage::Format_Invalid;
  if (!Connection() || handle->format().hasAlpha()) return QImage::Format_Invalid;
  const QImage* image = BackingImage(window->backingStore());
  return image ? image->format() : QImage::Format_Invalid;
}

bool TServerLine::Keep(const QWidget* panel, QImage line, int from) {
  FreeOnServer();
  line_ = QImage();
  auto* c = Connection();
  if (!c || line.isNull() || line.format() != Format(panel)) return false;
  const auto window = static_cast<std::uint32_t>(panel->window()->internalWinId());
  if (!window) return false;
  connection_ = c;
  window_ = window;
  pixmap_ = xcb_generate_id(c);
  xcb_create_pixmap(c, 24, pixmap_, window_, static_cast<std::uint16_t>(line.width()),
                    static_cast<std::uint16_t>(line.height()));
  gc_ = xcb_generate_id(c);
  // No exposure events: the pixmap is whole, and what a copy into a covered
  // part of the window misses, Qt paints from the backing store when the part
  // is uncovered.
  const std::uint32_t values[] = {0};
  xcb_create_gc(c, gc_, pixmap_, XCB_GC_GRAPHICS_EXPOSURES, values);
  PutImage(c, pixmap_, gc_, line, line.rect(), 0, 0);
  line_ = std::move(line);
  from_ = from;
  return true;
}

bool TServerLine::Holds(int from, int width) const {
  return !line_.isNull() && from >= from_ && from + width <= from_ + line_.width();
}

void TServerLine::Forget() {
  FreeOnServer();
  line_ = QImage();
}

void TServerLine::FreeOnServer() {
  auto* c = static_cast<xcb_connection_t*>(connection_);
  if (c && c == Connection()) {
    if (gc_) xcb_free_gc(c, gc_);
    if (pixmap_) xcb_free_pixmap(c, pixmap_);
  }
  connection_ = nullptr;
  pixmap_ = gc_ = window_ = 0;
}

bool TServerLine::Show(QWidget* panel, const QRect& area, int x, int redrawn,
                       const Painting& redraw) {
  auto* c = static_cast<xcb_connection_t*>(connection_);
  QWidget* window = panel->window();
  if (!c || c != Connection() || !Holds(x, area.width()) || line_.height() != area.height() ||
      window_ != window->internalWinId() || Format(panel) != line_.format()) {
    return false;
  }
  QBackingStore* store = window->backingStore();
  const QPoint offset = panel->mapTo(window, QPoint(0, 0));
  const QRect target = area.translated(offset);
  if (!store || !QRect(QPoint(0, 0), store->size()).contains(target)) return false;
  // The backing store first, as Qt's own painting does (and so marked as
  // changed there, for Qt to send when it next shows this part itself).
  store->beginPaint(target);
  QImage* image = BackingImage(store);
  if (!image) {
    store->endPaint();
    return false;
  }
  const int column = x - from_;
  for (int row = 0; row < area.height(); ++row) {
    std::memcpy(image->scanLine(target.top() + row) + target.left() * 4,
                line_.constScanLine(row) + column * 4, static_cast<std::size_t>(area.width()) * 4);
  }
  const QRect strip(area.left(), area.top(), std::min(redrawn, area.width()), area.height());
  if (redrawn > 0) {
    QPainter painter(image);
    painter.translate(offset);
    painter.setClipRect(strip);
    redraw(painter, strip);
  }
  store->endPaint();

  xcb_copy_area(c, pixmap_, window_, gc_, static_cast<std::int16_t>(column), 0,
                static_cast<std::int16_t>(target.left()), static_cast<std::int16_t>(target.top()),
                static_cast<std::uint16_t>(area.width()), static_cast<std::uint16_t>(area.height()));
  if (redrawn > 0) PutImage(c, window_, gc_, *image, strip.translated(offset), target.left(), target.top());
  xcb_flush(c);
  return true;
}
