#include "text/utf8_text.h"

namespace {

// The continuation byte that follows `lead` has a narrower range where the
// lead alone would allow overlong forms (E0, F0), surrogates (ED) or code
// points past U+10FFFF (F4).
bool SecondByteFits(unsigned char lead, unsigned char second) {
  switch (lead) {
    case 0xE0:
      return second >= 0xA0 && second <= 0xBF;
    case 0xED:
      return second >= 0x80 && second <= 0x9F;
    case 0xF0:
      return second >= 0x90 && second <= 0xBF;
    case 0xF4:
      return second >= 0x80 && second <= 0x8F;
    default:
      return (second & 0xC0) == 0x80;
  }
}

}  // namespace

std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = Utf8SequenceLength(lead);
    if (length == 0 || bytes.size() - i < length) return false;
    if (!SecondByteFits(lead, static_cast<unsigned char>(bytes[i + 1]))) return false;
    for (std::size_t k = 2; k < length; ++k) {
      if (!IsUtf8Continuation(bytes[i + k])) return false;
    }
    i += length;
  }
  return true;
}
