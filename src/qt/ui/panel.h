// The strip's panels: a frame with a bevel, a colour and a client area.
#pragma once

#include <QColor>
#include <QFrame>

class Panel : public QFrame {
  Q_OBJECT
 public:
  // `shape` and `shadow` draw the bevel; `line_width` is its width in pixels.
  Panel(QWidget* parent, QFrame::Shape shape, QFrame::Shadow shadow, int line_width);

  // The background colour; the panel repaints with it.
  QColor Color() const;
  void SetColor(const QColor& color);

  // The area inside the bevel.
  int ClientWidth() const { return contentsRect().width(); }
  int ClientHeight() const { return contentsRect().height(); }
  void SetClientWidth(int width);
  void SetClientHeight(int height);
};
