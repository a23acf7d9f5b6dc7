// Forecasts the ticker's step tests run through.
#pragma once

#include <cstddef>
#include <string>

// `words` repeated to `length` bytes.
inline std::string Repeated(const std::string& words, std::size_t length) {
  std::string text;
  while (text.size() < length) text += words;
  return text.substr(0, length);
}

// UTF-8: "Снег ¼ in. Ветер 5 м/с, Highs 70°. "
inline const std::string kUtf8 =
    "\xD0\xA1\xD0\xBD\xD0\xB5\xD0\xB3 \xC2\xBC in. \xD0\x92\xD0\xB5\xD1\x82\xD0\xB5\xD1\x80 5 "
    "\xD0\xBC/\xD1\x81, Highs 70\xC2\xB0. ";
