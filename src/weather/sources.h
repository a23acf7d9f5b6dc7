// The two data sources and the addresses of their documents.
//
// The servers are looked up at every call, each "host" or "host:port":
// 1. the environment, MARROWBY_WEATHER_PRIMARY and MARROWBY_WEATHER_ALTERNATE,
//    where set to something other than blanks;
// 2. else the stored setting the caller passes (the settings file's
//    [sources] primary and alternate entries), where not blank;
// 3. else the bundled sample data server's loopback addresses 127.0.0.1:8046
//    and 127.0.0.1:8047.
// The value that wins is used even when it is unusable: a bad variable never
// falls back to the stored setting, so the user is not quietly served by a
// server other than the one named.
//
// How a value is read:
// - Blanks (space, tab, CR, LF) around it are ignored.
// - A leading "http://" (any letter case) and one trailing "/" are ignored,
//   since the addresses are always http and their paths are fixed.
// - The host is a name or an IPv4 address (letters, digits, '-', '.', '_'), or
//   an IPv6 address, in brackets or bare (a bare one cannot carry a port); the
//   port, when given, is 1 to 65535.
// - Anything else makes the value unusable: another scheme (https://, ftp://,
//   file://), a path, a query, user information ('@'), blanks inside, an empty
//   host, a bad port. An unusable value gives the empty address, which
//   FetchHttpDocument never opens, so the user is told that the document
//   cannot be opened instead of the program quietly asking another server or
//   another path.
// A stored setting that cannot be read at all (a `dword:` value, a broken
// quote) counts as an unusable one.
#pragma once

#include <string>
#include <string_view>

#include "store/stored_entries.h"

class SettingsGroup;
struct FetchLimits;
struct FetchResult;

// The two documents, and the two sources that serve both.
enum class WeatherDocument { kConditions, kForecast };
enum class WeatherSource { kPrimary, kAlternate };

inline constexpr char kPrimaryServerVariable[] = "MARROWBY_WEATHER_PRIMARY";
inline constexpr char kAlternateServerVariable[] = "MARROWBY_WEATHER_ALTERNATE";
inline constexpr char kPrimaryConditionsPath[] = "/text/wxascii/roundup/ASUS46.KMRB";
inline constexpr char kPrimaryForecastPath[] = "/text/wxascii/forecasts/FPUS05.KMRB";
inline constexpr char kAlternateConditionsPath[] = "/iwin/qz/hourly.html";
inline constexpr char kAlternateForecastPath[] = "/iwin/qz/zone.html";

// A source: its name (also its [sources] entry's), the variable and the
// stored entry that name its server, the server when neither does, and the
// path of each document on it.
struct SourceTable {
  std::string_view name;
  const char* variable;
  const TextEntry& entry;
  std::string_view default_server;
  std::string_view conditions_path;
  std::string_view forecast_path;

  std::string_view PathOf(WeatherDocument document) const {
    return document == WeatherDocument::kForecast ? forecast_path : conditions_path;
  }
};
inline constexpr SourceTable kPrimarySource{.name = "primary",
                                            .variable = kPrimaryServerVariable,
                                            .entry = kPrimaryServer,
                                            .default_server = "127.0.0.1:8046",
                                            .conditions_path = kPrimaryConditionsPath,
                                            .forecast_path = kPrimaryForecastPath};
inline constexpr SourceTable kAlternateSource{.name = "alternate",
                                              .variable = kAlternateServerVariable,
                                              .entry = kAlternateServer,
                                              .default_server = "127.0.0.1:8047",
                                              .conditions_path = kAlternateConditionsPath,
                                              .forecast_path = kAlternateForecastPath};
inline const SourceTable& TableOf(WeatherSource source) {
  return source == WeatherSource::kAlternate ? kAlternateSource : kPrimarySource;
}
// "current conditions", "forecast": how the failure line names a document.
std::string_view DocumentName(WeatherDocument document);

// "http://<server><path>" for `document` at `source`; the empty text when the
// server that wins (see above) is unusable. `stored` is the source's entry in
// the settings file, empty when there is none.
std::string DocumentAddress(WeatherDocument document, WeatherSource source,
                            std::string_view stored = {});

// Where one document is fetched from, as the settings stand at the call.
struct DocumentSource {
  // "http://<server><path>"; empty when the setting that wins is unusable.
  std::string address;
  // Then why, naming that setting, for the failure line: for example
  //   [sources] primary cannot be read: Invalid data type for 'primary'
  //   [sources] alternate="host/x" is not a usable server (host or host:port)
  //   MARROWBY_WEATHER_PRIMARY="ftp://h" is not a usable server (host or host:port)
  // The value is shown as the settings file would hold it (escaped, cut
  // after 64 bytes), so the reason stays one line.
  std::string unusable;
};

// DocumentAddress with the source's [sources] entry from `store`, which is
// read only where no variable is set. Never raises: an entry that cannot be
// read makes the source unusable.
DocumentSource FindDocumentSource(const SettingsGroup& store, WeatherDocument document,
                                  WeatherSource source);

// The server part ("host", "host:port", "[v6]:port") that a variable's value
// stands for: the default for an unset or blank value, the empty text for an
// unusable one.
std::string ServerFromSetting(std::string_view value, std::string_view default_server);

// The one line a failed fetch leaves on standard error, line feed included:
// the program, the document and its source, the address, why in words (the
// limits in `limits` as the fetch had them) and how long it took. For
// example:
//   marrowby-weather: forecast from the primary source failed:
//   http://127.0.0.1:8046/text/wxascii/forecasts/FPUS05.KMRB: connection
//   refused (after 0.0 s)
// (one line). Empty for a fetch that succeeded or that the caller abandoned.
// For a fetch that had no address, `unusable` (DocumentSource::unusable) is
// the reason, where given.
std::string FetchFailureLine(WeatherDocument document, WeatherSource source,
                             const std::string& address, const FetchResult& result,
                             const FetchLimits& limits, std::string_view unusable = {});
