// The two data sources and the addresses of their documents.
//
// The servers come from the environment at every call:
// MARROWBY_WEATHER_PRIMARY and MARROWBY_WEATHER_ALTERNATE, each "host" or
// "host:port"; unset, empty or only blanks, they are the bundled sample data
// server's loopback addresses 127.0.0.1:8046 and 127.0.0.1:8047.
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
#pragma once

#include <string>
#include <string_view>

inline constexpr char kPrimaryServerVariable[] = "MARROWBY_WEATHER_PRIMARY";
inline constexpr char kAlternateServerVariable[] = "MARROWBY_WEATHER_ALTERNATE";
inline constexpr char kDefaultPrimaryServer[] = "127.0.0.1:8046";
inline constexpr char kDefaultAlternateServer[] = "127.0.0.1:8047";

inline constexpr char kPrimaryConditionsPath[] = "/text/wxascii/roundup/ASUS46.KMRB";
inline constexpr char kPrimaryForecastPath[] = "/text/wxascii/forecasts/FPUS05.KMRB";
inline constexpr char kAlternateConditionsPath[] = "/iwin/qz/hourly.html";
inline constexpr char kAlternateForecastPath[] = "/iwin/qz/zone.html";

// "http://<server><path>" for the forecast (true) or the current conditions
// (false) of the primary or the alternate source; the empty text when the
// source's variable holds an unusable value.
std::string DocumentAddress(bool forecast, bool alternate);

// The server part ("host", "host:port", "[v6]:port") that a variable's value
// stands for: the default for an unset or blank value, the empty text for an
// unusable one.
std::string ServerFromSetting(std::string_view value, std::string_view default_server);
