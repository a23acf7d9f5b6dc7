// Cutting the Marrowby metro forecast paragraph out of the zone forecast.
#pragma once

#include <optional>
#include <string>

#include "weather/work_buffer.h"

// Searches the buffer for "ING MARROWBY METRO" (from position 1, any case).
// Without it the buffer holds no zone forecast: nothing is cut, the buffer is
// unchanged and the result is nullopt. Otherwise the paragraph from 41
// characters after the key's first character up to, not including, the next
// ".<" becomes the buffer's whole text; without ".<" it is the buffer's text
// from its beginning up to that start. Its line breaks are then joined
// (ReplaceLineBreaks 10, then 13) and the joined text, which the buffer keeps,
// is returned.
std::optional<std::string> CutForecast(WorkBuffer& buffer);

// Searches for the character `c` from two positions after the previous hit
// (the first search from position 2) and replaces the two characters from
// each hit by one blank. With c = LF on a text of whole CR LF pairs, every
// line break but one at position 0 becomes exactly one blank and no other
// character is lost.
void ReplaceLineBreaks(WorkBuffer& buffer, char c);
