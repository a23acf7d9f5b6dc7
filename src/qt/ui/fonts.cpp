#include "qt/ui/fonts.h"

#include <QFontInfo>
#include <QRawFont>

namespace {

constexpr std::string_view kSymbolFace = "Symbol";

// The tables name two text faces, Arial and MS Sans Serif, and Symbol.
QString TextStandIn() { return QStringLiteral("Liberation Sans"); }
QString StandIn(std::string_view face) {
  return face == kSymbolFace ? QStringLiteral("Standard Symbols PS") : TextStandIn();
}

// Whether `symbol` is the stand-in with the Symbol font's own encoding.
bool SymbolEncoded(const QFont& symbol) {
  const QRawFont raw = QRawFont::fromFont(symbol);
  return QFontInfo(symbol).family().startsWith(symbol.family()) &&
         raw.supportsCharacter(char32_t{0xE3}) && !raw.supportsCharacter(char32_t{0x03B1});
}

// The Symbol font's codes of the signs it holds that text fonts hold too.
QString SymbolCodes(const QString& text) {
  QString codes = text;
  for (QChar& c : codes) {
    switch (c.unicode()) {
      case 0x00AE:  // registered
        c = QChar(0x00E2);
        break;
      case 0x00A9:  // copyright
        c = QChar(0x00E3);
        break;
      case 0x2122:  // trade mark
        c = QChar(0x00E4);
        break;
      default:
        break;
    }
  }
  return codes;
}

}  // namespace

QFont ScreenFont(const FormFont& font) {
  QFont drawn(StandIn(font.face));
  drawn.setPixelSize(font.pixel_height);
  drawn.setBold(font.bold);
  return drawn;
}

ScreenText InScreenFont(const FormFont& font, const QString& text) {
  QFont drawn = ScreenFont(font);
  if (font.face != kSymbolFace) return {drawn, text};
  if (SymbolEncoded(drawn)) return {drawn, SymbolCodes(text)};
  drawn.setFamily(TextStandIn());
  return {drawn, text};
}
