#include "weather/condition_picture.h"

#include <array>
#include <string>

#include "text/ascii_case.h"

namespace {

struct KeywordRow {
  std::string_view key;
  ConditionPicture picture;
};

// Tested in this order; a later hit overrides an earlier one, so snow beats
// rain, rain beats cloud and cloud beats sun.
constexpr std::array<KeywordRow, 17> kKeywords{{
    {"SUN", ConditionPicture::kSun},
    {"NNY", ConditionPicture::kSun},
    {"CLR", ConditionPicture::kSun},
    {"CLEAR", ConditionPicture::kSun},
    {"CLOUD", ConditionPicture::kCloud},
    {"CLD", ConditionPicture::kCloud},
    {"FOG", ConditionPicture::kCloud},
    {"RAIN", ConditionPicture::kRain},
    {"RN", ConditionPicture::kRain},
    {"SHOW", ConditionPicture::kRain},
    {"DRIZ", ConditionPicture::kRain},
    {"SNOW", ConditionPicture::kSnow},
    {"SN", ConditionPicture::kSnow},
    {"RZ", ConditionPicture::kSnow},
    {"FLUR", ConditionPicture::kSnow},
    {"FLR", ConditionPicture::kSnow},
    {"ICE", ConditionPicture::kSnow},
}};

}  // namespace

ConditionPicture ChooseConditionPicture(std::string_view primary_conditions) {
  std::string text(primary_conditions);
  for (char& c : text) c = AsciiUpper(c);
  ConditionPicture picture = ConditionPicture::kUnchanged;
  for (const KeywordRow& row : kKeywords) {
    if (text.find(row.key) != std::string::npos) picture = row.picture;
  }
  return picture;
}
