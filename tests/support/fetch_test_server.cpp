// The Linux-side server for the fetch tests of the Windows build: the
// loopback server with the answers of fetch_test_server.h (twice: the main
// and the spare port), a refusing port,
// and a port that answers every request with its own head, so that the tests
// can see what the fetch sent. Listens on 127.0.0.1 only and ends by itself
// after the given number of seconds (default 300).
#include "support/fetch_test_server.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "sample-server/http_serve.h"
#include "support/loopback_server.h"

namespace {

using namespace fetch_test;

// Answers each request on `listen_fd` with its request line and header lines
// as the body, until `end` or the flag.
void Echo(int listen_fd, mw_http::Clock::time_point end, const mw_http::StopFlag& stop) {
  while (mw_http::WaitFor(listen_fd, POLLIN, end, stop) == mw_http::Wait::kReady) {
    const int fd = mw_http::AcceptConnection(listen_fd);
    if (fd < 0) continue;
    const auto deadline = mw_http::Clock::now() + std::chrono::seconds(5);
    std::string body;
    if (auto request = mw_http::ReadRequest(fd, deadline, stop)) {
      body = request->method + " " + request->target + "\n";
      for (const auto& [name, value] : request->headers) body += name + ": " + value + "\n";
    }
    mw_http::Deliver(fd,
                     mw_http::ResponseHead(200, "OK", {"Content-Type: text/plain"}, body.size()),
                     body, {}, std::chrono::seconds(5), std::chrono::milliseconds(200), stop);
  }
}

LoopbackReply Broken(bool reset) {
  LoopbackReply reply = LoopbackReply::Page(200, Long(kBrokenLength));
  reply.close_after_body_bytes = kBrokenAfter;
  reply.reset = reset;
  if (reset) {
    // A reset destroys what the client has not read yet; the pause lets the
    // head and the first bytes be read, so that the reset strikes mid-body.
    reply.stall_after_body_bytes = kBrokenAfter;
    reply.stall = std::chrono::seconds(2);
  }
  return reply;
}

LoopbackReply Silent(bool before_head) {
  LoopbackReply page = LoopbackReply::Page(200, Long(kBrokenLength));
  LoopbackReply reply;
  if (before_head) {
    reply.body = page.head + page.body;
    reply.stall_after_body_bytes = 0;
  } else {
    reply = page;
    reply.stall_after_body_bytes = kBrokenAfter;
  }
  reply.stall = std::chrono::seconds(kSilenceSeconds);
  return reply;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 300;
  const auto lifetime = std::chrono::seconds(seconds > 0 ? seconds : 300);
  LoopbackServer server(lifetime), spare(lifetime);
  for (LoopbackServer* s : {&server, &spare}) {
    s->Serve(kDocumentPath, LoopbackReply::Page(200, Document()));
    s->Serve(kMissingPath, LoopbackReply::Page(404, kMissingPage, "text/html"));
    s->Serve(kEmptyPath, LoopbackReply::Page(200, ""));
    s->Serve(kLongPath, LoopbackReply::Page(200, Long()));
    s->Serve(kResetPath, Broken(true));
    s->Serve(kCutShortPath, Broken(false));
    s->Serve(kHopPath, LoopbackReply::Redirect(302, kDocumentPath));
    s->Serve(kToFilePath, LoopbackReply::Redirect(302, "file:///c:/windows/win.ini"));
    s->Serve(kEndlessHopsPath, LoopbackReply::Redirect(302, kEndlessHopsPath));
    s->Serve(kSilentPath, Silent(true));
    s->Serve(kStallPath, Silent(false));
  }
  RefusingPort refused;

  std::string error;
  const int echo_fd = mw_http::ListenTcp("127.0.0.1", 0, &error);
  if (echo_fd < 0) {
    std::fprintf(stderr, "fetch test server: %s\n", error.c_str());
    return 1;
  }
  std::printf("%u %u %u %u\n", server.Port(), refused.Port(), mw_http::LocalPort(echo_fd),
              spare.Port());
  std::fflush(stdout);

  mw_http::StopFlag stop;
  Echo(echo_fd, mw_http::Clock::now() + lifetime, stop);
  close(echo_fd);
  return 0;
}
