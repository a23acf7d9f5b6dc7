#include "qt/ui/panel.h"

TPanel::TPanel(QWidget* parent, QFrame::Shape shape, QFrame::Shadow shadow, int line_width)
    : QFrame(parent) {
  setFrameStyle(shape | shadow);
  setLineWidth(line_width);
  setMidLineWidth(0);
}

QColor TPanel::Color() const { return palette().color(QPalette::Window); }

void TPanel::SetColor(const QColor& color) {
  QPalette pal = palette();
  pal.setColor(QPalette::Window, color);
  setPalette(pal);
  setAutoFillBackground(true);
}

void TPanel::SetClientWidth(int width) {
  resize(width + (this->width() - ClientWidth()), height());
}

void TPanel::SetClientHeight(int height) {
  resize(width(), height + (this->height() - ClientHeight()));
}
