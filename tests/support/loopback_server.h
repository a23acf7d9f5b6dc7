// A loopback HTTP server for tests: listens on 127.0.0.1 on an ephemeral port,
// on a thread of its own, and answers each path with exactly the bytes it was
// given, or with one of the faults a real server or network can show (stall,
// close or reset mid-body, close before the head).
//
// It logs every request (method, target and headers). Connections are served
// one after the other, each with "Connection: close" semantics. It stops by
// itself: the destructor stops and joins the thread, and the thread ends on
// its own once `lifetime` has passed, so a test that hangs cannot keep it
// alive. A path without a reply is answered 404.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sample-server/http_serve.h"

struct LoopbackReply {
  static constexpr std::size_t kAll = static_cast<std::size_t>(-1);

  // Sent first, exactly as given: the status line, the header lines and the
  // blank line (or any bytes at all).
  std::string head;
  std::string body;

  // Read the request, then close without sending a byte.
  bool close_before_head = false;
  // Send only this many bytes of the body, then close.
  std::size_t close_after_body_bytes = kAll;
  // Close with a reset (RST) instead of an orderly FIN.
  bool reset = false;
  // After this many bytes of the body, keep silent for `stall` (the pause
  // ends early when the client goes away or the server stops).
  std::size_t stall_after_body_bytes = kAll;
  std::chrono::milliseconds stall{0};
  // When set, the head and then the body go out one byte at a time with this
  // pause after each byte (the other faults above are then not applied).
  std::chrono::milliseconds byte_gap{0};

  // A complete answer: status line, Content-Type, Content-Length,
  // Connection: close, then the body.
  static LoopbackReply Page(int status, std::string body, std::string content_type = "text/plain");
  // A redirect to `location` without a body.
  static LoopbackReply Redirect(int status, std::string location);
  // Exactly these bytes, nothing added.
  static LoopbackReply Raw(std::string bytes);
};

struct LoggedRequest {
  mw_http::HttpRequest request;
  // Shorthands.
  const std::string& target() const { return request.target; }
  std::string Header(std::string_view name) const { return request.Header(name); }
  bool HasHeader(std::string_view name) const { return request.HasHeader(name); }
};

class LoopbackServer {
 public:
  explicit LoopbackServer(std::chrono::milliseconds lifetime = std::chrono::seconds(60));
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // Sets the reply for a path (the target without its query). Thread-safe;
  // may be called while the server runs.
  void Serve(const std::string& path, LoopbackReply reply);

  std::uint16_t Port() const { return port_; }
  // "127.0.0.1:<port>"
  std::string Authority() const;
  // "http://127.0.0.1:<port><path>"
  std::string Url(const std::string& path) const;

  // Every request so far, in order of arrival. Thread-safe.
  std::vector<LoggedRequest> Requests() const;

 private:
  void Run(std::chrono::steady_clock::time_point end);
  void Answer(mw_http::Socket fd);

  mw_http::StopFlag stop_;
  mw_http::Socket listen_fd_ = mw_http::kNoSocket;
  std::uint16_t port_ = 0;
  mutable std::mutex mutex_;
  std::map<std::string, LoopbackReply> replies_;
  std::vector<LoggedRequest> requests_;
  std::thread thread_;
};

// A loopback port on which nothing listens: a socket is bound to it (so no one
// else can take it) but never listens, so every connection is refused.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;

  std::uint16_t Port() const { return port_; }
  std::string Authority() const;

 private:
  mw_http::Socket fd_ = mw_http::kNoSocket;
  std::uint16_t port_ = 0;
};
