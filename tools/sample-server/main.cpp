// marrowby-weather-server: the sample data server the demo runs against, and
// that the service manager starts on demand (socket activation). See --help.
#include <signal.h>
#include <sys/socket.h>
#include <systemd/sd-daemon.h>

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

// Takes the listening sockets the service manager hands over, the primary
// source's first: none (started by hand) is fine, anything but two listening
// TCP sockets is not.
bool TakeHandedSockets(mw_sample::ServerOptions& options, std::string* error) {
  const int n = sd_listen_fds(1);
  if (n == 0) return true;
  if (n != 2) {
    *error = n < 0 ? "cannot take the sockets from the service manager"
                   : "the service manager must hand over exactly two sockets, primary first; got " +
                         std::to_string(n);
    return false;
  }
  for (int fd = SD_LISTEN_FDS_START; fd < SD_LISTEN_FDS_START + 2; ++fd) {
    if (sd_is_socket(fd, AF_UNSPEC, SOCK_STREAM, 1) <= 0) {
      *error = "a socket from the service manager is not a listening stream socket";
      return false;
    }
  }
  options.primary_fd = SD_LISTEN_FDS_START;
  options.alternate_fd = SD_LISTEN_FDS_START + 1;
  return true;
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
  std::string error;
  if (!TakeHandedSockets(parsed.options, &error)) {
    std::fprintf(stderr, "marrowby-weather-server: %s\n", error.c_str());
    return 1;
  }
  // Room for every connection that may wait for its request head.
  mw_sample::RaiseDescriptorLimit(mw_sample::SampleServer::kMaxWaiting + 64);
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
    const bool idle = server.Run(stop);
    std::printf("marrowby-weather-server: %s\n", idle ? "stopped, idle" : "stopped");
    std::fflush(stdout);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "marrowby-weather-server: %s\n", e.what());
    return 1;
  }
  return 0;
}
