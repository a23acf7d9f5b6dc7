#include "qt/strip/ticker_panel.h"

#include <QAccessible>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "text/utf8_text.h"
#include "qt/ui/display_text.h"

TTickerPanel::TTickerPanel(QWidget* parent)
    : TPanel(parent, QFrame::WinPanel, QFrame::Sunken, 2), font_color_(Qt::yellow) {}

void TTickerPanel::SetCaption(std::string_view caption) {
  if (caption == caption_) return;
  utf8_ = ShowsAsUtf8After(caption_, utf8_, caption);
  caption_.assign(caption);
  update();
}

void TTickerPanel::SetWholeText(std::string_view text) {
  QString whole = ToDisplay(text);
  if (whole == whole_text_) return;
  const QString before = std::exchange(whole_text_, std::move(whole));
  if (QAccessible::isActive()) {
    QAccessibleTextUpdateEvent event(this, 0, before, whole_text_);
    QAccessible::updateAccessibility(&event);
  }
  emit WholeTextChanged();
}

void TTickerPanel::SetFontColor(const QColor& color) {
  if (color == font_color_) return;
  font_color_ = color;
  update();
}

int TTickerPanel::ShownCharacters() const { return std::max(128, ClientWidth() / 2 + 2); }

QString TTickerPanel::ShownText() const {
  const auto shown = static_cast<std::size_t>(ShownCharacters());
  if (!utf8_) return ToDisplayPiece(std::string_view(caption_).substr(0, shown), false);
  // Up to the lead byte of the first character past the shown ones; the
  // continuation bytes of a character the last step cut at the front are
  // not counted (they show nothing).
  std::size_t end = CutCharacterTail(caption_);
  for (std::size_t characters = 0; end < caption_.size(); ++end) {
    if (!IsUtf8Continuation(caption_[end]) && characters++ == shown) break;
  }
  return ToDisplayPiece(std::string_view(caption_).substr(0, end), true);
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
