// The small piece of HTTP/1.1 serving that the sample data server and the
// loopback test server share: listening sockets, reading one request head,
// writing with a deadline, pausing and closing a connection. POSIX sockets,
// or Winsock on Windows (sockets.h holds what differs); no Qt.
//
// Every wait here also watches a StopFlag, so a server thread that is told to
// stop leaves any read, write or pause at once. Writes never raise SIGPIPE.
// One request per connection: answers carry "Connection: close".
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mw_http {

// A socket: a descriptor on POSIX systems, Winsock's SOCKET on Windows (the
// same type, without <winsock2.h> in every file that holds one).
#ifdef _WIN32
using Socket = std::uintptr_t;
inline constexpr Socket kNoSocket = ~Socket{0};  // INVALID_SOCKET
#else
using Socket = int;
inline constexpr Socket kNoSocket = -1;
#endif

// A flag that other threads (or a signal handler, through RaiseFromSignal) can
// raise once; while raised, its descriptor polls readable, beside the sockets
// a server waits on.
class StopFlag {
 public:
  StopFlag();
  ~StopFlag();
  StopFlag(const StopFlag&) = delete;
  StopFlag& operator=(const StopFlag&) = delete;

  void Raise();
  // Async-signal-safe.
  void RaiseFromSignal();
  bool Raised() const;
  Socket Fd() const { return fd_; }

 private:
  // POSIX: an eventfd, raised and polled through the one descriptor.
  // Windows: the two ends of a loopback connection, since WSAPoll waits on
  // sockets only; a byte sent from `raise_end_` makes `fd_` readable for good.
  Socket fd_ = kNoSocket;
  Socket raise_end_ = kNoSocket;
};

struct HttpRequest {
  std::string method;   // as sent, e.g. "GET"
  std::string target;   // as sent, e.g. "/iwin/qz/zone.html?x=1"
  std::string version;  // e.g. "HTTP/1.1"
  std::vector<std::pair<std::string, std::string>> headers;  // names and values as sent, trimmed

  // The target without its query or fragment.
  std::string Path() const;
  // The first header of that name (ASCII case ignored); empty when absent.
  std::string Header(std::string_view name) const;
  bool HasHeader(std::string_view name) const;
};

using Clock = std::chrono::steady_clock;

// A listening TCP socket on `address` (a numeric IPv4/IPv6 address or a host
// name) and `port` (0 for an ephemeral one), non-blocking. Returns it, or
// kNoSocket with a readable reason in `*error`.
Socket ListenTcp(const std::string& address, std::uint16_t port, std::string* error);
// The port a bound socket has, 0 when it cannot be told.
std::uint16_t LocalPort(Socket fd);

enum class Wait { kReady, kTimedOut, kStopped, kFailed };
// Waits until `fd` has `events` (POLLIN/POLLOUT), the deadline passes or the
// flag is raised.
Wait WaitFor(Socket fd, short events, Clock::time_point deadline, const StopFlag& stop);

// Accepts one connection, non-blocking; kNoSocket when there is none
// (non-blocking listener) or it failed (LastSocketError in sockets.h).
Socket AcceptConnection(Socket listen_fd);

// Looks for one whole request head (up to the blank line) at the start of
// `bytes`. kIncomplete: more bytes are needed; kBad: not HTTP, or no blank
// line within the first kMaxHeadBytes; kComplete: `*request` holds it.
inline constexpr std::size_t kMaxHeadBytes = 16 * 1024;
enum class HeadScan { kIncomplete, kComplete, kBad };
HeadScan ScanRequestHead(std::string_view bytes, HttpRequest* request);

// Reads one request head (up to the blank line, at most 16 KiB). nullopt when
// the peer closes, the deadline passes, the flag is raised or the head is not
// HTTP. A request body, if any, is not read.
std::optional<HttpRequest> ReadRequest(Socket fd, Clock::time_point deadline, const StopFlag& stop);

// Writes all of `bytes`; false when the peer is gone, the deadline passes or
// the flag is raised.
bool SendAll(Socket fd, std::string_view bytes, Clock::time_point deadline, const StopFlag& stop);

// Holds the connection silent for `pause`. Returns false early when the flag is
// raised or the peer closes its side (there is nobody left to stall).
bool Pause(Socket fd, std::chrono::milliseconds pause, const StopFlag& stop);

// Ends a connection. An orderly close sends FIN and then reads what the peer
// still sends for up to `drain` before closing, so that the answer is not
// destroyed by a reset; `reset` closes at once with RST instead.
void CloseConnection(Socket fd, bool reset, std::chrono::milliseconds drain, const StopFlag& stop);

// How an answer reaches the client, with the faults a server or a network can
// show mid-body.
struct Delivery {
  static constexpr std::size_t kAll = static_cast<std::size_t>(-1);
  // After this many bytes of the body, keep silent for `stall` (the pause
  // ends early when the client goes away or the flag is raised).
  std::size_t stall_after = kAll;
  std::chrono::milliseconds stall{0};
  // Send only this many bytes of the body.
  std::size_t cut_after = kAll;
  // End with a reset (RST) instead of an orderly close.
  bool reset = false;
};

// Sends `head` and then `body` as `delivery` says, each stretch between
// pauses within `send_timeout`, and ends the connection: with a reset when
// asked or when the client could not be written to, else orderly, draining
// for `drain`.
void Deliver(Socket fd, std::string_view head, std::string_view body, const Delivery& delivery,
             std::chrono::milliseconds send_timeout, std::chrono::milliseconds drain,
             const StopFlag& stop);

// "HTTP/1.1 <code> <reason>" CR LF, the given header lines (each without line
// end), "Content-Length" (when `content_length` is set), "Connection: close",
// and the blank line.
std::string ResponseHead(int code, std::string_view reason,
                         const std::vector<std::string>& header_lines,
                         std::optional<std::size_t> content_length);

// The usual reason phrase for a status code ("OK", "Not Found", ...), "Status"
// for the rest.
std::string_view ReasonPhrase(int code);

}  // namespace mw_http
