#include "support/loopback_server.h"

#include <stdexcept>

#include "sample-server/sockets.h"

using namespace std::chrono_literals;

namespace {

// How long one connection may take to send its request head, and to take an
// answer; generous, but bounded.
constexpr auto kRequestTimeout = 5s;
constexpr auto kSendTimeout = 10s;

}  // namespace

LoopbackReply LoopbackReply::Page(int status, std::string body, std::string content_type) {
  LoopbackReply reply;
  reply.head = mw_http::ResponseHead(status, mw_http::ReasonPhrase(status),
                                     {"Content-Type: " + content_type}, body.size());
  reply.body = std::move(body);
  return reply;
}

LoopbackReply LoopbackReply::Redirect(int status, std::string location) {
  LoopbackReply reply;
  reply.head =
      mw_http::ResponseHead(status, mw_http::ReasonPhrase(status), {"Location: " + location}, 0);
  return reply;
}

LoopbackReply LoopbackReply::Raw(std::string bytes) {
  LoopbackReply reply;
  reply.head = std::move(bytes);
  return reply;
}

LoopbackServer::LoopbackServer(std::chrono::milliseconds lifetime) {
  std::string error;
  listen_fd_ = mw_http::ListenTcp("127.0.0.1", 0, &error);
  if (listen_fd_ == mw_http::kNoSocket) throw std::runtime_error("loopback server: " + error);
  port_ = mw_http::LocalPort(listen_fd_);
  thread_ = std::thread(&LoopbackServer::Run, this, std::chrono::steady_clock::now() + lifetime);
}

LoopbackServer::~LoopbackServer() {
  stop_.Raise();
  thread_.join();
  mw_http::CloseSocket(listen_fd_);
}

void LoopbackServer::Serve(const std::string& path, LoopbackReply reply) {
  std::lock_guard lock(mutex_);
  replies_[path] = std::move(reply);
}

std::string LoopbackServer::Authority() const { return "127.0.0.1:" + std::to_string(port_); }

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://" + Authority() + path;
}

std::vector<LoggedRequest> LoopbackServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LoopbackServer::Run(std::chrono::steady_clock::time_point end) {
  while (mw_http::WaitFor(listen_fd_, POLLIN, end, stop_) == mw_http::Wait::kReady) {
    mw_http::Socket fd = mw_http::AcceptConnection(listen_fd_);
    if (fd != mw_http::kNoSocket) Answer(fd);
  }
}

void LoopbackServer::Answer(mw_http::Socket fd) {
  auto request = mw_http::ReadRequest(fd, mw_http::Clock::now() + kRequestTimeout, stop_);
  if (!request) {
    mw_http::CloseConnection(fd, false, 0ms, stop_);
    return;
  }
  LoopbackReply reply;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(LoggedRequest{*request});
    auto it = replies_.find(request->Path());
    if (it != replies_.end()) {
      reply = it->second;
    } else {
      reply = LoopbackReply::Page(404, "no reply set for " + request->Path() + "\n");
    }
  }
  if (reply.close_before_head) {
    mw_http::CloseConnection(fd, reply.reset, 1s, stop_);
    return;
  }
  if (reply.byte_gap.count() > 0) {
    const std::string bytes = reply.head + reply.body;
    bool ok = true;
    for (std::size_t i = 0; ok && i < bytes.size(); ++i) {
      ok = mw_http::SendAll(fd, std::string_view(bytes).substr(i, 1),
                            mw_http::Clock::now() + kSendTimeout, stop_) &&
           mw_http::Pause(fd, reply.byte_gap, stop_);
    }
    mw_http::CloseConnection(fd, !ok, 1s, stop_);
    return;
  }
  mw_http::Delivery delivery;
  delivery.stall_after = reply.stall_after_body_bytes;
  delivery.stall = reply.stall;
  delivery.cut_after = reply.close_after_body_bytes;
  delivery.reset = reply.reset;
  mw_http::Deliver(fd, reply.head, reply.body, delivery, kSendTimeout, 1s, stop_);
}

RefusingPort::RefusingPort() {
  fd_ = mw_http::StreamSocket(AF_INET, false);
  if (fd_ == mw_http::kNoSocket) throw std::runtime_error("refusing port: socket failed");
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    mw_http::CloseSocket(fd_);
    throw std::runtime_error("refusing port: bind failed");
  }
  port_ = mw_http::LocalPort(fd_);
}

RefusingPort::~RefusingPort() { mw_http::CloseSocket(fd_); }

std::string RefusingPort::Authority() const { return "127.0.0.1:" + std::to_string(port_); }
