#include "qt/ui/panel.h"

Panel::Panel(QWidget* parent, QFrame::Shape shape, QFrame::Shadow shadow, int line_width)
    : QFrame(parent) {
  setFrameStyle(shape | shadow);
  setLineWidth(line_width);
  setMidLineWidth(0);
}

QColor Panel::Color() const { return palette().color(QPalette::Window); }

void Panel::SetColor(const QColor& color) {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, color);
  setPalette(pal);
  setAutoFillBackground(true);
}

void Panel::SetClientWidth(int width) { resize(width + (this->width() - ClientWidth()), height()); }

void Panel::SetClientHeight(int height) {
  resize(width(), height + (this->height() - ClientHeight()));
}
