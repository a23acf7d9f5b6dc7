// Which texts are UTF-8: strictly valid ones only, so that a windows-1252
// text is almost never taken for one.
#include "text/utf8_text.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

TEST(Utf8Text, OnlyStrictlyValidTextsAreUtf8) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain ASCII"));
  EXPECT_TRUE(IsValidUtf8("\xD0\x96 \xE2\x82\xAC \xF0\x9F\x8C\xA7 \xF4\x8F\xBF\xBF \xEF\xBF\xBD"));
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF",  // overlong
                          "\xED\xA0\x80",                                  // a surrogate
                          "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",          // past U+10FFFF
                          "\xD0", "\xE2\x82", "\x96", "\xE2\x28\xA1",      // cut or stray
                          "Caf\xE9", "\x93quoted\x94"}) {                  // windows-1252
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  }
}

TEST(Utf8Text, ACharacterCutAtTheFrontLeavesItsLastBytes) {
  constexpr std::string_view kRain = "\xF0\x9F\x8C\xA7 rain";  // a four-byte character first
  EXPECT_EQ(CutCharacterTail(kRain), 0u);
  for (std::size_t cut = 1; cut < 4; ++cut) EXPECT_EQ(CutCharacterTail(kRain.substr(cut)), 4 - cut);
  EXPECT_EQ(CutCharacterTail(kRain.substr(4)), 0u);
  EXPECT_EQ(CutCharacterTail("\x80\x80\x80\x80"), 3u);  // no character has four after its lead
  EXPECT_EQ(CutCharacterTail(""), 0u);
}

}  // namespace
