#include "weather/forecast.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

// The paragraph begins this far after the zone key's first character.
constexpr std::int64_t kParagraphOffset = 41;

}  // namespace

std::optional<std::string> CutForecast(WorkBuffer& buffer) {
  const std::int32_t key = buffer.FindCaseless("ING MARROWBY METRO", 1, buffer.Length());
  if (key < 0) return std::nullopt;
  // Only a buffer near the largest position could overflow; the range rules
  // treat any start past the end alike.
  const auto start = static_cast<std::int32_t>(
      std::min<std::int64_t>(key + kParagraphOffset, std::numeric_limits<std::int32_t>::max()));
  std::int32_t end = 0;
  const std::int32_t hit = buffer.FindCaseless(".<", start, buffer.Length());
  if (hit >= 0) end = hit;

  buffer.SetWholeText(buffer.Excerpt(start, end - start));
  ReplaceLineBreaks(buffer, '\n');
  ReplaceLineBreaks(buffer, '\r');
  return buffer.WholeText();
}

void ReplaceLineBreaks(WorkBuffer& buffer, char c) {
  const std::string needle(1, c);
  std::int64_t p = 0;
  for (;;) {
    const std::int64_t from = p + 2;
    if (from >= buffer.Length()) return;
    const std::int32_t h =
        buffer.FindCaseless(needle, static_cast<std::int32_t>(from), buffer.Length());
    if (h < 0) return;
    // On the LF of a line break the range moves back onto its CR, so the
    // whole break, and nothing of the next line, becomes the blank.
    buffer.ReplaceRange(h, 2, " ");
    p = h;
  }
}
