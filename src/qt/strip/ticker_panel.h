// The ticker: a panel that shows its caption as one line of plain text.
//
// The caption is bytes, drawn left-justified and vertically centred inside
// the border, without wrapping, clipped at the right edge. Line breaks and
// tabs show as blanks. Dropping the caption's first byte moves the whole text
// one character to the left, which is all the scrolling there is.
//
// A caption shows as the text it was cut from: one that the ticker left by
// dropping bytes at the front keeps the decoding of the caption before it
// (ShowsAsUtf8After), so a UTF-8 forecast stays UTF-8 all the way through. A
// step that drops the first byte of a two-byte character leaves its second
// byte, which shows nothing: the character is gone at once and the text
// stands still for the one step that drops that byte.
//
// Only a prefix of the caption is decoded and handed to the painter, long
// enough to overfill the panel (ShownCharacters), so a step costs the same
// for a short forecast and for a very long one.
#pragma once

#include <QColor>
#include <QString>
#include <string>
#include <string_view>

#include "qt/ui/panel.h"

class TTickerPanel : public TPanel {
  Q_OBJECT
 public:
  explicit TTickerPanel(QWidget* parent);

  const std::string& Caption() const { return caption_; }
  // Sets the caption; the panel repaints at the next paint (or at once after
  // repaint()). Setting the same caption changes nothing.
  void SetCaption(std::string_view caption);

  // The whole text the caption is cut from (the forecast), which screen
  // readers read instead of the moving caption. Setting a different text
  // tells them of the change once (and emits WholeTextChanged); the
  // caption's steps tell them nothing.
  void SetWholeText(std::string_view text);
  const QString& WholeText() const { return whole_text_; }

  // Whether a screen reader has asked for the whole text (or a part of it)
  // since ForgetTextRead. The panel's accessibility interface notes each
  // request.
  bool TextRead() const { return text_read_; }
  void NoteTextRead() const { text_read_ = true; }
  void ForgetTextRead() { text_read_ = false; }

  QColor FontColor() const { return font_color_; }
  void SetFontColor(const QColor& color);

  // How many characters of the caption are drawn for the current width: half
  // the width in pixels plus two (no glyph of a readable font is narrower
  // than two pixels), and at least 128.
  int ShownCharacters() const;
  // The part of the caption that is drawn, decoded: its first
  // ShownCharacters characters.
  QString ShownText() const;

 signals:
  void WholeTextChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string caption_;
  QString whole_text_;
  mutable bool text_read_ = false;
  bool utf8_ = true;  // the empty caption is valid UTF-8
  QColor font_color_;
};
