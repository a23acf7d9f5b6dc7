// Cutting the two stations' current conditions out of the roundup.
#pragma once

#include <optional>
#include <string>

#include "weather/work_buffer.h"

struct StationLines {
  std::string primary;    // Marrowby
  std::string secondary;  // Wendmoore
};

// Cuts the two stations' entries out of the buffer as it stands (whatever the
// caller left in front of the roundup is searched with it):
//  - the anchor "BRENNIK" is searched from position 1 over the whole buffer;
//    without it the buffer holds no roundup and nothing is cut (nullopt);
//  - the primary station "MARROWBY" is searched from 5 past the anchor's
//    first character, the secondary "WENDMO" from position 1 over the whole
//    buffer; a station that is missing leaves the start where it was (so
//    without WENDMO the secondary entry equals the primary one);
//  - an entry ends before a "NOT" lying wholly within the 18 characters that
//    begin at its start (a station not reporting: its name and blanks), else
//    before the first " TC" from its start; without either the end stays as
//    it was: 0 for the primary station, the primary's end for the secondary;
//  - an end before the start gives the text between the two, in order.
// Letters compare without regard to case. Line breaks inside an entry stay.
// The buffer is not changed; emptying it is the caller's business.
std::optional<StationLines> CutConditions(const WorkBuffer& buffer);
