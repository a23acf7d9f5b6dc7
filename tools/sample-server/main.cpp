// marrowby-weather-server: the sample data server the demo runs against.
// See --help.
#include <signal.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "sample-server/http_serve.h"
#include "sample-server/sample_server.h"

namespace {

mw_http::StopFlag* g_stop = nullptr;

void OnStopSignal(int) {
  if (g_stop) g_stop->RaiseFromSignal();
}

}  // namespace

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
  try {
    mw_http::StopFlag stop;
    g_stop = &stop;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    mw_sample::SampleServer server(parsed.options);
    std::printf("marrowby-weather-server: scenario %s\n",
                std::string(mw_sample::ScenarioName(parsed.options.scenario)).c_str());
    std::printf("primary source on %s\nalternate source on %s\n",
                server.BaseUrl(mw_sample::Source::kPrimary).c_str(),
                server.BaseUrl(mw_sample::Source::kAlternate).c_str());
    std::fflush(stdout);
    server.Run(stop);
    std::printf("marrowby-weather-server: stopped\n");
    std::fflush(stdout);
    g_stop = nullptr;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "marrowby-weather-server: %s\n", e.what());
    return 1;
  }
  return 0;
}
