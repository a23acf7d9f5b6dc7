// Cutting the Marrowby metro forecast paragraph out of the zone forecast.
#pragma once

#include <optional>
#include <string>

#include "weather/work_buffer.h"

// Searches the buffer for "ING MARROWBY METRO" (from position 1). Without it
// the buffer holds no zone forecast: nothing is cut, the buffer is unchanged
// and the result is nullopt. Otherwise the paragraph (41 characters after the
// key's first character up to the next ".<") becomes the buffer's whole text,
// its line breaks are joined (ReplaceLineBreaks 10, then 13) and that text is
// returned.
std::optional<std::string> CutForecast(WorkBuffer& buffer);

// Replaces every line break found by searching for the character `c` from
// two positions after the previous hit (the first search from position 2) by
// one blank.
void ReplaceLineBreaks(WorkBuffer& buffer, char c);
