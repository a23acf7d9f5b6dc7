// The table of stored entries against the settings file as users see it:
// the layout a hand edit relies on, and what a first run reads.
#include "store/stored_entries.h"

#include <gtest/gtest.h>

#include "support/temp_config.h"

namespace {

// A file written by hand in the documented layout reads back through the
// table entry by entry, so every section and entry name is spelled as the
// file spells it; writing the same values back leaves the file as it was.
TEST(StoredEntries, ReadAndWriteTheDocumentedFile) {
  TempConfigDir config;
  const std::string file =
      "[window]\nleft=\"-5\"\ntop=\"7\"\nwidth=\"500\"\nforeground=\"3\"\nbackground=\"9\"\n"
      "bold=\"0\"\nshowtask=\"1\"\n[scroll]\nrate=\"42\"\n[settings]\nonstart=\"0\"\n"
      "altsource=\"1\"\n[weather]\nlast forecast=\"Rain.\"\nlast marrowby=\"MARROWBY  RAIN 48\"\n"
      "last wendmoore=\"WENDMOORE  FOG 45\"\nlast update=\"Last Updated 1/2/2024\"\n";
  WriteFileBytes(config.SettingsFile(), file);
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(Read(store, kLeft), -5);
  EXPECT_EQ(Read(store, kTop), 7);
  EXPECT_EQ(Read(store, kWidth), 500);
  EXPECT_EQ(Read(store, kForeground), 3);
  EXPECT_EQ(Read(store, kBackground), 9);
  EXPECT_FALSE(Read(store, kBold));
  EXPECT_TRUE(Read(store, kShowTask));
  EXPECT_EQ(Read(store, kRate), 42);
  EXPECT_FALSE(Read(store, kOnStart));
  EXPECT_TRUE(Read(store, kAltSource));
  EXPECT_EQ(Read(store, kLastForecast), "Rain.");
  EXPECT_EQ(Read(store, kLastMarrowby), "MARROWBY  RAIN 48");
  EXPECT_EQ(Read(store, kLastWendmoore), "WENDMOORE  FOG 45");
  EXPECT_EQ(Read(store, kLastUpdate), "Last Updated 1/2/2024");

  Write(store, kLeft, -5);
  Write(store, kTop, 7);
  Write(store, kWidth, 500);
  Write(store, kForeground, 3);
  Write(store, kBackground, 9);
  Write(store, kBold, false);
  Write(store, kShowTask, true);
  Write(store, kRate, 42);
  Write(store, kOnStart, false);
  Write(store, kAltSource, true);
  Write(store, kLastForecast, "Rain.");
  Write(store, kLastMarrowby, "MARROWBY  RAIN 48");
  Write(store, kLastWendmoore, "WENDMOORE  FOG 45");
  Write(store, kLastUpdate, "Last Updated 1/2/2024");
  EXPECT_EQ(ReadFileBytes(config.SettingsFile()), file);
}

// A first run (no file) starts with the documented defaults: the strip's
// place, a bold white ticker on black at 150 ms, an update at start from
// the primary source, and the texts that say nothing is known yet.
TEST(StoredEntries, AFirstRunReadsTheDefaults) {
  TempConfigDir config;
  const TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(Read(store, kLeft), 10);
  EXPECT_EQ(Read(store, kTop), 40);
  EXPECT_EQ(Read(store, kWidth), 340);
  EXPECT_EQ(Read(store, kForeground), 15);
  EXPECT_EQ(Read(store, kBackground), 0);
  EXPECT_TRUE(Read(store, kBold));
  EXPECT_FALSE(Read(store, kShowTask));
  EXPECT_EQ(Read(store, kRate), 150);
  EXPECT_TRUE(Read(store, kOnStart));
  EXPECT_FALSE(Read(store, kAltSource));
  EXPECT_EQ(Read(store, kLastForecast), "Getting Forecast...");
  EXPECT_EQ(Read(store, kLastMarrowby), "Getting current conditions...");
  EXPECT_EQ(Read(store, kLastWendmoore), "Getting current conditions...");
  EXPECT_EQ(Read(store, kLastUpdate), "Last Update Unknown");
}

}  // namespace
