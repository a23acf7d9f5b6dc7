#include "qt/main_window/ticker_panel.h"

#include <QAccessible>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <QWindow>
#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "qt/ui/display_text.h"
#include "strip/form_design.h"
#include "text/utf8_text.h"

// How a step is shown. The line is laid out once and drawn with each
// character on the whole pixel nearest its place in the line, so that
// dropping the first character moves the rest by a whole number of pixels
// and leaves every glyph on the same pixels, only further left (within a
// pixel of where a line laid out from the new first character would put it).
// On X11 a stretch of the line is drawn once and kept on the X server, and a
// step is a copy from there (ShowByCopy; where the dropped characters' ink
// reaches past the new first one's place, a narrow strip drawn without it is
// kept beside the line); elsewhere a step moves the pixels already painted
// and draws only the few glyphs of what the move uncovers at the right and of
// such a strip at the left (MovePainted). Either way the screen shows what a
// full repaint would show, for much less work in the program and the window
// system. Text that cannot be laid out so (right-to-left text, control
// characters such as line breaks, characters drawn together as one glyph or
// in pieces) is drawn as one line from the left as Qt lays it out, repainted
// whole at each step.

namespace {

// Characters that the line cannot hold one glyph apiece in string order:
// controls (Qt draws line breaks and tabs as blanks of its own), text that
// runs right to left, and marks drawn onto the character before them.
bool KeepsOutOfTheLine(QChar c) {
  if (c.category() == QChar::Other_Control || c.isMark()) return true;
  switch (c.direction()) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirPDF:
    case QChar::DirRLI:
    case QChar::DirLRI:
    case QChar::DirFSI:
    case QChar::DirPDI:
      return true;
    default:
      return false;
  }
}

// The UTF-16 length of the first character of `text` (a surrogate pair is
// one character).
qsizetype FirstCharacterUnits(QStringView text) {
  if (text.isEmpty()) return 0;
  return text[0].isHighSurrogate() && text.size() > 1 ? 2 : 1;
}

}  // namespace

TickerPanel::TickerPanel(QWidget* parent)
    : Panel(parent, QFrame::WinPanel, QFrame::Sunken, 2), font_color_(Qt::yellow) {}

void TickerPanel::SetCaption(std::string_view caption) {
  utf8_ = PieceShowsAsUtf8(caption);
  caption_.assign(caption);
  RepaintAll();
}

void TickerPanel::StepCaption(std::string_view dropped, std::string_view caption) {
  // The rest of the same text keeps its decoding, so a UTF-8 forecast stays
  // UTF-8 all the way through. The characters that went: in UTF-8 the
  // dropped bytes that start one. A step that drops the first byte of a
  // two-byte character leaves its second byte, which shows nothing: the
  // character is gone at once and the text stands still for the one step
  // that drops that byte.
  const auto characters = utf8_ ? std::count_if(dropped.begin(), dropped.end(),
                                                [](char c) { return !IsUtf8Continuation(c); })
                                : static_cast<std::ptrdiff_t>(dropped.size());
  caption_.assign(caption);
  if (characters == 0) return;  // nothing shows differently
  if (characters > 1 || !MovePainted()) RepaintAll();
}

void TickerPanel::RepaintAll() {
  relayout_ = true;
  behind_ = false;  // what is painted next is painted whole
  ForgetKeptLine();
  unpainted_ = rect();
  update();
}

// Only a prefix of the caption is decoded and handed to the painter, as long
// as the width can show, so a step costs the same for a short forecast and
// for a very long one.
QString TickerPanel::Decoded(std::size_t characters) const {
  if (!utf8_) return ToDisplayPiece(std::string_view(caption_).substr(0, characters), false);
  // Up to the lead byte of the first character past the wanted ones; the
  // continuation bytes of a character the last step cut at the front are
  // not counted (they show nothing).
  std::size_t end = CutCharacterTail(caption_);
  for (std::size_t counted = 0; end < caption_.size(); ++end) {
    if (!IsUtf8Continuation(caption_[end]) && counted++ == characters) break;
  }
  return ToDisplayPiece(std::string_view(caption_).substr(0, end), true);
}

bool TickerPanel::LayOut(int characters) {
  laid_out_ = false;
  ForgetKeptLine();
  first_ = 0;
  Line line;
  line.text = Decoded(static_cast<std::size_t>(characters));
  for (qsizetype i = 0; i < line.text.size();
       i += FirstCharacterUnits(QStringView(line.text).sliced(i))) {
    if (KeepsOutOfTheLine(line.text[i])) return false;
    line.units.push_back(i);
  }
  // Fewer characters than asked for: the caption ends in this line.
  line.to_the_end = line.units.size() < static_cast<std::size_t>(characters);
  QTextLayout layout(line.text, font(), this);
  layout.beginLayout();
  QTextLine text_line = layout.createLine();
  if (text_line.isValid()) text_line.setLineWidth(1e6);
  layout.endLayout();
  if (line.text.isEmpty()) {
    line.places = {0};
    line.units = {0};
    line_ = std::move(line);
    laid_out_ = true;
    return true;
  }
  if (!text_line.isValid() || layout.lineCount() != 1) return false;
  // Placed as one line drawn vertically centred in the contents is placed.
  line.top = (contentsRect().height() - (text_line.ascent() + text_line.descent())) / 2;

  // One glyph per character, left to right in string order (glyph runs are
  // split by font: sort the glyphs by their place).
  line.runs = layout.glyphRuns();
  struct Glyph {
    qreal x;
    int run;
    int index;
  };
  std::vector<Glyph> glyphs;
  for (int r = 0; r < line.runs.size(); ++r) {
    const QList<QPointF> positions = line.runs[r].positions();
    for (int i = 0; i < positions.size(); ++i) glyphs.push_back({positions[i].x(), r, i});
  }
  if (glyphs.size() != line.units.size()) return false;  // drawn together or in pieces
  std::stable_sort(glyphs.begin(), glyphs.end(),
                   [](const Glyph& a, const Glyph& b) { return a.x < b.x; });
  // Each glyph on the whole pixel nearest its place as laid out, as Qt draws
  // a line: rounding each distance instead would let the errors add up to
  // a line several pixels shorter or longer.
  std::vector<QList<QPointF>> positions;
  for (const QGlyphRun& run : line.runs) positions.push_back(run.positions());
  const qreal start = glyphs.front().x;
  for (std::size_t g = 0; g < glyphs.size(); ++g) {
    const int x = static_cast<int>(std::lround(glyphs[g].x - start));
    line.places.push_back(x);
    line.glyphs.emplace_back(glyphs[g].run, glyphs[g].index);
    QPointF& place = positions[static_cast<std::size_t>(glyphs[g].run)][glyphs[g].index];
    place.setX(x);
  }
  for (int r = 0; r < line.runs.size(); ++r) {
    line.runs[r].setPositions(positions[static_cast<std::size_t>(r)]);
  }
  // The end: where a character after the last would stand.
  line.places.push_back(static_cast<int>(std::lround(text_line.naturalTextWidth() - start)));
  line.units.push_back(line.text.size());
  line_ = std::move(line);
  laid_out_ = true;
  return true;
}

bool TickerPanel::MovePainted() {
  // The line holds the caption from first_ on whenever nothing is left to
  // paint: any change but a step asks for a paint, which lays it out anew.
  if (!laid_out_ || !unpainted_.isEmpty() || !isVisible() || !updatesEnabled()) return false;
  if (first_ + 1 >= line_.units.size() - 1) return false;
  const std::size_t next = first_ + 1;
  const QRect area = contentsRect();
  const int shift = line_.places[next] - line_.places[first_];
  if (shift <= 0 || shift >= area.width()) return false;
  // Too little of the line left to fill the panel after the move: lay it out
  // anew from the shown text (the places it gives differ from these by a
  // pixel at most). Moved through Qt, that step repaints the panel whole.
  if (!line_.to_the_end && line_.places.back() - line_.places[next] < area.width() + height()) {
    return LayOut(2 * ShownCharacters()) && ShowByCopy();
  }
  first_ = next;
  if (ShowByCopy()) return true;
  // Qt moves the pixels of its backing store, which must hold what is shown.
  if (behind_) return false;
  scroll(-shift, 0, area);
  // Ink of the dropped character that reaches past the next one's place (an
  // overhang, a kerned pair) comes to lie at the left edge.
  const int ink = InkEnd(first_ - 1);
  const int left = ink == INT_MIN ? 0 : std::clamp(ink - line_.places[next], 0, area.width());
  const QRect strip(area.left(), area.top(), left, area.height());
  update(strip);
  // With what the move uncovered at the right, which scroll() asked to paint.
  unpainted_ = QRegion(strip) | QRect(area.right() + 1 - shift, area.top(), shift, area.height());
  return true;
}

bool TickerPanel::ShowByCopy() {
  const QImage::Format format = ServerLine::Format(this);
  if (format == QImage::Format_Invalid) {
    ForgetKeptLine();
    return false;
  }
  const QRect area = contentsRect();
  const int x = line_.places[first_];
  // Kept again when the panel has come to lie in another native window.
  const bool held = server_line_.Holds(this) && first_ >= kept_.first && x >= kept_.from &&
                    x + area.width() <= kept_.from + kept_.width;
  if (!held && !KeepLine(format)) return false;
  const std::size_t step = first_ - kept_.first;
  const auto [strip_column, strip_width] =
      step < kept_.strips.size() ? kept_.strips[step] : std::pair<int, int>(0, 0);
  if (!server_line_.Show(this, area, x - kept_.from, strip_column, strip_width)) return false;
  behind_ = true;
  // Qt shows the host from the window's backing store when it is uncovered.
  QWidget* host = ServerLine::Host(this);
  QWindow* handle = host ? host->windowHandle() : nullptr;
  if (handle != watched_) {
    if (watched_) watched_->removeEventFilter(this);
    if (handle) handle->installEventFilter(this);
    watched_ = handle;
  }
  return true;
}

void TickerPanel::ForgetKeptLine() {
  server_line_.Forget();
  kept_ = KeptLine();
}

bool TickerPanel::KeepLine(QImage::Format format) {
  // Drawn on what Qt fills the panel with before it paints it (a change of
  // that repaints the panel and forgets the kept line).
  const QBrush background = palette().brush(backgroundRole());
  if (!autoFillBackground() || background.style() != Qt::SolidPattern || !background.isOpaque()) {
    return false;
  }
  const QRect area = contentsRect();
  if (area.isEmpty()) return false;
  const int x = line_.places[first_];
  // The line from here on, for about two widths of the panel's worth of
  // steps; past the end of the caption, the background.
  const int end = line_.to_the_end ? x + 3 * area.width()
                                   : std::min(line_.places.back() + height(), x + 3 * area.width());
  const int width = std::max(area.width(), end - x);
  // The strips of the steps to characters shown from these columns, where
  // the ink of the characters before reaches past their place.
  KeptLine kept{x, width, first_, {}};
  int column = width;
  int reach = INT_MIN;
  for (std::size_t i = first_ + 1; i + 1 < line_.places.size(); ++i) {
    if (line_.places[i] + area.width() > x + width) break;
    reach = std::max(reach, InkEnd(i - 1));
    const int strip = reach == INT_MIN ? 0 : std::min(reach - line_.places[i], area.width());
    if (strip > 0) {
      kept.strips.resize(i - first_ + 1);
      kept.strips.back() = {column, strip};
      column += strip;
    }
  }
  QImage pixels(column, area.height(), format);
  pixels.fill(background.color());
  QPainter painter(&pixels);
  painter.setPen(font_color_);
  QRect part(0, 0, width, area.height());
  painter.setClipRect(part);
  DrawLineAt(painter, part, -x, line_.top, first_);
  for (std::size_t step = 0; step < kept.strips.size(); ++step) {
    const auto [strip_column, strip_width] = kept.strips[step];
    if (strip_width == 0) continue;
    part = QRect(strip_column, 0, strip_width, area.height());
    painter.setClipRect(part);
    DrawLineAt(painter, part, strip_column - line_.places[first_ + step], line_.top, first_ + step);
  }
  painter.end();
  if (!server_line_.Keep(this, pixels)) {
    kept_ = KeptLine();
    return false;
  }
  kept_ = std::move(kept);
  return true;
}

int TickerPanel::InkEnd(std::size_t index) {
  const auto [run_index, glyph_index] = line_.glyphs[index];
  const QGlyphRun& run = line_.runs[run_index];
  const quint32 glyph = run.glyphIndexes()[glyph_index];
  const std::pair<QRawFont, quint32> key(run.rawFont(), glyph);
  auto found = ink_ends_.constFind(key);
  if (found == ink_ends_.cend()) {
    // The glyph drawn alone at a whole pixel, as the line draws it, well
    // clear of the edges: its rightmost column that is not the background.
    const QRect area = contentsRect();
    const int margin = 2 * height() + 8;
    QImage alone(3 * margin, area.height(), QImage::Format_ARGB32_Premultiplied);
    const QRgb blank = palette().brush(backgroundRole()).color().rgb();
    alone.fill(blank);
    QGlyphRun one = run;
    one.setGlyphIndexes({glyph});
    one.setPositions({QPointF(margin, run.positions()[glyph_index].y())});
    QPainter painter(&alone);
    painter.setPen(font_color_);
    painter.drawGlyphRun(QPointF(0, line_.top), one);
    painter.end();
    int end = INT_MIN;
    for (int column = alone.width() - 1; column >= 0 && end == INT_MIN; --column) {
      for (int row = 0; row < alone.height(); ++row) {
        if (alone.pixel(column, row) != blank) {
          end = column + 1 - margin;
          break;
        }
      }
    }
    found = ink_ends_.insert(key, end);
  }
  return *found == INT_MIN ? INT_MIN : line_.places[index] + *found;
}

void TickerPanel::DrawLine(QPainter& painter, const QRect& clip) const {
  const QRect area = contentsRect();
  DrawLineAt(painter, clip, area.left() - line_.places[first_], area.top() + line_.top, first_);
}

void TickerPanel::DrawLineAt(QPainter& painter, const QRect& clip, int origin, qreal top,
                             std::size_t first) const {
  // Glyphs whose place lies within a wide margin of the clip (no glyph
  // reaches further than its font's height to either side), from the first
  // character on: the ink of characters already dropped is not drawn, as it
  // is not when the shown text is painted from its start.
  const int reach = height() + font().pixelSize() + 4;
  const int from = std::max(clip.left() - origin - reach, line_.places[first]);
  const int to = clip.right() - origin + reach;
  for (const QGlyphRun& run : line_.runs) {
    const QList<QPointF> positions = run.positions();
    const QList<quint32> indexes = run.glyphIndexes();
    QList<QPointF> shown_positions;
    QList<quint32> shown_indexes;
    for (int i = 0; i < positions.size(); ++i) {
      if (positions[i].x() < from || positions[i].x() > to) continue;
      shown_positions.append(positions[i]);
      shown_indexes.append(indexes[i]);
    }
    if (shown_indexes.isEmpty()) continue;
    QGlyphRun shown = run;
    shown.setGlyphIndexes(shown_indexes);
    shown.setPositions(shown_positions);
    painter.drawGlyphRun(QPointF(origin, top), shown);
  }
}

void TickerPanel::SetWholeText(std::string_view text) {
  const QString before = std::exchange(whole_text_, ToDisplay(text));
  if (QAccessible::isActive()) {
    QAccessibleTextUpdateEvent event(this, 0, before, whole_text_);
    QAccessible::updateAccessibility(&event);
  }
  emit WholeTextChanged();
}

void TickerPanel::SetFontColor(const QColor& color) {
  if (color == font_color_) return;
  font_color_ = color;
  ink_ends_.clear();
  RepaintAll();
}

int TickerPanel::ShownCharacters() const { return ShownCaptionCharacters(ClientWidth()); }

QString TickerPanel::ShownText() const {
  return Decoded(static_cast<std::size_t>(ShownCharacters()));
}

void TickerPanel::changeEvent(QEvent* event) {
  Panel::changeEvent(event);
  switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
      ink_ends_.clear();
      RepaintAll();
      break;
    default:
      break;
  }
}

void TickerPanel::resizeEvent(QResizeEvent* event) {
  Panel::resizeEvent(event);
  ink_ends_.clear();
  RepaintAll();
}

void TickerPanel::moveEvent(QMoveEvent* event) {
  Panel::moveEvent(event);
  // Qt may move the panel's pixels within its backing store, which may not
  // hold what the screen shows; and the kept line is copied to where the
  // panel was.
  RepaintAll();
}

bool TickerPanel::eventFilter(QObject* watched, QEvent* event) {
  // Steps copied to the screen: the panel is painted anew before Qt shows
  // it from the window's backing store, as it does when the host is
  // uncovered, and when a native window made inside the host is mapped
  // (the panel's new host, it may be).
  if (watched == watched_ && behind_ &&
      (event->type() == QEvent::Expose || event->type() == QEvent::ChildAdded)) {
    behind_ = false;
    update(contentsRect());
  }
  return Panel::eventFilter(watched, event);
}

void TickerPanel::paintEvent(QPaintEvent* event) {
  // Whatever was asked for comes with this paint: the window's repaints
  // gather every region asked for before a paint.
  unpainted_ -= event->region();
  const QRect area = contentsRect();
  // The bevel, unless only the inside is painted (after a step).
  if (!area.contains(event->rect())) Panel::paintEvent(event);
  if (event->region().isEmpty()) return;
  if (relayout_) {
    relayout_ = false;
    LayOut(2 * ShownCharacters());
  }
  QPainter painter(this);
  painter.setClipRect(area);
  painter.setPen(font_color_);
  painter.setFont(font());
  if (laid_out_) {
    for (const QRect& rect : event->region()) DrawLine(painter, rect & area);
  } else {
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ShownText());
  }
}
