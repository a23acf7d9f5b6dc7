// Skeleton stub.
#include "weather/forecast.h"

std::optional<std::string> CutForecast(WorkBuffer&) { return std::nullopt; }
void ReplaceLineBreaks(WorkBuffer&, char) {}
