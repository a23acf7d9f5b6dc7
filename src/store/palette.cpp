#include "store/palette.h"

namespace {
constexpr PaletteColor kPalette[kPaletteSize] = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};
}  // namespace

PaletteColor PaletteColorAt(int index) {
  if (index < 0 || index >= kPaletteSize) return kOutOfRangeColor;
  return kPalette[index];
}
