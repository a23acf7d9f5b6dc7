// The rules of the settings store that hold whatever keeps the entries, the
// ini file on Linux or the registry on Windows: defaults, no caching, the
// conversions of numbers and flags, and texts that come back as they went in.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <utility>

#include "store/reg_ini_file.h"
#include "support/store_place.h"

using namespace std::string_literals;

namespace {

// Every case starts from a store that holds nothing.
class StoreRules : public testing::Test {
 protected:
  StorePlace place_;
};

TEST_F(StoreRules, EmptyStoreGivesEachReadersDefault) {
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(store.ReadNumber("window", "left", 10), 10);
  EXPECT_EQ(store.ReadNumber("window", "top", -40), -40);
  EXPECT_TRUE(store.ReadFlag("window", "bold", true));
  EXPECT_FALSE(store.ReadFlag("window", "showtask", false));
  EXPECT_EQ(store.ReadText("weather", "last forecast", "Getting Forecast..."),
            "Getting Forecast...");
  // A section that exists does not make its missing entries exist.
  store.WriteNumber("window", "left", 12);
  EXPECT_EQ(store.ReadNumber("window", "top", 40), 40);
  EXPECT_EQ(store.ReadText("window", "width", "none"), "none");
}

TEST_F(StoreRules, NamesMatchWithoutRegardToCase) {
  TRegIniFile store(kProductKeyPath);
  store.WriteText("Weather", "Last Forecast", "Fog");
  EXPECT_EQ(store.ReadText("weather", "last forecast", ""), "Fog");
  store.WriteText("WEATHER", "LAST FORECAST", "Sun");
  EXPECT_EQ(store.ReadText("weather", "last forecast", ""), "Sun");
}

TEST_F(StoreRules, NumbersAndFlagsAreWrittenAsPlainText) {
  TRegIniFile store(kProductKeyPath);
  store.WriteNumber("window", "left", -5);
  EXPECT_EQ(store.ReadText("window", "left", "x"), "-5");
  store.WriteNumber("window", "left", INT_MIN);
  EXPECT_EQ(store.ReadText("window", "left", "x"), "-2147483648");
  store.WriteNumber("window", "left", 150);
  EXPECT_EQ(store.ReadText("window", "left", "x"), "150");
  store.WriteFlag("window", "bold", true);
  EXPECT_EQ(store.ReadText("window", "bold", "x"), "1");
  store.WriteFlag("window", "bold", false);
  EXPECT_EQ(store.ReadText("window", "bold", "x"), "0");
}

TEST_F(StoreRules, EveryByteRoundTrips) {
  TRegIniFile store(kProductKeyPath);
  std::string all;
  for (int b = 1; b <= 255; ++b) {
    const std::string alone(1, static_cast<char>(b));
    all += alone;
    store.WriteText("bytes", "one", alone);
    ASSERT_EQ(store.ReadText("bytes", "one", "default"), alone) << "byte " << b;
  }
  store.WriteText("bytes", "all", all);
  EXPECT_EQ(store.ReadText("bytes", "all", "default"), all);
}

TEST_F(StoreRules, NothingIsCachedBetweenStores) {
  TRegIniFile reader(kProductKeyPath);
  EXPECT_EQ(reader.ReadNumber("scroll", "rate", 150), 150);
  TRegIniFile(kProductKeyPath).WriteNumber("scroll", "rate", 75);
  EXPECT_EQ(reader.ReadNumber("scroll", "rate", 150), 75);
}

// ReadNumber's texts, each written as a text and read back as a number.
TEST_F(StoreRules, ReadNumberAcceptedTexts) {
  TRegIniFile store(kProductKeyPath);
  const std::pair<const char*, std::int32_t> cases[] = {
      {"150", 150},
      {"0x1F", 31},
      {"0X1f", 31},
      {"$1f", 31},
      {" 42", 42},
      {"   42", 42},
      {"+7", 7},
      {"-2147483648", INT_MIN},
      {"2147483647", INT_MAX},
      {"$FFFFFFFF", -1},
      {"0xffffffff", -1},
      {"$0000000000ff", 255},
      {"0x80000000", INT_MIN},
      {"-0", 0},
      {"007", 7},
  };
  for (const auto& [text, number] : cases) {
    store.WriteText("scroll", "rate", text);
    EXPECT_EQ(store.ReadNumber("scroll", "rate", 12345), number) << '"' << text << '"';
    EXPECT_EQ(StoredTextToNumber(text, 12345), number) << '"' << text << '"';
  }
}

TEST_F(StoreRules, ReadNumberRefusedTextsGiveTheDefault) {
  TRegIniFile store(kProductKeyPath);
  for (const char* text :
       {"",           "   ",   "42 ",  "0x",   "0X",  "2147483648", "-2147483649",
        "$100000000", "-$10",  "+$10", "1.5",  "abc", "$",          "+",
        "-",          " 0x10", "\t42", "0x-1", "$1g", "4 2",        "99999999999999999999",
        "1e3",        "0x+1",  "$ 1"}) {
    store.WriteText("scroll", "rate", text);
    EXPECT_EQ(store.ReadNumber("scroll", "rate", 150), 150) << '"' << text << '"';
    EXPECT_EQ(StoredTextToNumber(text, -7), -7) << '"' << text << '"';
  }
}

TEST_F(StoreRules, ReadFlagGoesThroughReadNumber) {
  TRegIniFile store(kProductKeyPath);
  store.WriteText("window", "bold", "0");
  EXPECT_FALSE(store.ReadFlag("window", "bold", true));
  for (const char* text : {"1", "2", "-1", "0x1"}) {
    store.WriteText("window", "bold", text);
    EXPECT_TRUE(store.ReadFlag("window", "bold", false)) << text;
  }
  for (const char* text : {"", "yes", "true"}) {
    store.WriteText("window", "bold", text);
    EXPECT_TRUE(store.ReadFlag("window", "bold", true)) << text;
    EXPECT_FALSE(store.ReadFlag("window", "bold", false)) << text;
  }
}

TEST_F(StoreRules, TextsKeepBlanksLineEndsAndEmptiness) {
  TRegIniFile store(kProductKeyPath);
  for (const std::string text :
       {"Marrowby    ", "  leading", " \t mixed \t ", "two\r\nlines\r\n", "\r\n", "\"quoted\\\"",
        "ends in backslash\\", "; not a comment", "[not a section]", "a=b", ""}) {
    store.WriteText("weather", "last marrowby", text);
    EXPECT_EQ(store.ReadText("weather", "last marrowby", "default"), text) << text;
  }
  // Empty reads as empty, not as the default.
  EXPECT_EQ(store.ReadText("weather", "last marrowby", "default"), "");
  // A text with a NUL in it reads as what comes before the NUL.
  store.WriteText("weather", "last update", "before\0after"s);
  EXPECT_EQ(store.ReadText("weather", "last update", "default"), "before");
}

}  // namespace
