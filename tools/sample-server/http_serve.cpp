#include "sample-server/http_serve.h"

#include <algorithm>

#include "sample-server/sockets.h"
#include "text/ascii_case.h"

namespace mw_http {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

int MillisecondsUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return 0;
  // poll() takes an int; very long deadlines are waited for in pieces.
  return static_cast<int>(std::min<long long>(left.count(), 60'000));
}

std::optional<HttpRequest> ParseHead(std::string_view head) {
  HttpRequest request;
  std::size_t eol = head.find('\n');
  std::string_view line = Trim(head.substr(0, eol));
  std::size_t sp1 = line.find(' ');
  std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
  if (sp1 == std::string_view::npos || sp2 == std::string_view::npos) return std::nullopt;
  request.method = std::string(line.substr(0, sp1));
  request.target = std::string(line.substr(sp1 + 1, sp2 - sp1 - 1));
  request.version = std::string(Trim(line.substr(sp2 + 1)));
  if (request.method.empty() || request.target.empty() || request.version.rfind("HTTP/", 0) != 0) {
    return std::nullopt;
  }
  while (eol != std::string_view::npos) {
    std::size_t start = eol + 1;
    eol = head.find('\n', start);
    std::string_view header = head.substr(start, eol == std::string_view::npos ? eol : eol - start);
    header = Trim(header);
    if (header.empty()) continue;
    std::size_t colon = header.find(':');
    if (colon == std::string_view::npos) continue;
    request.headers.emplace_back(std::string(Trim(header.substr(0, colon))),
                                 std::string(Trim(header.substr(colon + 1))));
  }
  return request;
}

}  // namespace

void StopFlag::Raise() { RaiseFromSignal(); }

bool StopFlag::Raised() const {
  PollFd p{fd_, POLLIN, 0};
  return PollSockets(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

std::string HttpRequest::Path() const { return target.substr(0, target.find_first_of("?#")); }

std::string HttpRequest::Header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (EqualsCaseless(key, name)) return value;
  }
  return {};
}

bool HttpRequest::HasHeader(std::string_view name) const {
  return std::any_of(headers.begin(), headers.end(),
                     [&](const auto& h) { return EqualsCaseless(h.first, name); });
}

Socket ListenTcp(const std::string& address, std::uint16_t port, std::string* error) {
  StartSockets();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  int rc = getaddrinfo(address.c_str(), service.c_str(), &hints, &found);
  if (rc != 0) {
    if (error) *error = "cannot resolve " + address + ": " + gai_strerror(rc);
    return kNoSocket;
  }
  std::string last_error = "no usable address";
  Socket fd = kNoSocket;
  for (addrinfo* a = found; a; a = a->ai_next) {
    fd = StreamSocket(a->ai_family, true);
    if (fd == kNoSocket) {
      last_error = LastSocketErrorText();
      continue;
    }
    SetListenerAddressOption(fd);
    if (bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, SOMAXCONN) == 0) break;
    last_error = LastSocketErrorText();
    CloseSocket(fd);
    fd = kNoSocket;
  }
  freeaddrinfo(found);
  if (fd == kNoSocket && error) {
    *error = "cannot listen on " + address + " port " + service + ": " + last_error;
  }
  return fd;
}

std::uint16_t LocalPort(Socket fd) {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
  if (addr.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
  if (addr.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
  return 0;
}

Wait WaitFor(Socket fd, short events, Clock::time_point deadline, const StopFlag& stop) {
  for (;;) {
    PollFd p[2] = {{fd, events, 0}, {stop.Fd(), POLLIN, 0}};
    int n = PollSockets(p, 2, MillisecondsUntil(deadline));
    if (n < 0) {
      if (LastSocketError() == SocketError::kInterrupted) continue;
      return Wait::kFailed;
    }
    if (p[1].revents & POLLIN) return Wait::kStopped;
    if (p[0].revents & (events | POLLHUP | POLLERR)) return Wait::kReady;
    if (p[0].revents & POLLNVAL) return Wait::kFailed;
    if (Clock::now() >= deadline) return Wait::kTimedOut;
  }
}

HeadScan ScanRequestHead(std::string_view bytes, HttpRequest* request) {
  std::size_t end = bytes.find("\r\n\r\n");
  std::size_t end_lf = bytes.find("\n\n");
  if (end == std::string_view::npos && end_lf == std::string_view::npos) {
    return bytes.size() > kMaxHeadBytes ? HeadScan::kBad : HeadScan::kIncomplete;
  }
  std::size_t cut = std::min(end == std::string_view::npos ? bytes.size() : end + 2,
                             end_lf == std::string_view::npos ? bytes.size() : end_lf + 1);
  if (cut > kMaxHeadBytes) return HeadScan::kBad;
  std::optional<HttpRequest> parsed = ParseHead(bytes.substr(0, cut));
  if (!parsed) return HeadScan::kBad;
  *request = std::move(*parsed);
  return HeadScan::kComplete;
}

std::optional<HttpRequest> ReadRequest(Socket fd, Clock::time_point deadline,
                                       const StopFlag& stop) {
  std::string head;
  char chunk[2048];
  for (;;) {
    HttpRequest request;
    switch (ScanRequestHead(head, &request)) {
      case HeadScan::kComplete:
        return request;
      case HeadScan::kBad:
        return std::nullopt;
      case HeadScan::kIncomplete:
        break;
    }
    if (WaitFor(fd, POLLIN, deadline, stop) != Wait::kReady) return std::nullopt;
    std::ptrdiff_t n = ReceiveSome(fd, chunk, sizeof chunk);
    if (n < 0 && NothingYet()) continue;
    if (n <= 0) return std::nullopt;
    head.append(chunk, static_cast<std::size_t>(n));
  }
}

bool SendAll(Socket fd, std::string_view bytes, Clock::time_point deadline, const StopFlag& stop) {
  while (!bytes.empty()) {
    std::ptrdiff_t n = SendSome(fd, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    const SocketError error = n < 0 ? LastSocketError() : SocketError::kOther;
    if (error == SocketError::kInterrupted) continue;
    if (error == SocketError::kWouldBlock) {
      if (WaitFor(fd, POLLOUT, deadline, stop) != Wait::kReady) return false;
      continue;
    }
    return false;
  }
  return true;
}

bool Pause(Socket fd, std::chrono::milliseconds pause, const StopFlag& stop) {
  Clock::time_point until = Clock::now() + pause;
  for (;;) {
    Wait w = WaitFor(fd, POLLIN | kPollPeerClosed, until, stop);
    if (w == Wait::kTimedOut) return true;
    if (w != Wait::kReady) return false;
    // Something came in: either a close by the peer, or bytes we do not need.
    char sink[512];
    std::ptrdiff_t n = ReceiveSome(fd, sink, sizeof sink);
    if (n == 0) return false;
    if (n < 0 && !NothingYet()) return false;
  }
}

void CloseConnection(Socket fd, bool reset, std::chrono::milliseconds drain, const StopFlag& stop) {
  if (reset) {
    linger hard{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
    CloseSocket(fd);
    return;
  }
  shutdown(fd, kShutdownSend);
  Clock::time_point until = Clock::now() + drain;
  char sink[1024];
  while (WaitFor(fd, POLLIN, until, stop) == Wait::kReady) {
    std::ptrdiff_t n = ReceiveSome(fd, sink, sizeof sink);
    if (n == 0) break;
    if (n < 0 && !NothingYet()) break;
  }
  CloseSocket(fd);
}

void Deliver(Socket fd, std::string_view head, std::string_view body, const Delivery& delivery,
             std::chrono::milliseconds send_timeout, std::chrono::milliseconds drain,
             const StopFlag& stop) {
  const std::size_t end = std::min(delivery.cut_after, body.size());
  const std::size_t pause_at = std::min(delivery.stall_after, end);
  Clock::time_point deadline = Clock::now() + send_timeout;
  bool ok =
      SendAll(fd, head, deadline, stop) && SendAll(fd, body.substr(0, pause_at), deadline, stop);
  if (ok && delivery.stall_after != Delivery::kAll) {
    ok = Pause(fd, delivery.stall, stop);
    deadline = Clock::now() + send_timeout;
  }
  ok = ok && SendAll(fd, body.substr(pause_at, end - pause_at), deadline, stop);
  CloseConnection(fd, delivery.reset || !ok, drain, stop);
}

std::string ResponseHead(int code, std::string_view reason,
                         const std::vector<std::string>& header_lines,
                         std::optional<std::size_t> content_length) {
  std::string head = "HTTP/1.1 " + std::to_string(code) + " " + std::string(reason) + "\r\n";
  for (const std::string& line : header_lines) head += line + "\r\n";
  if (content_length) head += "Content-Length: " + std::to_string(*content_length) + "\r\n";
  head += "Connection: close\r\n\r\n";
  return head;
}

std::string_view ReasonPhrase(int code) {
  switch (code) {
    case 200:
      return "OK";
    case 204:
      return "No Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 303:
      return "See Other";
    case 307:
      return "Temporary Redirect";
    case 308:
      return "Permanent Redirect";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Status";
  }
}

}  // namespace mw_http
