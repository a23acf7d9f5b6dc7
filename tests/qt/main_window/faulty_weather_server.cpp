// A loopback weather server with one fault on every document, for the tests
// that send close signals to the real program while it fetches.
//
//   faulty_weather_server <fault> <seconds>
//
// Prints "127.0.0.1:<port>" on the first line, then "request <target>" as
// each request arrives, and ends after <seconds>. Faults: before-head (accepts
// and sends nothing), in-head (half a head, then silence), in-body (the head
// and 1000 bytes of the body, then silence), reset (the head and 1000 bytes,
// then a reset: the error box).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/loopback_server.h"
#include "weather/sources.h"

using namespace std::chrono_literals;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <fault> <seconds>\n", argv[0]);
    return 2;
  }
  const std::string fault = argv[1];
  const auto lifetime = std::chrono::seconds(std::atoi(argv[2]));
  LoopbackReply reply = LoopbackReply::Page(200, std::string(5000, 'x') + "\n");
  if (fault == "before-head") {
    reply = LoopbackReply::Raw("");
    reply.stall_after_body_bytes = 0;
    reply.stall = lifetime;
  } else if (fault == "in-head") {
    reply = LoopbackReply::Raw("HTTP/1.1 200 OK\r\nContent-Le");
    reply.stall_after_body_bytes = 0;
    reply.stall = lifetime;
  } else if (fault == "in-body") {
    reply.stall_after_body_bytes = 1000;
    reply.stall = lifetime;
  } else if (fault == "reset") {
    reply.close_after_body_bytes = 1000;
    reply.reset = true;
  } else {
    std::fprintf(stderr, "unknown fault %s\n", fault.c_str());
    return 2;
  }
  LoopbackServer server(lifetime + 5s);
  for (const char* path : {kPrimaryConditionsPath, kPrimaryForecastPath, kAlternateConditionsPath,
                           kAlternateForecastPath}) {
    server.Serve(path, reply);
  }
  std::printf("%s\n", server.Authority().c_str());
  std::fflush(stdout);
  std::size_t told = 0;
  for (auto end = std::chrono::steady_clock::now() + lifetime;
       std::chrono::steady_clock::now() < end;) {
    const auto requests = server.Requests();
    for (; told < requests.size(); ++told) {
      std::printf("request %s\n", requests[told].target().c_str());
      std::fflush(stdout);
    }
    std::this_thread::sleep_for(20ms);
  }
  return 0;
}
