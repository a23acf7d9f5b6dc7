// A stretch of the ticker's line drawn once and kept on the X server (a
// pixmap), so that a step shows the line one character further on with one
// copy on the server, instead of painting and sending pixels through Qt's
// backing store: the program and the X server then do about as little per
// step as a window system lets them.
//
// The window's backing store (its image in the program) is kept holding the
// same pixels, and marked as changed there, so that whatever Qt itself shows
// of it later (an exposed part of the window) is the same picture.
//
// Only on X11 (xcb), with the window shown, at a device pixel ratio of 1, and
// with a backing store and X server that hold pixels as 32-bit xRGB;
// elsewhere Format() is invalid and the panel paints its steps through Qt.
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <functional>

class QPainter;
class QWidget;

class TServerLine {
 public:
  TServerLine() = default;
  TServerLine(const TServerLine&) = delete;
  TServerLine& operator=(const TServerLine&) = delete;
  ~TServerLine();

  // The format of the window's backing store when steps of `panel` can be
  // shown from a line kept on the server, else QImage::Format_Invalid.
  static QImage::Format Format(const QWidget* panel);

  // Keeps `line` (pixels of the line from line x `from`, as tall as the
  // panel's contents, in Format()) on the server for the window of `panel`.
  // False when that could not be done; the line is then forgotten.
  bool Keep(const QWidget* panel, QImage line, int from);
  // Whether the kept line holds line x [from, from + width).
  bool Holds(int from, int width) const;
  // Forgets the line (it no longer matches what the panel shows).
  void Forget();

  // Paints a part of the panel (the painter is in panel pixels and clipped
  // to the part).
  using Painting = std::function<void(QPainter& painter, const QRect& part)>;

  // Shows line x [x, x + area.width()) in `area` (panel pixels) of the
  // panel: copied into the window's backing store and, on the server, into
  // the window. When `redrawn` is more than 0, the first `redrawn` columns
  // of the area are then painted by `redraw` instead, and sent. False, with
  // nothing changed, when the window or its backing store are not as they
  // were when the line was kept.
  bool Show(QWidget* panel, const QRect& area, int x, int redrawn, const Painting& redraw);

 private:
  void FreeOnServer();

  QImage line_;             // the kept pixels, also on the server
  int from_ = 0;            // the line x of their first column
  std::uint32_t window_ = 0;  // the native window it was kept for
  std::uint32_t pixmap_ = 0;
  std::uint32_t gc_ = 0;
  void* connection_ = nullptr;
};
