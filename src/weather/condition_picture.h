// Choosing the picture that sums up the primary station's conditions.
#pragma once

#include <string_view>

enum class ConditionPicture { kUnchanged, kSun, kCloud, kRain, kSnow };

// Tests the keyword table in order on the upper-cased text (A-Z only); the
// last key that occurs decides. kUnchanged when none occurs.
ConditionPicture ChooseConditionPicture(std::string_view primary_conditions);
