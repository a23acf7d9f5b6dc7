// The ticker: a panel that shows its caption, bytes, as one line of plain
// text, and moves it left as steps drop bytes at its front.
//
// Promises:
// - The caption is drawn left-justified and vertically centred inside the
//   border, without wrapping, clipped at the right edge; line breaks and tabs
//   show as blanks.
// - A caption shows as the text it was cut from: a UTF-8 forecast stays
//   UTF-8 through every step, and a step that drops only the rest of a
//   character shows nothing new.
// - After a step the screen shows what a full repaint of the new caption
//   would show. Any other change (a new caption, the font, the colours, the
//   size) repaints it all.
// - A step costs about the same for a short forecast and a very long one:
//   only what the width can show (ShownCaptionCharacters,
//   strip/form_design.h) is decoded and drawn.
// - Screen readers read the whole text (SetWholeText), not the moving
//   caption.
//
// Leaves open how a step reaches the screen: a copy kept on the X server, the
// painted pixels moved, or a repaint of the whole panel (ticker_panel.cpp).
#pragma once

#include <QColor>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QRawFont>
#include <QRegion>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "qt/main_window/server_line.h"
#include "qt/ui/panel.h"

class QPainter;
class QWindow;

class TickerPanel : public Panel {
  Q_OBJECT
 public:
  explicit TickerPanel(QWidget* parent);

  // The caption it draws, as it was given.
  const std::string& Caption() const { return caption_; }
  // A new caption, which the panel repaints whole at the next paint (or at
  // once after repaint()).
  void SetCaption(std::string_view caption);
  // A step: the caption lost `dropped` from its front and is now `caption`.
  void StepCaption(std::string_view dropped, std::string_view caption);

  // The whole text the caption is cut from (the forecast), which screen
  // readers read instead of the moving caption. Setting it tells them of the
  // change (and emits WholeTextChanged); the caption's steps tell them
  // nothing.
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

  // How many characters of the caption are drawn for the current width
  // (ShownCaptionCharacters).
  int ShownCharacters() const;
  // The part of the caption that is drawn, decoded: its first
  // ShownCharacters characters.
  QString ShownText() const;

 signals:
  void WholeTextChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The line laid out from the caption's start, on whole pixels.
  struct Line {
    QString text;                  // what was laid out: a decoded prefix of the caption
    QList<QGlyphRun> runs;         // its glyphs, x from 0 at the first one
    std::vector<int> places;       // x of each character (one glyph each), and the end
    std::vector<qsizetype> units;  // where each character starts in `text`
    bool to_the_end = false;       // `text` is all that is left of the caption
    qreal top = 0;                 // the line's top in the panel (vertically centred)
    // The glyph of each character: its run and its place in the run.
    std::vector<std::pair<int, int>> glyphs;
  };

  // The stretch of the line kept on the X server (server_line_): its first
  // `width` columns hold line x [from, from + width), drawn from character
  // `first` on. A step that brings character i to the left edge shows
  // strips[i - first] there too (kept column, width; width 0 for none): the
  // left edge drawn without the characters before i, whose ink reaches
  // into it in the kept line.
  struct KeptLine {
    int from = 0;
    int width = 0;
    std::size_t first = 0;
    std::vector<std::pair<int, int>> strips;
  };

  // The whole panel repaints at the next paint, laid out anew.
  void RepaintAll();
  // Lays out the caption's first `characters` characters on whole pixels;
  // false when they cannot be (text that is not one glyph per character in
  // string order).
  bool LayOut(int characters);
  // After a step that dropped the shown text's first character: moves the
  // painted text and asks for the paint of what that leaves out of date.
  // False when the step cannot be shown so; nothing is moved then.
  bool MovePainted();
  // Draws the glyphs of the line that reach into `clip` (panel pixels).
  void DrawLine(QPainter& painter, const QRect& clip) const;
  // The same with the line's x 0 at `origin` and its top at `top` (device
  // pixels of the painter), from character `first` on.
  void DrawLineAt(QPainter& painter, const QRect& clip, int origin, qreal top,
                  std::size_t first) const;
  // Shows the step that made `first_` the first character by a copy from
  // the line kept on the X server; false when that cannot be done (nothing
  // is changed then).
  bool ShowByCopy();
  // Draws the line from `first_` on, and the strips its steps need, and
  // keeps them on the X server (kept_); false when that cannot be done.
  bool KeepLine(QImage::Format format);
  void ForgetKeptLine();
  // How far right (line x, exclusive) the ink of character `index` reaches,
  // drawn as the panel draws it (anti-aliased rim included); INT_MIN when it
  // has none.
  int InkEnd(std::size_t index);
  // The caption's first `characters` characters, decoded (see ShownText).
  QString Decoded(std::size_t characters) const;

  Line line_;
  bool laid_out_ = false;  // line_ holds the caption; else it is drawn as Qt lays it out
  std::size_t first_ = 0;  // the character of line_ at the left edge
  std::string caption_;
  // What has been asked to repaint and is not painted yet; the painted
  // pixels are only moved when this is empty.
  QRegion unpainted_;
  bool relayout_ = true;  // the next paint lays the line out anew
  ServerLine server_line_;
  KeptLine kept_;
  // The screen shows steps copied there that the window's backing store
  // does not hold: the panel is painted anew before Qt shows any of it
  // from there (when the host window is uncovered or gets a native child;
  // eventFilter), or before Qt moves its pixels there.
  bool behind_ = false;
  // The native window the steps were last copied to (ServerLine::Host's),
  // whose exposures are watched.
  QPointer<QWindow> watched_;
  // InkEnd of each glyph (of its font) drawn alone, from its place; for the
  // font, size and colours as they are.
  QHash<std::pair<QRawFont, quint32>, int> ink_ends_;
  QString whole_text_;
  mutable bool text_read_ = false;
  bool utf8_ = true;  // the empty caption is valid UTF-8
  QColor font_color_;
};
