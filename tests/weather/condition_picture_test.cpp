#include "weather/condition_picture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using P = ConditionPicture;

TEST(ConditionPicture, EachKeyShowsItsPictureInsideWordsToo) {
  const struct {
    const char* text;
    P picture;
  } cases[] = {
      {"MARROWBY       MOSUNNY   71", P::kSun},  // SUN and NNY
      {"x SUN x", P::kSun},                      // SUN alone
      {"FUNNY", P::kSun},                        // NNY alone
      {"x CLR x", P::kSun},
      {"CLEAR", P::kSun},
      {"MARROWBY       PTCLDY    70", P::kCloud},
      {"CLOUDY", P::kCloud},
      {"FOG", P::kCloud},
      {"LGT RAIN", P::kRain},
      {"SHOWERS", P::kRain},
      {"DRIZZLE", P::kRain},
      {"SOUTHERN", P::kRain},  // RN at the end of a longer word
      {"FLURRIES", P::kSnow},
      {"FLRYS", P::kSnow},
      {"ICE PELLETS", P::kSnow},
      {"BLSN", P::kSnow},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseConditionPicture(c.text), c.picture) << c.text;
}

TEST(ConditionPicture, LaterRowsWinOverEarlierOnes) {
  EXPECT_EQ(ChooseConditionPicture("SNOW SHOWERS"), P::kSnow);  // SNOW after SHOW
  EXPECT_EQ(ChooseConditionPicture("RAIN AND SNOW"), P::kSnow);
  EXPECT_EQ(ChooseConditionPicture("FRZ RAIN"), P::kSnow);  // RZ after RAIN
  EXPECT_EQ(ChooseConditionPicture("SUNNY THEN FOG"), P::kCloud);
  EXPECT_EQ(ChooseConditionPicture("FOG THEN SUNNY"), P::kCloud);  // order of rows, not of words
  EXPECT_EQ(ChooseConditionPicture("CLOUDY RAIN"), P::kRain);
  EXPECT_EQ(ChooseConditionPicture("CLEAR ICE"), P::kSnow);
}

TEST(ConditionPicture, LowerAndMixedCaseHitButOnlyAsciiLettersAreRaised) {
  EXPECT_EQ(ChooseConditionPicture("Marrowby       mostly sunny"), P::kSun);
  EXPECT_EQ(ChooseConditionPicture("Light Rain"), P::kRain);
  EXPECT_EQ(ChooseConditionPicture("sNoW"), P::kSnow);
  // Letters outside a-z are not folded: no key hides in them.
  EXPECT_EQ(ChooseConditionPicture("\xe7lear \xfdun"), P::kUnchanged);
}

TEST(ConditionPicture, NoKeyLeavesThePictureUnchanged) {
  EXPECT_EQ(ChooseConditionPicture(""), P::kUnchanged);
  EXPECT_EQ(ChooseConditionPicture("MARROWBY       "), P::kUnchanged);
  EXPECT_EQ(ChooseConditionPicture("WENDMOORE      "), P::kUnchanged);
  EXPECT_EQ(ChooseConditionPicture("HAZE 75 W10 30.01S"), P::kUnchanged);
  EXPECT_EQ(ChooseConditionPicture(std::string("S\0N", 3)), P::kUnchanged);
}

}  // namespace
