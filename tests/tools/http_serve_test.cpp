// The serving code the sample server and the loopback test server share, on
// the platform's own sockets (POSIX, or Winsock under Wine): the stop flag
// beside every wait, waits that end at their deadline or when the peer goes,
// reading a request head, and how a connection ends.
#include "sample-server/http_serve.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "sample-server/sockets.h"

namespace {

using namespace std::chrono_literals;
using mw_http::Clock;
using mw_http::kNoSocket;
using mw_http::Socket;
using mw_http::StopFlag;
using mw_http::Wait;

// Far beyond anything the cases below wait for: reaching it is a failure.
constexpr auto kNever = 60s;

// Both ends of one loopback connection, the server's as the servers take
// it (non-blocking) and a plain client's; closed when it goes.
class Connection {
 public:
  Connection() {
    std::string error;
    Socket listener = mw_http::ListenTcp("127.0.0.1", 0, &error);
    EXPECT_NE(listener, kNoSocket) << error;
    client_ = mw_http::StreamSocket(AF_INET, false);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(mw_http::LocalPort(listener));
    EXPECT_EQ(connect(client_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    StopFlag never;
    EXPECT_EQ(mw_http::WaitFor(listener, POLLIN, Clock::now() + kNever, never), Wait::kReady);
    server_ = mw_http::AcceptConnection(listener);
    EXPECT_NE(server_, kNoSocket);
    mw_http::CloseSocket(listener);
  }
  ~Connection() {
    if (server_ != kNoSocket) mw_http::CloseSocket(server_);
    CloseClient();
  }

  Socket Server() const { return server_; }
  // The server's end, for a case that closes it itself.
  Socket TakeServer() { return std::exchange(server_, kNoSocket); }

  void ClientSends(const std::string& bytes) {
    mw_http::SendSome(client_, bytes.data(), bytes.size());
  }
  void CloseClient() {
    if (client_ != kNoSocket) mw_http::CloseSocket(client_);
    client_ = kNoSocket;
  }
  // What the client receives while `serve` runs, until the server's end
  // closes (or fails); then the client closes its end too.
  template <typename Serve>
  std::string ClientReadsWhile(Serve serve) {
    std::string got;
    std::thread client([this, &got] {
      got = ReadToTheEnd();
      CloseClient();
    });
    serve();
    client.join();
    return got;
  }

 private:
  std::string ReadToTheEnd() {
    std::string got;
    char chunk[4096];
    for (auto until = Clock::now() + kNever; Clock::now() < until;) {
      mw_http::PollFd p{client_, POLLIN, 0};
      if (mw_http::PollSockets(&p, 1, 100) <= 0) continue;
      auto n = recv(client_, chunk, sizeof chunk, 0);
      if (n <= 0) break;
      got.append(chunk, static_cast<std::size_t>(n));
    }
    return got;
  }

  Socket server_ = kNoSocket;
  Socket client_ = kNoSocket;
};

// ---- the stop flag ----

TEST(StopFlag, OnceRaisedStaysRaisedAndIsItsOwn) {
  StopFlag stop, other;
  EXPECT_FALSE(stop.Raised());
  stop.Raise();
  stop.Raise();
  EXPECT_TRUE(stop.Raised());
  EXPECT_TRUE(stop.Raised());  // looking does not lower it
  EXPECT_FALSE(other.Raised());
}

TEST(StopFlag, EndsEveryKindOfWaitFromAnotherThread) {
  Connection c;
  StopFlag stop;
  std::thread raiser([&stop] {
    std::this_thread::sleep_for(100ms);
    stop.Raise();
  });
  EXPECT_EQ(mw_http::WaitFor(c.Server(), POLLIN, Clock::now() + kNever, stop), Wait::kStopped);
  raiser.join();
  // Raised, every wait ends at once.
  EXPECT_FALSE(mw_http::Pause(c.Server(), kNever, stop));
  EXPECT_FALSE(mw_http::ReadRequest(c.Server(), Clock::now() + kNever, stop));
}

// ---- waits ----

TEST(WaitFor, EndsAtTheDeadlineWhenNothingComes) {
  Connection c;
  StopFlag stop;
  const auto start = Clock::now();
  EXPECT_EQ(mw_http::WaitFor(c.Server(), POLLIN, start + 200ms, stop), Wait::kTimedOut);
  EXPECT_GE(Clock::now() - start, 200ms);
  // Nothing stalls a pause either: it lasts its time and says so.
  EXPECT_TRUE(mw_http::Pause(c.Server(), 100ms, stop));
}

TEST(WaitFor, PeerThatClosesEndsWaitsAndPauses) {
  Connection c;
  StopFlag stop;
  c.CloseClient();
  EXPECT_EQ(mw_http::WaitFor(c.Server(), POLLIN, Clock::now() + kNever, stop), Wait::kReady);
  // There is nobody left to stall.
  EXPECT_FALSE(mw_http::Pause(c.Server(), kNever, stop));
  EXPECT_FALSE(mw_http::ReadRequest(c.Server(), Clock::now() + kNever, stop));
}

// ---- reading a request ----

TEST(ReadRequest, HeadThatArrivesInPieces) {
  Connection c;
  StopFlag stop;
  std::thread client([&c] {
    c.ClientSends("GET /iwin/qz/zone.html?x=1 HTTP/1.1\r\nHo");
    std::this_thread::sleep_for(100ms);
    c.ClientSends("st:  example \r\nUser-Agent: Tidewell\r\n\r\n");
  });
  auto request = mw_http::ReadRequest(c.Server(), Clock::now() + kNever, stop);
  client.join();
  ASSERT_TRUE(request);
  EXPECT_EQ(request->method, "GET");
  EXPECT_EQ(request->target, "/iwin/qz/zone.html?x=1");
  EXPECT_EQ(request->Path(), "/iwin/qz/zone.html");
  EXPECT_EQ(request->version, "HTTP/1.1");
  EXPECT_EQ(request->Header("host"), "example");
  EXPECT_EQ(request->Header("USER-AGENT"), "Tidewell");
  EXPECT_FALSE(request->HasHeader("Pragma"));
}

TEST(ReadRequest, WhatIsNotAnHttpHead) {
  mw_http::HttpRequest request;
  EXPECT_EQ(mw_http::ScanRequestHead("hello\r\n\r\n", &request), mw_http::HeadScan::kBad);
  EXPECT_EQ(mw_http::ScanRequestHead("GET / FTP/1.0\n\n", &request), mw_http::HeadScan::kBad);
  EXPECT_EQ(mw_http::ScanRequestHead("GET / HTTP/1.0\r\n", &request),
            mw_http::HeadScan::kIncomplete);
  // No end within the first 16 KiB.
  EXPECT_EQ(mw_http::ScanRequestHead(
                "GET / HTTP/1.0\r\n" + std::string(mw_http::kMaxHeadBytes, 'x'), &request),
            mw_http::HeadScan::kBad);
  EXPECT_EQ(mw_http::ScanRequestHead("GET / HTTP/1.0\n\nbody", &request),
            mw_http::HeadScan::kComplete);
}

// ---- how an answer ends ----

TEST(Deliver, OrderlyEndBringsEverythingSent) {
  Connection c;
  StopFlag stop;
  c.ClientSends("GET / HTTP/1.1\r\n\r\n");  // unread by the server: the drain takes it
  const std::string body(100000, 'w');
  const std::string got = c.ClientReadsWhile(
      [&] { mw_http::Deliver(c.TakeServer(), "HEAD\r\n\r\n", body, {}, kNever, kNever, stop); });
  EXPECT_EQ(got, "HEAD\r\n\r\n" + body);
}

TEST(Deliver, CutAndStallAsAsked) {
  Connection c;
  StopFlag stop;
  mw_http::Delivery delivery;
  delivery.stall_after = 3;
  delivery.stall = 100ms;
  delivery.cut_after = 5;
  const std::string got = c.ClientReadsWhile([&] {
    mw_http::Deliver(c.TakeServer(), "H:", "0123456789", delivery, kNever, kNever, stop);
  });
  EXPECT_EQ(got, "H:01234");
}

}  // namespace
