// Letter case of texts that are bytes: only A-Z and a-z have a case.
// Documents, stations, header names and the settings file's names are bytes
// in no particular code page, so no other byte is ever folded.
#pragma once

#include <cstddef>
#include <string_view>

constexpr char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `text` begins with `lower_prefix` (given in lower case), letters
// compared without regard to case.
constexpr bool StartsWithCaseless(std::string_view text, std::string_view lower_prefix) {
  if (text.size() < lower_prefix.size()) return false;
  for (std::size_t i = 0; i < lower_prefix.size(); ++i) {
    if (AsciiLower(text[i]) != lower_prefix[i]) return false;
  }
  return true;
}

// Whether `a` and `b` are the same text, letters compared without regard to
// case.
constexpr bool EqualsCaseless(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}
