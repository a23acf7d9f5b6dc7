// The settings file the README shows under "Settings", taken from the README
// itself and used as the settings file: it reads as printed, comments and
// all, and the program's writes keep every comment in it.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "store/reg_ini_file.h"
#include "store/stored_entries.h"
#include "support/temp_config.h"

namespace {

// The indented block below the "## Settings" heading that begins with
// "[window]", without its indent; empty when the README has none.
std::string ReadmeSettingsExample() {
  const std::string readme = ReadFileBytes(MW_README_FILE);
  const std::size_t heading = readme.find("\n## Settings\n");
  if (heading == std::string::npos) return {};
  const std::size_t begin = readme.find("\n    [window]\n", heading);
  if (begin == std::string::npos) return {};
  std::string example;
  for (std::size_t at = begin + 1; readme.compare(at, 4, "    ") == 0;) {
    const std::size_t end = readme.find('\n', at);
    if (end == std::string::npos) break;
    example += readme.substr(at + 4, end + 1 - (at + 4));
    at = end + 1;
  }
  return example;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

class ReadmeExample : public testing::Test {
 protected:
  void SetUp() override {
    example_ = ReadmeSettingsExample();
    ASSERT_NE(example_.find("[sources]"), std::string::npos) << "no settings example found";
    WriteFileBytes(config_.SettingsFile(), example_);
  }

  TempConfigDir config_;
  std::string example_;
};

// Above all the entries with a comment after them, and those below the
// [sources] header, which has one too.
TEST_F(ReadmeExample, EveryEntryReadsAsPrinted) {
  const char* const printed[][3] = {
      {"window", "width", "340"},
      {"window", "foreground", "15"},
      {"window", "background", "0"},
      {"window", "showtask", "0"},
      {"scroll", "rate", "150"},
      {"settings", "onstart", "1"},
      {"settings", "altsource", "0"},
      {"weather", "last update", "..."},
      {"sources", "primary", "127.0.0.1:8046"},
      {"sources", "alternate", "127.0.0.1:8047"},
  };
  const TRegIniFile store(kProductKeyPath);
  for (const auto& [section, entry, text] : printed) {
    // A default that no entry holds, so that a missing entry shows.
    EXPECT_EQ(store.ReadText(section, entry, "(missing)"), text) << entry;
  }
}

// What the options dialog and the close write, over the example.
TEST_F(ReadmeExample, TheProgramsWritesKeepEveryComment) {
  {
    TRegIniFile store(kProductKeyPath);
    Write(store, kRate, 200);
    Write(store, kForeground, 3);
    Write(store, kBackground, 12);
    Write(store, kBold, false);
    Write(store, kShowTask, true);
    Write(store, kOnStart, false);
    Write(store, kAltSource, true);
    store.UpdateFile();
  }
  {
    TRegIniFile store(kProductKeyPath);
    Write(store, kLeft, 5);
    Write(store, kLastForecast, "Fog");
    store.UpdateFile();
  }
  const std::pair<const char*, const char*> changes[] = {
      {"rate=\"150\"", "rate=\"200\""},
      {"foreground=\"15\"", "foreground=\"3\""},
      {"background=\"0\"", "background=\"12\""},
      {"bold=\"1\"", "bold=\"0\""},
      {"showtask=\"0\"", "showtask=\"1\""},
      {"onstart=\"1\"", "onstart=\"0\""},
      {"altsource=\"0\"", "altsource=\"1\""},
      {"left=\"10\"", "left=\"5\""},
      {"last forecast=\"...\"", "last forecast=\"Fog\""},
  };
  std::string expected = example_;
  for (const auto& [from, to] : changes) expected = Replaced(expected, from, to);
  EXPECT_EQ(ReadFileBytes(config_.SettingsFile()), expected);
}

}  // namespace
