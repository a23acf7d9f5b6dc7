// Pixels of the ticker's line kept on the X server (a pixmap), so that a step
// shows the line one character further on with a copy on the server, instead
// of painting and sending pixels through Qt's backing store: the program and
// the X server then do about as little per step as a window system lets them.
//
// The copies go to the native window that shows the panel (Host: the
// top-level window's, or that of a native widget within it that holds the
// panel; a copy into any other would be hidden under it) and to the screen
// alone: the window's backing store (its image in the program) keeps what was
// painted last, and the panel paints itself anew before Qt shows any part of
// it from there (TickerPanel watches the host's exposures for that).
//
// Only on X11 (xcb), with the host shown, at a device pixel ratio of 1, and
// with a backing store and X server that hold pixels as 32-bit xRGB;
// elsewhere Format() is invalid and the panel paints its steps through Qt.
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>

class QWidget;

class ServerLine {
 public:
  ServerLine() = default;
  ServerLine(const ServerLine&) = delete;
  ServerLine& operator=(const ServerLine&) = delete;
  ~ServerLine();

  // The widget whose native window shows `panel`: the panel itself when it
  // is native, else its nearest native ancestor (nullptr when none is).
  // Which widget that is can change while the panel is shown.
  static QWidget* Host(const QWidget* panel);

  // The format to draw the kept pixels in (that of the window's backing
  // store, so that they are drawn as Qt draws the panel) when steps of
  // `panel` can be shown from the server, else QImage::Format_Invalid.
  static QImage::Format Format(const QWidget* panel);

  // Keeps `pixels` (in Format()) on the server for the host of `panel`, in
  // place of what was kept before. False when that could not be done;
  // nothing is kept then.
  bool Keep(const QWidget* panel, const QImage& pixels);
  // Forgets the kept pixels.
  void Forget();
  // Whether pixels are kept for the host of `panel` as it is now.
  bool Holds(const QWidget* panel) const;

  // Copies the kept columns [column, column + area.width()) into `area`
  // (panel pixels) of the panel on the screen, then, when `strip_width` is
  // more than 0, the kept columns [strip_column, strip_column + strip_width)
  // over the left of `area`. False, with nothing sent, when the pixels were
  // not kept for the panel's host as it is now, or are not as tall as `area`.
  bool Show(const QWidget* panel, const QRect& area, int column, int strip_column, int strip_width);

 private:
  void FreeOnServer();

  QSize size_;                // of the kept pixels; empty when none are kept
  std::uint32_t window_ = 0;  // the host's native window they were kept for
  std::uint32_t pixmap_ = 0;
  std::uint32_t gc_ = 0;
  void* connection_ = nullptr;
};
