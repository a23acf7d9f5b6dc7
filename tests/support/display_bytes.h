// The bytes a screen text shows, for tests that compare what is on the screen
// with the stored or fetched bytes it came from.
#pragma once

#include <QHash>
#include <QString>
#include <string>
#include <string_view>

#include "qt/ui/display_text.h"
#include "text/utf8_text.h"

// The windows-1252 bytes of `text`, '?' for a character outside that code
// page: the way back from ToDisplay for a text that is not valid UTF-8.
inline std::string FromDisplay(const QString& text) {
  // A lone byte shows as one character, each byte as a different one.
  static const QHash<char16_t, char> kByteOf = [] {
    QHash<char16_t, char> bytes;
    for (int value = 0; value < 256; ++value) {
      const char byte = static_cast<char>(value);
      bytes.insert(ToDisplay(std::string_view(&byte, 1)).at(0).unicode(), byte);
    }
    return bytes;
  }();
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (const QChar c : text) bytes.push_back(kByteOf.value(c.unicode(), '?'));
  return bytes;
}

// The bytes a screen text was shown from (ToDisplay): windows-1252 where it
// shows as bytes that are not UTF-8, else its UTF-8.
inline std::string ScreenBytes(const QString& text) {
  std::string single = FromDisplay(text);
  if (!IsValidUtf8(single) && ToDisplay(single) == text) return single;
  return text.toStdString();
}
