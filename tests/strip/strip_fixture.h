// What the strip's unit tests share: a recording face and an environment of
// fakes — the settings in memory (support/memory_settings.h), documents
// scripted by address (support/scripted_fetch.h) and a log that keeps its
// lines (support/kept_log.h) — with helpers to fill the store and read it
// back. Nothing reaches a settings folder, the registry or a socket; the
// real store and fetch have tests of their own in integration_test.cpp.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "recording_face.h"
#include "store/stored_entries.h"
#include "strip/strip_environment.h"
#include "support/kept_log.h"
#include "support/memory_settings.h"
#include "support/scripted_fetch.h"
#include "weather/sources.h"

class StripTest : public ::testing::Test {
 protected:
  // The servers' variables are unset for each test, so the addresses the
  // strip asks for are the built-in servers' unless a test says otherwise;
  // no fetch reaches them.
  void SetUp() override;
  void TearDown() override;

  // Stores an entry as the program would (a group of writes).
  template <class Entry, class Value>
  void Store(const Entry& entry, const Value& value) {
    const auto group = settings_.Open();
    Write(*group, entry, value);
  }
  // Stores the four texts of a forecast fetched earlier and switches the
  // start-up update off, as most tests want to start.
  void StoreShownTexts();
  // Makes `entry` one that the store cannot read: reading it raises "Invalid
  // data type for '<name>'" (a number kept as a registry DWORD, or its
  // settings-file spelling) until something is written over it.
  void StoreUnreadable(std::string_view section, std::string_view name) {
    settings_.SetUnreadable(section, name);
  }
  // Makes every later write of the store fail ("Failed to create key
  // <section>").
  void StoreUnwritable() { settings_.refuse_all_writes = true; }
  // One entry as the text it is stored as, "<absent>" when there is none.
  template <class Entry>
  std::string StoredText(const Entry& entry) const {
    return settings_.Open()->ReadText(entry.section, entry.name, "<absent>");
  }

  // `document` at `source`: what the strip asks the fetch for, and giving it
  // an answer.
  static std::string AddressOf(WeatherDocument document,
                               WeatherSource source = WeatherSource::kPrimary) {
    return DocumentAddress(document, source);
  }
  void Serve(WeatherDocument document, ScriptedAnswer answer,
             WeatherSource source = WeatherSource::kPrimary) {
    fetch_.Answer(AddressOf(document, source), std::move(answer));
  }
  void Serve(WeatherDocument document, const std::string& body,
             WeatherSource source = WeatherSource::kPrimary) {
    Serve(document, ScriptedAnswer::Document(body), source);
  }

  MemorySettings settings_;
  ScriptedFetch fetch_;
  KeptLog log_;
  RecordingFace face_;
  const StripEnvironment env_{settings_, fetch_, log_};
};

// What StoreShownTexts stores.
inline constexpr char kShownForecast[] = "Fair and mild.";
inline constexpr char kShownPrimary[] = "MARROWBY  SUNNY 70";
inline constexpr char kShownSecondary[] = "WENDMOORE  CLOUDY 64";
inline constexpr char kShownUpdate[] = "Last Updated earlier";
