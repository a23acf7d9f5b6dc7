// Both data sources on loopback servers of the test's own, serving the
// documents they are given (small ones that the main window's cuts
// understand are in support/weather_documents.h).
#pragma once

#include <string>

#include "sample-server/sample_documents.h"
#include "support/environment.h"
#include "support/loopback_server.h"
#include "support/weather_documents.h"
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
