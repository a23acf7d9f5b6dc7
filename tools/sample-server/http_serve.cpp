#include "sample-server/http_serve.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

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

StopFlag::StopFlag() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

StopFlag::~StopFlag() { close(fd_); }

void StopFlag::Raise() { RaiseFromSignal(); }

void StopFlag::RaiseFromSignal() {
  std::uint64_t one = 1;
  // The counter only ever grows; a full counter is raised all the same.
  ssize_t ignored = write(fd_, &one, sizeof one);
  (void)ignored;
}

bool StopFlag::Raised() const {
  pollfd p{fd_, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
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

int ListenTcp(const std::string& address, std::uint16_t port, std::string* error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  std::string service = std::to_string(port);
  int rc = getaddrinfo(address.c_str(), service.c_str(), &hints, &found);
  if (rc != 0) {
    if (error) *error = "cannot resolve " + address + ": " + gai_strerror(rc);
    return -1;
  }
  std::string last_error = "no usable address";
  int fd = -1;
  for (addrinfo* a = found; a; a = a->ai_next) {
    fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
    if (fd < 0) {
      last_error = std::strerror(errno);
      continue;
    }
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, SOMAXCONN) == 0) break;
    last_error = std::strerror(errno);
    close(fd);
    fd = -1;
  }
  freeaddrinfo(found);
  if (fd < 0 && error) {
    *error = "cannot listen on " + address + " port " + service + ": " + last_error;
  }
  return fd;
}

std::uint16_t LocalPort(int fd) {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return 0;
  if (addr.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
  if (addr.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
  return 0;
}

Wait WaitFor(int fd, short events, Clock::time_point deadline, const StopFlag& stop) {
  for (;;) {
    pollfd p[2] = {{fd, events, 0}, {stop.Fd(), POLLIN, 0}};
    int n = poll(p, 2, MillisecondsUntil(deadline));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Wait::kFailed;
    }
    if (p[1].revents & POLLIN) return Wait::kStopped;
    if (p[0].revents & (events | POLLHUP | POLLERR)) return Wait::kReady;
    if (p[0].revents & POLLNVAL) return Wait::kFailed;
    if (Clock::now() >= deadline) return Wait::kTimedOut;
  }
}

int AcceptConnection(int listen_fd) {
  for (;;) {
    int fd = accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd >= 0 || errno != EINTR) return fd;
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

std::optional<HttpRequest> ReadRequest(int fd, Clock::time_point deadline, const StopFlag& stop) {
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
    ssize_t n = recv(fd, chunk, sizeof chunk, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    if (n <= 0) return std::nullopt;
    head.append(chunk, static_cast<std::size_t>(n));
  }
}

bool SendAll(int fd, std::string_view bytes, Clock::time_point deadline, const StopFlag& stop) {
  while (!bytes.empty()) {
    ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (WaitFor(fd, POLLOUT, deadline, stop) != Wait::kReady) return false;
      continue;
    }
    return false;
  }
  return true;
}

bool Pause(int fd, std::chrono::milliseconds pause, const StopFlag& stop) {
  Clock::time_point until = Clock::now() + pause;
  for (;;) {
    Wait w = WaitFor(fd, POLLIN | POLLRDHUP, until, stop);
    if (w == Wait::kTimedOut) return true;
    if (w != Wait::kReady) return false;
    // Something came in: either a close by the peer, or bytes we do not need.
    char sink[512];
    ssize_t n = recv(fd, sink, sizeof sink, MSG_DONTWAIT);
    if (n == 0) return false;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
  }
}

void CloseConnection(int fd, bool reset, std::chrono::milliseconds drain, const StopFlag& stop) {
  if (reset) {
    linger hard{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close(fd);
    return;
  }
  shutdown(fd, SHUT_WR);
  Clock::time_point until = Clock::now() + drain;
  char sink[1024];
  while (WaitFor(fd, POLLIN, until, stop) == Wait::kReady) {
    ssize_t n = recv(fd, sink, sizeof sink, MSG_DONTWAIT);
    if (n == 0) break;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) break;
  }
  close(fd);
}

void Deliver(int fd, std::string_view head, std::string_view body, const Delivery& delivery,
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
