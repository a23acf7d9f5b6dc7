// Raised and sunken edges as the classic desktop draws them: the options
// dialog's panel and colour cells and the about box's groove.
#pragma once

#include <QColor>
#include <QRect>

class QPainter;

// A one-pixel edge around `rect`: `top_left` along the top row and left
// column, `bottom_right` along the right column and bottom row, which also
// take the two corners where the colours meet. Shadow then light draws a
// sunken edge, light then shadow a raised one.
void DrawEdge(QPainter& painter, const QRect& rect, const QColor& top_left,
              const QColor& bottom_right);
