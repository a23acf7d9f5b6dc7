#include "qt/ui/edge.h"

#include <QPainter>

void DrawEdge(QPainter& painter, const QRect& rect, const QColor& top_left,
              const QColor& bottom_right) {
  painter.fillRect(QRect(rect.left(), rect.top(), rect.width() - 1, 1), top_left);
  painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height() - 1), top_left);
  painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottom_right);
  painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottom_right);
}
