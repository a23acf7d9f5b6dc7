#include "weather/conditions.h"

#include <cstdint>

namespace {

// A station not reporting is written "NOT AVBL" within this many characters
// of its name's first letter.
constexpr std::int32_t kNotAvailableWindow = 18;
// The primary station is searched from this far into the anchor word.
constexpr std::int32_t kAnchorOffset = 5;

// Moves `end` to the end of the entry that begins at `start`; a miss leaves it.
void FindEntryEnd(const WorkBuffer& buffer, std::int32_t start, std::int32_t& end) {
  std::int32_t hit = buffer.FindCaseless("NOT", start, kNotAvailableWindow);
  if (hit < 0) hit = buffer.FindCaseless(" TC", start, buffer.Length());
  if (hit >= 0) end = hit;
}

}  // namespace

std::optional<StationLines> CutConditions(const WorkBuffer& buffer) {
  std::int32_t hit = buffer.FindCaseless("BRENNIK", 1, buffer.Length());
  if (hit < 0) return std::nullopt;
  std::int32_t start = hit + kAnchorOffset;
  std::int32_t end = 0;

  StationLines lines;
  hit = buffer.FindCaseless("MARROWBY", start, buffer.Length());
  if (hit >= 0) start = hit;
  FindEntryEnd(buffer, start, end);
  lines.primary = buffer.Excerpt(start, end - start);

  // Over the whole buffer again, not just behind the primary station.
  hit = buffer.FindCaseless("WENDMO", 1, buffer.Length());
  if (hit >= 0) start = hit;
  FindEntryEnd(buffer, start, end);
  lines.secondary = buffer.Excerpt(start, end - start);
  return lines;
}
