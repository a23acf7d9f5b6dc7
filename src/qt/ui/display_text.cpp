#include "qt/ui/display_text.h"

#include <QWidget>
#include <algorithm>

#include "text/utf8_text.h"
#include "qt/ui/x11_window.h"

namespace {
// windows-1252 0x80..0x9F; the five unassigned codes map to the C1 controls
// of the same value, as the code page's best-fit table does.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t Decode(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHighControls[byte - 0x80];
  return byte;
}

QString FromWindows1252(std::string_view bytes) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (unsigned char byte : bytes) *out++ = QChar(Decode(byte));
  return text;
}

QString FromUtf8(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool HasNonAscii(std::string_view bytes) {
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

// `piece` without what is left of characters cut at its front (at most three
// continuation bytes) and at its end (a sequence that stops short).
std::string_view WholeCharacters(std::string_view piece) {
  piece.remove_prefix(CutCharacterTail(piece));
  // The last lead byte within the final four bytes: its sequence may stop short.
  const std::size_t tail = std::min<std::size_t>(piece.size(), 4);
  for (std::size_t back = 1; back <= tail; ++back) {
    const auto byte = static_cast<unsigned char>(piece[piece.size() - back]);
    if (IsUtf8Continuation(static_cast<char>(byte))) continue;
    if (Utf8SequenceLength(byte) > back) piece.remove_suffix(back);
    break;
  }
  return piece;
}

}  // namespace

QString ToDisplay(std::string_view bytes) {
  return IsValidUtf8(bytes) ? FromUtf8(bytes) : FromWindows1252(bytes);
}

QString ToDisplayPiece(std::string_view piece, bool utf8) {
  return utf8 ? FromUtf8(WholeCharacters(piece)) : FromWindows1252(piece);
}

bool PieceShowsAsUtf8(std::string_view piece) {
  if (IsValidUtf8(piece)) return true;
  const std::size_t front = CutCharacterTail(piece);
  const std::string_view rest = piece.substr(front);
  return front > 0 && HasNonAscii(rest) && IsValidUtf8(rest);
}

bool ShowsAsUtf8After(std::string_view before, bool before_utf8, std::string_view text) {
  if (text.size() < before.size() && before.ends_with(text)) return before_utf8;
  return PieceShowsAsUtf8(text);
}

QString PlainTitleText(const QString& text) {
  QString title = text;
  title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
  return title;
}

QString PlainMenuText(const QString& text) {
  QString caption = text;
  caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return caption;
}

QString PlainToolTip(const QString& text) {
  if (text.isEmpty()) return text;
  // Escaped markup in a paragraph that keeps blanks and line breaks shows the
  // characters exactly, whatever Qt would have guessed from the text.
  return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() +
         QStringLiteral("</p>");
}

void SetPlainWindowTitle(QWidget* window, const QString& text) {
  window->setWindowTitle(PlainTitleText(text));
  if (text.isEmpty()) ClearNativeTitle(window);
}
