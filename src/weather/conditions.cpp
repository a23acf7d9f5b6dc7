// Skeleton stub.
#include "weather/conditions.h"

std::optional<StationLines> CutConditions(const WorkBuffer&) { return std::nullopt; }
