// The one conversion from a stored text to a number, shared by every backend
// of the settings store: whatever holds the entries, a number reads the same.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/ini_file_format.h"
#include "store/reg_ini_file.h"

std::int32_t StoredTextToNumber(std::string_view text, std::int32_t def) {
  return StoredTextToNumber(text).value_or(def);
}

std::optional<std::int32_t> StoredTextToNumber(std::string_view text) {
  std::string s(text);
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.replace(0, 2, "$");
  std::size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;

  if (s[i] == '$') {
    if (++i == s.size()) return std::nullopt;
    std::uint32_t value = 0;
    int significant = 0;
    for (; i < s.size(); ++i) {
      const int digit = HexDigit(s[i]);
      if (digit < 0) return std::nullopt;
      if (significant > 0 || digit != 0) ++significant;
      if (significant > 8) return std::nullopt;
      value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);  // the 32-bit pattern: $FFFFFFFF is -1
  }

  const bool negative = s[i] == '-';
  if (s[i] == '+' || s[i] == '-') ++i;
  if (i == s.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return std::nullopt;
    value = value * 10 + (s[i] - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<std::int32_t>(value);
}
