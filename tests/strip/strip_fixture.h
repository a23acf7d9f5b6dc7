// What the strip's tests share: a fresh place for the settings, both data
// sources on a loopback port that refuses (a test that wants documents
// serves them itself, support/weather_servers.h), a recording face, and
// helpers to fill the store and read it back. They run on Linux and, built
// for Windows, under Wine against the registry.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "recording_face.h"
#include "strip/strip_environment.h"
#include "store/reg_ini_file.h"
#include "store/stored_entries.h"
#include "support/store_place.h"
#include "support/loopback_server.h"

class StripTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Stores entries as the program would (a group of writes on one store).
  template <class Entry, class Value>
  static void Store(const Entry& entry, const Value& value) {
    TRegIniFile reg(kProductKeyPath);
    Write(reg, entry, value);
  }
  // Stores the four texts of a forecast fetched earlier and switches the
  // start-up update off, as most tests want to start.
  static void StoreShownTexts();
  // Stores `entry` in a form that the store cannot read: reading it raises
  // "Invalid data type for '<name>'" (a number kept as a registry DWORD, or
  // its settings-file spelling).
  static void StoreUnreadable(std::string_view section, std::string_view name);
  // Makes every later write of the store fail ("Failed to ..."); false when
  // that did not work. In the registry this also empties the product key.
  static bool StoreUnwritable();
  // One entry as the text it is stored as, "<absent>" when there is none.
  template <class Entry>
  static std::string StoredText(const Entry& entry) {
    return TRegIniFile(kProductKeyPath).ReadText(entry.section, entry.name, "<absent>");
  }

  StorePlace place_;
  RefusingPort nowhere_;
  RecordingFace face_;
  const StripEnvironment& env_ = ProgramEnvironment();
};

// What StoreShownTexts stores.
inline constexpr char kShownForecast[] = "Fair and mild.";
inline constexpr char kShownPrimary[] = "MARROWBY  SUNNY 70";
inline constexpr char kShownSecondary[] = "WENDMOORE  CLOUDY 64";
inline constexpr char kShownUpdate[] = "Last Updated earlier";
