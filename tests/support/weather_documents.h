// Small documents that the main window's cuts understand, for the tests that
// serve them (support/weather_servers.h) or script them.
#pragma once

#include <string>

// A roundup with the two stations' rows (each cut up to its " TC").
inline std::string Roundup(const std::string& marrowby_row, const std::string& wendmoore_row) {
  return "ASUS46 KMRB 051500\r\nREGIONAL WEATHER ROUNDUP\r\n\r\nBRENNIK VALLEY\r\n"
         "CITY           SKY/WX    TMP DP  RH WIND       PRES   REMARKS\r\n" +
         marrowby_row + " TC 22\r\nHALLOWAY       CLOUDY    66 50  60 W5        30.01R TC 19\r\n" +
         wendmoore_row + " TC 18\r\n$$\r\n";
}

// A zone forecast whose Marrowby metro paragraph is `lines` (joined by one
// blank each in the ticker), ended by ".<END>".
inline std::string ZoneForecast(const std::string& lines) {
  // "...HALLOWAY...KELLAND" puts the next line 41 characters after the first
  // letter of "ING MARROWBY METRO".
  return "FPUS05 KMRB 051500\nZONE FORECAST PRODUCT\n\nMRZ001-052300-\n"
         "MARROWBY METRO-\nINCLUDING MARROWBY METRO...HALLOWAY...KELLAND\n" +
         lines + "<END>\n$$\n";
}
