// Cutting the two stations' current conditions out of the roundup.
#pragma once

#include <optional>
#include <string>

#include "weather/work_buffer.h"

struct StationLines {
  std::string primary;    // Marrowby
  std::string secondary;  // Wendmoore
};

// Searches the buffer for the anchor "BRENNIK" (from position 1) and cuts the
// two stations' entries. Without the anchor the buffer holds no roundup and
// nothing is cut (nullopt). Leaves the buffer unchanged.
std::optional<StationLines> CutConditions(const WorkBuffer& buffer);
