#include "shell/ticker_panel.h"

#include <QPainter>
#include <algorithm>

#include "ui/display_text.h"

TTickerPanel::TTickerPanel(QWidget* parent)
    : TPanel(parent, QFrame::WinPanel, QFrame::Sunken, 2), font_color_(Qt::yellow) {}

void TTickerPanel::SetCaption(std::string_view caption) {
  if (caption == caption_) return;
  caption_.assign(caption);
  update();
}

void TTickerPanel::SetFontColor(const QColor& color) {
  if (color == font_color_) return;
  font_color_ = color;
  update();
}

int TTickerPanel::ShownCharacters() const { return std::max(128, ClientWidth() / 2 + 2); }

QString TTickerPanel::ShownText() const {
  const auto shown = static_cast<std::size_t>(ShownCharacters());
  return ToDisplay(std::string_view(caption_).substr(0, shown));
}

void TTickerPanel::paintEvent(QPaintEvent* event) {
  TPanel::paintEvent(event);
  QPainter painter(this);
  const QRect area = contentsRect();
  painter.setClipRect(area);
  painter.setPen(font_color_);
  painter.setFont(font());
  painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ShownText());
}
