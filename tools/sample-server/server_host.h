// What the sample server program needs of the system it runs on, one
// implementation per platform (server_host_posix.cpp, server_host_windows.cpp):
// the listening sockets a service manager hands over, and the requests to
// stop that come from outside.
#pragma once

#include <string>

#include "sample-server/http_serve.h"
#include "sample-server/sample_server.h"

namespace mw_sample {

// Takes the listening sockets the service manager hands over (systemd's
// socket activation), the primary source's first: none (started by hand) is
// fine, anything but two listening TCP sockets is not. Windows hands over
// none: there the server always listens itself.
bool TakeHandedSockets(ServerOptions& options, std::string* error);

// Raises `stop` when the server is asked to end from outside, for as long
// as this object lives, however its scope is left: on SIGINT or SIGTERM
// (and writes to a closed connection raise no SIGPIPE); on Windows at
// Ctrl+C, Ctrl+Break, or when the console window is closed, the user logs
// off or the system shuts down. Windows ends the process as soon as its
// handler returns from the last three, so there the handler waits (a few
// seconds at most) until this object goes, which the program lets happen
// only once the server has stopped and said so.
class StopOnRequest {
 public:
  explicit StopOnRequest(mw_http::StopFlag& stop);
  ~StopOnRequest();
  StopOnRequest(const StopOnRequest&) = delete;
  StopOnRequest& operator=(const StopOnRequest&) = delete;
};

}  // namespace mw_sample
