// The table of stored entries: every entry the program keeps in the settings
// store, with its section, its name, its kind (number, flag or text, as the
// type of its descriptor) and its default, the value a read gives when the
// entry cannot be read. Every reader and writer names an entry from here, so
// a section or entry name and a default are spelled once; readers of the same
// entry pass the same default by construction.
//
// Names are in lower case, as the file holds them (the store matches them
// without regard to case). Which part of the program reads and writes each
// entry, and in which order, stays with that part.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/settings_store.h"

struct NumberEntry {
  std::string_view section;
  std::string_view name;
  std::int32_t def;
};

struct FlagEntry {
  std::string_view section;
  std::string_view name;
  bool def;
};

struct TextEntry {
  std::string_view section;
  std::string_view name;
  std::string_view def;
};

// The strip's place and width (written when the window closes) and its look
// (written by the options dialog).
inline constexpr std::string_view kWindowSection = "window";
inline constexpr NumberEntry kLeft{kWindowSection, "left", 10};
inline constexpr NumberEntry kTop{kWindowSection, "top", 40};
inline constexpr NumberEntry kWidth{kWindowSection, "width", 340};
// Palette indices 0..15 of the ticker's text and of the ticker's and
// picture's background.
inline constexpr NumberEntry kForeground{kWindowSection, "foreground", 15};
inline constexpr NumberEntry kBackground{kWindowSection, "background", 0};
inline constexpr FlagEntry kBold{kWindowSection, "bold", true};
// The taskbar entry mirrors the ticker.
inline constexpr FlagEntry kShowTask{kWindowSection, "showtask", false};

// Milliseconds per ticker step.
inline constexpr std::string_view kScrollSection = "scroll";
inline constexpr NumberEntry kRate{kScrollSection, "rate", 150};

// When and from where the program updates.
inline constexpr std::string_view kSettingsSection = "settings";
inline constexpr FlagEntry kOnStart{kSettingsSection, "onstart", true};
inline constexpr FlagEntry kAltSource{kSettingsSection, "altsource", false};

// The strip's last texts, written when the window closes. Until a first
// update has stored them, the strip shows what their defaults say.
inline constexpr std::string_view kWeatherSection = "weather";
inline constexpr std::string_view kNoConditions = "Getting current conditions...";
inline constexpr TextEntry kLastForecast{kWeatherSection, "last forecast", "Getting Forecast..."};
inline constexpr TextEntry kLastMarrowby{kWeatherSection, "last marrowby", kNoConditions};
inline constexpr TextEntry kLastWendmoore{kWeatherSection, "last wendmoore", kNoConditions};
inline constexpr TextEntry kLastUpdate{kWeatherSection, "last update", "Last Update Unknown"};

// A server ("host" or "host:port") for each data source, set by hand in the
// file; the program only reads them, at every fetch, and an environment
// variable where set wins over them. Empty: the built-in server.
inline constexpr std::string_view kSourcesSection = "sources";
inline constexpr TextEntry kPrimaryServer{kSourcesSection, "primary", ""};
inline constexpr TextEntry kAlternateServer{kSourcesSection, "alternate", ""};

// One read or write of an entry in an open group; errors as the store
// raises them.
inline std::int32_t Read(const SettingsGroup& store, const NumberEntry& entry) {
  return store.ReadNumber(entry.section, entry.name, entry.def);
}
inline bool Read(const SettingsGroup& store, const FlagEntry& entry) {
  return store.ReadFlag(entry.section, entry.name, entry.def);
}
inline std::string Read(const SettingsGroup& store, const TextEntry& entry) {
  return store.ReadText(entry.section, entry.name, std::string(entry.def));
}
inline void Write(SettingsGroup& store, const NumberEntry& entry, std::int32_t value) {
  store.WriteNumber(entry.section, entry.name, value);
}
inline void Write(SettingsGroup& store, const FlagEntry& entry, bool value) {
  store.WriteFlag(entry.section, entry.name, value);
}
inline void Write(SettingsGroup& store, const TextEntry& entry, std::string_view value) {
  store.WriteText(entry.section, entry.name, value);
}
