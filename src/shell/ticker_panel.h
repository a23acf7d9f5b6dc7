// The ticker: a panel that shows its caption as one line of plain text.
//
// The caption is bytes (windows-1252), drawn left-justified and vertically
// centred inside the border, without wrapping, clipped at the right edge.
// Line breaks and tabs show as blanks. Dropping the caption's first character
// moves the whole text one character to the left, which is all the scrolling
// there is.
//
// Only a prefix of the caption is decoded and handed to the painter, long
// enough to overfill the panel (ShownCharacters), so a step costs the same
// for a short forecast and for a very long one.
#pragma once

#include <QColor>
#include <QString>
#include <string>
#include <string_view>

#include "ui/panel.h"

class TTickerPanel : public TPanel {
  Q_OBJECT
 public:
  explicit TTickerPanel(QWidget* parent);

  const std::string& Caption() const { return caption_; }
  // Sets the caption; the panel repaints at the next paint (or at once after
  // repaint()). Setting the same caption changes nothing.
  void SetCaption(std::string_view caption);

  QColor FontColor() const { return font_color_; }
  void SetFontColor(const QColor& color);

  // How many characters of the caption are drawn for the current width: half
  // the width in pixels plus two (no glyph of a readable font is narrower
  // than two pixels), and at least 128.
  int ShownCharacters() const;
  // The part of the caption that is drawn, decoded.
  QString ShownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string caption_;
  QColor font_color_;
};
