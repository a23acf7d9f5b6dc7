// marrowby-weather-server: the sample data server the demo runs against, and
// that the service manager starts on demand (socket activation). See --help.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "sample-server/http_serve.h"
#include "sample-server/sample_server.h"
#include "sample-server/server_host.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  mw_sample::ParsedCommandLine parsed = mw_sample::ParseCommandLine(args);
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "marrowby-weather-server: %s\nTry 'marrowby-weather-server --help'.\n",
                 parsed.error.c_str());
    return 2;
  }
  if (parsed.help) {
    std::fputs(mw_sample::UsageText().c_str(), stdout);
    return 0;
  }
  std::string error;
  if (!mw_sample::TakeHandedSockets(parsed.options, &error)) {
    std::fprintf(stderr, "marrowby-weather-server: %s\n", error.c_str());
    return 1;
  }
  // Room for every connection that may wait for its request head.
  mw_sample::RaiseDescriptorLimit(mw_sample::SampleServer::kMaxWaiting + 64);
  try {
    mw_http::StopFlag stop;
    mw_sample::StopOnRequest stop_on_request(stop);

    mw_sample::SampleServer server(parsed.options);
    std::printf("marrowby-weather-server: scenario %s\n",
                std::string(mw_sample::ScenarioName(parsed.options.scenario)).c_str());
    std::printf("primary source on %s\nalternate source on %s\n",
                server.BaseUrl(mw_sample::Source::kPrimary).c_str(),
                server.BaseUrl(mw_sample::Source::kAlternate).c_str());
    std::fflush(stdout);
    stop_on_request.ShowAddresses(server.BaseUrl(mw_sample::Source::kPrimary),
                                  server.BaseUrl(mw_sample::Source::kAlternate));
    const bool idle = server.Run(stop);
    std::printf("marrowby-weather-server: %s\n", idle ? "stopped, idle" : "stopped");
    std::fflush(stdout);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "marrowby-weather-server: %s\n", e.what());
    return 1;
  }
  return 0;
}
