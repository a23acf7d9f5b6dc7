// The sample data server: the primary source's two documents on one port,
// the alternate source's two on another, answered from the sample documents
// of the chosen scenario (or from the files of a folder), over just enough
// HTTP/1.1 for curl, a browser and the ticker: GET and HEAD, Content-Length,
// one request per connection.
//
// One event loop accepts connections and reads their request heads, so a
// connection that sends nothing costs a descriptor and a few bytes, not a
// thread. It keeps up to kMaxWaiting connections waiting for their heads,
// each for at most kHeadTimeout; when more arrive, the one that has waited
// longest is closed, so no client can hold the door shut for the others. A
// complete request is answered on a thread of its own (at most kMaxAnswering
// at once; later requests wait their turn), so a stalled answer does not hold
// up the others. Run() returns when its StopFlag is raised, or after
// `idle_exit` without a connection, after every connection has been closed
// and every thread joined.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "sample-server/http_serve.h"
#include "sample-server/sample_documents.h"

namespace mw_sample {

inline constexpr std::uint16_t kDefaultPrimaryPort = 8046;
inline constexpr std::uint16_t kDefaultAlternatePort = 8047;

struct ServerOptions {
  std::string bind = "127.0.0.1";
  std::uint16_t primary_port = kDefaultPrimaryPort;  // 0: any free port
  std::uint16_t alternate_port = kDefaultAlternatePort;
  Scenario scenario = Scenario::kLive;
  std::string documents_dir;  // empty: the generated documents
  // Listening sockets handed over by the service manager (socket
  // activation), used instead of binding the ports; kNoSocket: bind them
  // here.
  mw_http::Socket primary_fd = mw_http::kNoSocket;
  mw_http::Socket alternate_fd = mw_http::kNoSocket;
  // Return from Run() after this long without a connection; 0: never. Under
  // socket activation the service manager keeps listening meanwhile and
  // starts the server again at the next connection.
  std::chrono::milliseconds idle_exit{0};
  // How long the "slow" scenario stays silent in the middle of a body; longer
  // than the ticker's 15-second stall limit.
  std::chrono::milliseconds stall = std::chrono::seconds(20);
  bool log_requests = false;  // one line per request on standard output
  std::function<SampleClock()> clock = SystemClock;
};

struct ParsedCommandLine {
  ServerOptions options;
  bool help = false;
  std::string error;  // non-empty: the command line is wrong
};

// Parses the arguments after the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();

enum class Source { kPrimary, kAlternate };

// One answer: the head, the body, and how the connection is to behave.
struct Answer {
  std::string head;
  std::string body;  // empty for HEAD
  bool stall_halfway = false;
  bool reset_halfway = false;
};

class SampleServer {
 public:
  static constexpr std::size_t kMaxWaiting = 4096;
  static constexpr std::size_t kMaxAnswering = 32;
  static constexpr std::chrono::seconds kHeadTimeout{5};

  // Binds both ports (or takes over the handed sockets); throws std::runtime_error with a readable
  // reason when either cannot be had.
  explicit SampleServer(ServerOptions options);
  ~SampleServer();
  SampleServer(const SampleServer&) = delete;
  SampleServer& operator=(const SampleServer&) = delete;

  std::uint16_t PrimaryPort() const { return primary_port_; }
  std::uint16_t AlternatePort() const { return alternate_port_; }
  // "http://<bind>:<port>" of each source, for messages.
  std::string BaseUrl(Source source) const;

  // Serves until `stop` is raised (false) or the server has been idle for
  // `idle_exit` (true).
  bool Run(const mw_http::StopFlag& stop);

  // The answer to one request on the port of `source`.
  Answer Respond(Source source, const mw_http::HttpRequest& request) const;

 private:
  void Serve(mw_http::Socket fd, Source source, const mw_http::HttpRequest& request,
             const mw_http::StopFlag& stop) const;
  bool ReadFromFolder(const std::string& path, std::string* bytes) const;

  ServerOptions options_;
  mw_http::Socket primary_fd_ = mw_http::kNoSocket;
  mw_http::Socket alternate_fd_ = mw_http::kNoSocket;
  std::uint16_t primary_port_ = 0;
  std::uint16_t alternate_port_ = 0;
  mutable std::mutex log_mutex_;
};

// Raises this process's soft limit on open descriptors towards `wanted` (at
// most to the hard limit), so that kMaxWaiting connections can wait at once.
// Windows has no such limit for sockets: nothing to do there.
void RaiseDescriptorLimit(std::size_t wanted);

}  // namespace mw_sample
