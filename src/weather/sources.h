// The two data sources and the addresses of their documents.
//
// The servers come from the environment at every call:
// MARROWBY_WEATHER_PRIMARY and MARROWBY_WEATHER_ALTERNATE, each "host" or
// "host:port"; unset or empty, they are the bundled sample data server's
// loopback addresses 127.0.0.1:8046 and 127.0.0.1:8047.
#pragma once

#include <string>

inline constexpr char kPrimaryServerVariable[] = "MARROWBY_WEATHER_PRIMARY";
inline constexpr char kAlternateServerVariable[] = "MARROWBY_WEATHER_ALTERNATE";
inline constexpr char kDefaultPrimaryServer[] = "127.0.0.1:8046";
inline constexpr char kDefaultAlternateServer[] = "127.0.0.1:8047";

inline constexpr char kPrimaryConditionsPath[] = "/text/wxascii/roundup/ASUS46.KMRB";
inline constexpr char kPrimaryForecastPath[] = "/text/wxascii/forecasts/FPUS05.KMRB";
inline constexpr char kAlternateConditionsPath[] = "/iwin/qz/hourly.html";
inline constexpr char kAlternateForecastPath[] = "/iwin/qz/zone.html";

// "http://<server><path>" for the forecast (true) or the current conditions
// (false) of the primary or the alternate source.
std::string DocumentAddress(bool forecast, bool alternate);
