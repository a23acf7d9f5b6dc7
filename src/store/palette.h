// The sixteen fixed colours that palette indices 0..15 name. The ticker's
// colours and the options dialog's colour grid use the same table.
#pragma once

#include <cstdint>

struct PaletteColor {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  friend bool operator==(const PaletteColor&, const PaletteColor&) = default;
};

inline constexpr int kPaletteSize = 16;

// The colour of `index`; an index outside 0..15 (only from a hand-edited
// settings file) gives the fixed colour kOutOfRangeColor.
PaletteColor PaletteColorAt(int index);

// Orange is none of the sixteen, so a hand-edited index that has no colour
// shows as plainly out of place while the ticker stays readable.
inline constexpr PaletteColor kOutOfRangeColor{255, 128, 0};
