// The sample data server program (the Windows build's), started by a test on
// free ports of 127.0.0.1 and killed when the object goes; the program's
// source variables point at it.
#pragma once

#include <string>

#include "support/environment.h"
#include "tools/server_process.h"
#include "weather/sources.h"

class SampleServer {
 public:
  SampleServer()
      : process_(MW_SAMPLE_SERVER_PATH,
                 {"--primary-port", "0", "--alternate-port", "0", "--quiet"}) {
    std::string out;
    process_.ReadUntil(out, "alternate source on http://127.0.0.1:");
    process_.ReadUntil(out, "\n", std::chrono::seconds(5));
    const std::string primary = After(out, "primary source on http://");
    const std::string alternate = After(out, "alternate source on http://");
    if (primary.empty() || alternate.empty()) {
      problem = "the sample server did not say where it listens: " + out;
      return;
    }
    SetEnvironment(kPrimaryServerVariable, primary);
    SetEnvironment(kAlternateServerVariable, alternate);
  }
  // Why the server cannot be used; empty when it can.
  std::string problem;

 private:
  // The host:port after `marker` up to the end of its line.
  static std::string After(const std::string& out, const std::string& marker) {
    const std::size_t start = out.find(marker);
    if (start == std::string::npos) return "";
    const std::size_t end = out.find_first_of("\r\n", start);
    if (end == std::string::npos) return "";
    return out.substr(start + marker.size(), end - start - marker.size());
  }
  ServerProcess process_;
};
