// What the sample server program needs of the system it runs on, one
// implementation per platform (server_host_posix.cpp, server_host_windows.cpp):
// the listening sockets a service manager hands over, and the requests to
// stop that come from outside.
#pragma once

#include <string>

#include "sample-server/http_serve.h"
#include "sample-server/sample_server.h"

namespace mw_sample {

#ifdef _WIN32
// The class of the server's window on Windows, which is never shown: WM_CLOSE
// to it stops the server as Ctrl+C does (taskkill without /f sends it), and
// the session's end stops it too. Other programs (the installer) find the
// server by it.
inline constexpr wchar_t kWindowClass[] = L"MarrowbyWeatherServer";
#endif

// Takes the listening sockets the service manager hands over (systemd's
// socket activation), the primary source's first: none (started by hand) is
// fine, anything but two listening TCP sockets is not. Windows hands over
// none: there the server always listens itself.
bool TakeHandedSockets(ServerOptions& options, std::string* error);

// Raises `stop` when the server is asked to end from outside, for as long
// as this object lives, however its scope is left: on SIGINT or SIGTERM
// (and writes to a closed connection raise no SIGPIPE); on Windows at
// Ctrl+C, Ctrl+Break, or when the console window is closed, the user logs
// off or the system shuts down, and at WM_CLOSE to the server's window
// (kWindowClass), which this object makes and removes. Windows ends the
// process as soon as its handler returns from the session's end and the
// closed console, so there the handler waits (a few seconds at most) until
// this object goes, which the program lets happen only once the server has
// stopped and said so.
class StopOnRequest {
 public:
  explicit StopOnRequest(mw_http::StopFlag& stop);
  ~StopOnRequest();
  StopOnRequest(const StopOnRequest&) = delete;
  // Shows where the server listens, for programs that find it without
  // reading its output: the title of the server's window on Windows
  // ("Marrowby Weather sample server on <primary URL> and <alternate URL>");
  // nothing elsewhere.
  void ShowAddresses(const std::string& primary_url, const std::string& alternate_url);
  StopOnRequest& operator=(const StopOnRequest&) = delete;
};

}  // namespace mw_sample
