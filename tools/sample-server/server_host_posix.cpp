// The sample server program on a POSIX system: systemd's socket activation,
// and SIGINT and SIGTERM as the requests to stop.
#include <signal.h>
#include <sys/socket.h>
#include <systemd/sd-daemon.h>

#include <atomic>

#include "sample-server/server_host.h"

namespace mw_sample {
namespace {

// Read by the signal handler, which may run on any of the server's threads.
std::atomic<mw_http::StopFlag*> g_stop{nullptr};
static_assert(std::atomic<mw_http::StopFlag*>::is_always_lock_free);

void OnStopSignal(int) {
  if (mw_http::StopFlag* stop = g_stop.load()) stop->RaiseFromSignal();
}

}  // namespace

bool TakeHandedSockets(ServerOptions& options, std::string* error) {
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

StopOnRequest::StopOnRequest(mw_http::StopFlag& stop) {
  g_stop.store(&stop);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

StopOnRequest::~StopOnRequest() { g_stop.store(nullptr); }

// Its standard output says it; there is no other place.
void StopOnRequest::ShowAddresses(const std::string&, const std::string&) {}

}  // namespace mw_sample
