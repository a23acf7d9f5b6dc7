// The sample data server: the primary source's two documents on one port,
// the alternate source's two on another, answered from the sample documents
// of the chosen scenario (or from the files of a folder), over just enough
// HTTP/1.1 for curl, a browser and the ticker: GET and HEAD, Content-Length,
// one request per connection.
//
// Each connection is served on a thread of its own (at most kMaxConnections
// at once; more are closed unanswered), so a stalled answer does not hold up
// the others. Run() returns when its StopFlag is raised, after every
// connection has been closed and its thread joined.
#pragma once

#include <atomic>
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
  static constexpr int kMaxConnections = 32;

  // Binds both ports; throws std::runtime_error with a readable reason when
  // either cannot be had.
  explicit SampleServer(ServerOptions options);
  ~SampleServer();
  SampleServer(const SampleServer&) = delete;
  SampleServer& operator=(const SampleServer&) = delete;

  std::uint16_t PrimaryPort() const { return primary_port_; }
  std::uint16_t AlternatePort() const { return alternate_port_; }
  // "http://<bind>:<port>" of each source, for messages.
  std::string BaseUrl(Source source) const;

  // Serves until `stop` is raised.
  void Run(const mw_http::StopFlag& stop);

  // The answer to one request on the port of `source`.
  Answer Respond(Source source, const mw_http::HttpRequest& request) const;

 private:
  void Serve(int fd, Source source, const mw_http::StopFlag& stop) const;
  bool ReadFromFolder(const std::string& path, std::string* bytes) const;

  ServerOptions options_;
  int primary_fd_ = -1;
  int alternate_fd_ = -1;
  std::uint16_t primary_port_ = 0;
  std::uint16_t alternate_port_ = 0;
  mutable std::mutex log_mutex_;
};

}  // namespace mw_sample
