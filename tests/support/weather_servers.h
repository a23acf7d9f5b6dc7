// Both data sources on loopback servers of the test's own, and small
// documents that the main window's cuts understand.
#pragma once

#include <string>

#include "sample-server/sample_documents.h"
#include "support/environment.h"
#include "support/loopback_server.h"
#include "weather/sources.h"

class WeatherServers {
 public:
  // Points MARROWBY_WEATHER_PRIMARY and _ALTERNATE at the two servers (the
  // fixtures put them back to a refusing port for the next test).
  WeatherServers() { Use(); }
  // Points the variables here again (after a fixture's SetUp changed them).
  void Use() {
    SetEnvironment(kPrimaryServerVariable, primary.Authority());
    SetEnvironment(kAlternateServerVariable, alternate.Authority());
  }

  LoopbackServer& Source(bool alternate_source) { return alternate_source ? alternate : primary; }

  // The roundup and the zone forecast of a source, served as 200 pages.
  void ServeRoundup(bool alternate_source, const std::string& body) {
    Source(alternate_source)
        .Serve(alternate_source ? kAlternateConditionsPath : kPrimaryConditionsPath,
               LoopbackReply::Page(200, body));
  }
  void ServeForecast(bool alternate_source, const std::string& body) {
    Source(alternate_source)
        .Serve(alternate_source ? kAlternateForecastPath : kPrimaryForecastPath,
               LoopbackReply::Page(200, body));
  }
  void ServeRoundupReply(bool alternate_source, LoopbackReply reply) {
    Source(alternate_source)
        .Serve(alternate_source ? kAlternateConditionsPath : kPrimaryConditionsPath,
               std::move(reply));
  }
  void ServeForecastReply(bool alternate_source, LoopbackReply reply) {
    Source(alternate_source)
        .Serve(alternate_source ? kAlternateForecastPath : kPrimaryForecastPath, std::move(reply));
  }
  // The sample data server's four documents.
  void ServeSample(const mw_sample::SampleDocuments& docs) {
    ServeRoundup(false, docs.roundup_text);
    ServeForecast(false, docs.forecast_text);
    ServeRoundup(true, docs.roundup_html);
    ServeForecast(true, docs.forecast_html);
  }

  LoopbackServer primary;
  LoopbackServer alternate;
};

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
