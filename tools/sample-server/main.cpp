// marrowby-weather-server: the sample data server the demo runs against.
// See --help.
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "sample-server/http_serve.h"
#include "sample-server/sample_server.h"

namespace {

// Read by the signal handler, which may run on any of the server's threads.
std::atomic<mw_http::StopFlag*> g_stop{nullptr};
static_assert(std::atomic<mw_http::StopFlag*>::is_always_lock_free);

void OnStopSignal(int) {
  if (mw_http::StopFlag* stop = g_stop.load()) stop->RaiseFromSignal();
}

// Points the handler at a flag for as long as the flag lives, however the
// scope is left.
class StopOnSignal {
 public:
  explicit StopOnSignal(mw_http::StopFlag& stop) { g_stop.store(&stop); }
  ~StopOnSignal() { g_stop.store(nullptr); }
  StopOnSignal(const StopOnSignal&) = delete;
  StopOnSignal& operator=(const StopOnSignal&) = delete;
};

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
    StopOnSignal stop_on_signal(stop);
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
  } catch (const std::exception& e) {
    std::fprintf(stderr, "marrowby-weather-server: %s\n", e.what());
    return 1;
  }
  return 0;
}
