// The sample data server for the tests that fetch real documents: the test
// command starts it (the Windows build's where there is one) on free ports
// and names its two sources in MW_SAMPLE_SOURCES ("<primary host:port>
// <alternate host:port>"). UseSampleSources points the program's source
// variables there, or says why it cannot.
#pragma once

#include <cstdlib>
#include <sstream>
#include <string>

#include "support/environment.h"
#include "weather/sources.h"

inline std::string UseSampleSources() {
  const char* named = std::getenv("MW_SAMPLE_SOURCES");
  std::istringstream sources(named ? named : "");
  std::string primary, alternate;
  sources >> primary >> alternate;
  if (alternate.empty()) return "MW_SAMPLE_SOURCES does not name the sample server's two sources";
  SetEnvironment(kPrimaryServerVariable, primary);
  SetEnvironment(kAlternateServerVariable, alternate);
  return "";
}
