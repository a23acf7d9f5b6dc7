// The table of stored entries against the settings file as users see it:
// the layout a hand edit relies on, and what a first run reads.
#include "store/stored_entries.h"

#include <gtest/gtest.h>

#include "store/reg_ini_file.h"
#include "support/temp_config.h"

namespace {

// Every entry written through the table on a first run gives the file in
// its documented layout: the sections in the order they were first written,
// each name spelled as users and their hand edits see it.
TEST(StoredEntries, WritesTheDocumentedLayout) {
  TempConfigDir config;
  {
    TRegIniFile store(kProductKeyPath);
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
  }
  EXPECT_EQ(ReadFileBytes(config.SettingsFile()),
            "[window]\nleft=\"-5\"\ntop=\"7\"\nwidth=\"500\"\nforeground=\"3\"\n"
            "background=\"9\"\nbold=\"0\"\nshowtask=\"1\"\n[scroll]\nrate=\"42\"\n"
            "[settings]\nonstart=\"0\"\naltsource=\"1\"\n[weather]\nlast forecast=\"Rain.\"\n"
            "last marrowby=\"MARROWBY  RAIN 48\"\nlast wendmoore=\"WENDMOORE  FOG 45\"\n"
            "last update=\"Last Updated 1/2/2024\"\n");
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
