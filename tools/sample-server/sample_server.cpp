#include "sample-server/sample_server.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <list>
#include <memory>
#include <stdexcept>
#include <thread>

#include "sample-server/sockets.h"
#include "text/ascii_case.h"
#include "weather/sources.h"

namespace mw_sample {
namespace {

using namespace std::chrono_literals;
using mw_http::CloseSocket;
using mw_http::kNoSocket;
using mw_http::Socket;

constexpr auto kSendTimeout = 30s;
constexpr auto kDrainTime = 1s;
constexpr std::uintmax_t kMaxFileBytes = 16u << 20;

#ifdef _WIN32
constexpr char kHowItStops[] =
    "Stops on Ctrl+C or Ctrl+Break, when its console window is closed,\n"
    "and when its hidden window (class MarrowbyWeatherServer) is sent WM_CLOSE,\n"
    "as taskkill without /f does.\n";
#else
constexpr char kHowItStops[] =
    "Stops on SIGINT or SIGTERM.\n"
    "Started by the service manager, it serves the two listening sockets it is\n"
    "handed (primary first) instead of binding the ports.\n";
#endif

constexpr char kTextType[] = "text/plain; charset=us-ascii";
constexpr char kHtmlType[] = "text/html; charset=us-ascii";

struct Document {
  const char* path;
  Source source;
  bool forecast;
};

constexpr Document kDocuments[] = {
    {kPrimaryConditionsPath, Source::kPrimary, false},
    {kPrimaryForecastPath, Source::kPrimary, true},
    {kAlternateConditionsPath, Source::kAlternate, false},
    {kAlternateForecastPath, Source::kAlternate, true},
};

bool ParsePort(const std::string& text, std::uint16_t* port) {
  if (text.empty() || text.size() > 5) return false;
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > 65535) return false;
  *port = static_cast<std::uint16_t>(value);
  return true;
}

std::string SourceName(Source source) {
  return source == Source::kPrimary ? "primary" : "alternate";
}

std::string ContentTypeFor(const std::string& path) {
  auto dot = path.rfind('.');
  std::string ext = dot == std::string::npos ? "" : path.substr(dot);
  for (char& c : ext) c = AsciiLower(c);
  if (ext == ".html" || ext == ".htm") return "text/html";
  return "text/plain";
}

Answer MakeAnswer(int code, std::string content_type, std::string body,
                  std::vector<std::string> extra = {}) {
  extra.insert(extra.begin(), {"Content-Type: " + content_type, "Cache-Control: no-cache",
                               "Server: marrowby-weather-server"});
  Answer answer;
  answer.head = mw_http::ResponseHead(code, mw_http::ReasonPhrase(code), extra, body.size());
  answer.body = std::move(body);
  return answer;
}

std::string IndexPage(Source source, const ServerOptions& options) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"us-ascii\">\n"
      "<title>Marrowby Weather sample data</title>\n</head>\n<body>\n"
      "<h1>Marrowby Weather sample data: " +
      SourceName(source) + " source</h1>\n<ul>\n";
  for (const Document& doc : kDocuments) {
    if (doc.source == source) {
      page += "<li><a href=\"" + std::string(doc.path) + "\">" + doc.path + "</a></li>\n";
    }
  }
  page += "</ul>\n<p>Scenario: " + std::string(ScenarioName(options.scenario)) +
          "</p>\n</body>\n</html>\n";
  return page;
}

void SendAnswer(Socket fd, const Answer& answer, std::chrono::milliseconds stall,
                const mw_http::StopFlag& stop) {
  mw_http::Delivery delivery;
  const std::size_t half = answer.body.size() / 2;
  if (answer.stall_halfway) {
    delivery.stall_after = half;
    delivery.stall = stall;
  }
  if (answer.reset_halfway) {
    delivery.cut_after = half;
    delivery.reset = true;
  }
  mw_http::Deliver(fd, answer.head, answer.body, delivery, kSendTimeout, kDrainTime, stop);
}

}  // namespace

std::string UsageText() {
  std::string scenarios;
  for (Scenario s : AllScenarios()) {
    scenarios += (scenarios.empty() ? "" : ", ") + std::string(ScenarioName(s));
  }
  return "Usage: marrowby-weather-server [OPTION]...\n"
         "Serves made-up weather bulletins for Marrowby Weather: the primary source's\n"
         "documents on one port, the alternate source's on another.\n"
         "\n"
         "  --primary-port N     port of the primary source (default 8046; 0: any free port)\n"
         "                         " +
         std::string(kPrimaryConditionsPath) + "\n                         " +
         kPrimaryForecastPath +
         "\n"
         "  --alternate-port N   port of the alternate source (default 8047; 0: any free port)\n"
         "                         " +
         kAlternateConditionsPath + "\n                         " + kAlternateForecastPath +
         "\n"
         "  --bind ADDR          address to listen on (default 127.0.0.1)\n"
         "  --scenario NAME      the weather to serve (default live):\n"
         "                         " +
         scenarios +
         "\n"
         "                         live: changes with the clock through sun, cloud, fog,\n"
         "                         rain, showers, snow and freezing rain, 40 minutes each;\n"
         "                         unavailable: Wendmoore does not report;\n"
         "                         error-page: the documents answer 404 with an HTML page;\n"
         "                         slow: the documents stall half-way through the body;\n"
         "                         drop: the connection is reset half-way through the body\n"
         "  --stall-seconds N    how long the slow scenario stalls (default 20)\n"
         "  --idle-exit N        stop after N seconds without a connection (default 0:\n"
         "                         never); meant for socket activation\n"
         "  --documents DIR      serve the files of DIR as they are instead: a path is\n"
         "                         looked up below DIR, then by its file name alone\n"
         "  --quiet              do not log requests\n"
         "  --help               show this help and exit\n"
         "\n"
         "Point the ticker at other servers with the [sources] primary and alternate\n"
         "entries of its settings file, or with MARROWBY_WEATHER_PRIMARY and\n"
         "MARROWBY_WEATHER_ALTERNATE (host or host:port). " +
         kHowItStops;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  ParsedCommandLine parsed;
  parsed.options.log_requests = true;
  auto fail = [&](std::string message) {
    parsed.error = std::move(message);
    return parsed;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool has_value = false;
    if (auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      has_value = true;
    }
    auto take_value = [&]() -> bool {
      if (has_value) return true;
      if (i + 1 >= args.size()) return false;
      value = args[++i];
      return true;
    };
    if (name == "--help" || name == "-h") {
      parsed.help = true;
    } else if (name == "--quiet") {
      parsed.options.log_requests = false;
    } else if (name == "--primary-port" || name == "--alternate-port") {
      std::uint16_t port = 0;
      if (!take_value()) return fail(name + " needs a port number");
      if (!ParsePort(value, &port)) return fail("not a port number for " + name + ": " + value);
      (name == "--primary-port" ? parsed.options.primary_port : parsed.options.alternate_port) =
          port;
    } else if (name == "--bind") {
      if (!take_value() || value.empty()) return fail("--bind needs an address");
      parsed.options.bind = value;
    } else if (name == "--scenario") {
      if (!take_value()) return fail("--scenario needs a name");
      auto scenario = ScenarioFromName(value);
      if (!scenario) return fail("unknown scenario: " + value);
      parsed.options.scenario = *scenario;
    } else if (name == "--stall-seconds") {
      std::uint16_t seconds = 0;
      if (!take_value() || !ParsePort(value, &seconds) || seconds > 3600) {
        return fail("--stall-seconds needs a number of seconds (0 to 3600)");
      }
      parsed.options.stall = std::chrono::seconds(seconds);
    } else if (name == "--idle-exit") {
      std::uint16_t seconds = 0;
      if (!take_value() || !ParsePort(value, &seconds)) {
        return fail("--idle-exit needs a number of seconds (0 to 65535)");
      }
      parsed.options.idle_exit = std::chrono::seconds(seconds);
    } else if (name == "--documents") {
      if (!take_value() || value.empty()) return fail("--documents needs a folder");
      std::error_code ec;
      if (!std::filesystem::is_directory(value, ec)) return fail("not a folder: " + value);
      parsed.options.documents_dir = value;
    } else {
      return fail("unknown option: " + args[i]);
    }
  }
  if (parsed.options.primary_port != 0 &&
      parsed.options.primary_port == parsed.options.alternate_port) {
    return fail("the primary and the alternate source need different ports");
  }
  return parsed;
}

SampleServer::SampleServer(ServerOptions options) : options_(std::move(options)) {
  if (options_.primary_fd != kNoSocket && options_.alternate_fd != kNoSocket) {
    primary_fd_ = options_.primary_fd;
    alternate_fd_ = options_.alternate_fd;
    for (Socket fd : {primary_fd_, alternate_fd_}) mw_http::AdoptListener(fd);
    primary_port_ = mw_http::LocalPort(primary_fd_);
    alternate_port_ = mw_http::LocalPort(alternate_fd_);
    return;
  }
  std::string error;
  primary_fd_ = mw_http::ListenTcp(options_.bind, options_.primary_port, &error);
  if (primary_fd_ == kNoSocket) throw std::runtime_error(error);
  alternate_fd_ = mw_http::ListenTcp(options_.bind, options_.alternate_port, &error);
  if (alternate_fd_ == kNoSocket) {
    CloseSocket(primary_fd_);
    throw std::runtime_error(error);
  }
  primary_port_ = mw_http::LocalPort(primary_fd_);
  alternate_port_ = mw_http::LocalPort(alternate_fd_);
}

SampleServer::~SampleServer() {
  CloseSocket(primary_fd_);
  CloseSocket(alternate_fd_);
}

std::string SampleServer::BaseUrl(Source source) const {
  std::string host = options_.bind;
  if (host.find(':') != std::string::npos) host = "[" + host + "]";
  return "http://" + host + ":" +
         std::to_string(source == Source::kPrimary ? primary_port_ : alternate_port_);
}

bool SampleServer::Run(const mw_http::StopFlag& stop) {
  using mw_http::Clock;
  struct Waiting {
    Socket fd;
    Source source;
    Clock::time_point deadline;
    std::string head;  // what has come of the request head so far
  };
  struct Request {
    Socket fd;
    Source source;
    mw_http::HttpRequest request;
  };
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::deque<Waiting> waiting;  // oldest first: all wait kHeadTimeout
  std::deque<Request> requests;
  std::list<Worker> workers;
  auto reap = [&](bool all) {
    for (auto it = workers.begin(); it != workers.end();) {
      if (all || it->done->load()) {
        it->thread.join();
        it = workers.erase(it);
      } else {
        ++it;
      }
    }
  };
  auto drop_oldest = [&] {
    CloseSocket(waiting.front().fd);
    waiting.pop_front();
  };
  const Socket listeners[2] = {primary_fd_, alternate_fd_};
  Clock::time_point last_activity = Clock::now();
  std::vector<mw_http::PollFd> polled;
  bool idle = false;
  for (;;) {
    reap(false);
    while (!requests.empty() && workers.size() < kMaxAnswering) {
      auto done = std::make_shared<std::atomic<bool>>(false);
      workers.push_back({std::thread([this, r = std::move(requests.front()), &stop, done] {
                           Serve(r.fd, r.source, r.request, stop);
                           done->store(true);
                         }),
                         done});
      requests.pop_front();
    }
    Clock::time_point now = Clock::now();
    const bool busy = !workers.empty() || !requests.empty() || !waiting.empty();
    if (busy) last_activity = now;
    // Wake for the next head deadline, the idle limit, or (while answers
    // are under way) soon, to take in finished workers.
    Clock::time_point wake = now + std::chrono::seconds(1);
    if (!workers.empty() || !requests.empty()) wake = now + 50ms;
    if (!waiting.empty()) wake = std::min(wake, waiting.front().deadline);
    if (options_.idle_exit.count() > 0) {
      Clock::time_point idle_at = last_activity + options_.idle_exit;
      if (!busy && now >= idle_at) idle = true;
      wake = std::min(wake, idle_at);
    }
    polled.clear();
    polled.push_back({stop.Fd(), POLLIN, 0});
    for (Socket fd : listeners) polled.push_back({fd, POLLIN, 0});
    for (const Waiting& w : waiting) polled.push_back({w.fd, POLLIN, 0});
    auto wait_ms = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
    int n =
        mw_http::PollSockets(polled.data(), polled.size(),
                             idle ? 0 : static_cast<int>(std::clamp<long long>(wait_ms, 0, 1000)));
    if (n < 0 && mw_http::LastSocketError() != mw_http::SocketError::kInterrupted) break;
    if (n < 0) continue;
    if (polled[0].revents & POLLIN) break;
    // A connection that came just as the idle time ran out is served; the
    // service manager starts a fresh server for any that come later.
    if (idle && !(polled[1].revents & POLLIN) && !(polled[2].revents & POLLIN)) break;
    idle = false;
    now = Clock::now();

    // Read what the waiting connections sent; keep those still short of a
    // whole head and within their time.
    std::deque<Waiting> still;
    for (std::size_t i = 0; i < waiting.size(); ++i) {
      Waiting& w = waiting[i];
      bool keep = true;
      if (polled[3 + i].revents & (POLLIN | POLLHUP | POLLERR)) {
        char chunk[2048];
        std::ptrdiff_t got = mw_http::ReceiveSome(w.fd, chunk, sizeof chunk);
        if (got > 0) {
          w.head.append(chunk, static_cast<std::size_t>(got));
          mw_http::HttpRequest request;
          switch (mw_http::ScanRequestHead(w.head, &request)) {
            case mw_http::HeadScan::kComplete:
              requests.push_back({w.fd, w.source, std::move(request)});
              keep = false;
              break;
            case mw_http::HeadScan::kBad:
              mw_http::CloseConnection(w.fd, false, 0ms, stop);
              keep = false;
              break;
            case mw_http::HeadScan::kIncomplete:
              break;
          }
        } else if (got == 0 || !mw_http::NothingYet()) {
          CloseSocket(w.fd);
          keep = false;
        }
      }
      if (keep && now >= w.deadline) {
        CloseSocket(w.fd);
        keep = false;
      }
      if (keep) still.push_back(std::move(w));
    }
    waiting.swap(still);

    for (int i = 0; i < 2; ++i) {
      if (!(polled[1 + i].revents & POLLIN)) continue;
      // A burst is taken in one go, up to a bound so the other port and the
      // waiting connections get their turn.
      for (int taken = 0; taken < 256; ++taken) {
        Socket fd = mw_http::AcceptConnection(listeners[i]);
        if (fd == kNoSocket) {
          // Out of descriptors: make room by closing the longest waiter; the
          // new connection stays queued until the next round.
          if (mw_http::LastSocketError() == mw_http::SocketError::kOutOfSockets &&
              !waiting.empty()) {
            drop_oldest();
          }
          break;
        }
        if (waiting.size() >= kMaxWaiting) drop_oldest();
        waiting.push_back(
            {fd, i == 0 ? Source::kPrimary : Source::kAlternate, Clock::now() + kHeadTimeout, {}});
      }
    }
  }
  for (const Waiting& w : waiting) CloseSocket(w.fd);
  for (const Request& r : requests) CloseSocket(r.fd);
  reap(true);
  return idle;
}

void SampleServer::Serve(Socket fd, Source source, const mw_http::HttpRequest& request,
                         const mw_http::StopFlag& stop) const {
  Answer answer = Respond(source, request);
  if (options_.log_requests) {
    std::lock_guard lock(log_mutex_);
    std::string status = answer.head.substr(9, 3);
    std::printf("%s %s %s %s\n", SourceName(source).c_str(), request.method.c_str(),
                request.target.c_str(), status.c_str());
    std::fflush(stdout);
  }
  SendAnswer(fd, answer, options_.stall, stop);
}

bool SampleServer::ReadFromFolder(const std::string& path, std::string* bytes) const {
  namespace fs = std::filesystem;
  if (path.size() < 2 || path[0] != '/' || path.find('\0') != std::string::npos) return false;
  std::error_code ec;
  fs::path root = fs::weakly_canonical(options_.documents_dir, ec);
  if (ec) return false;
  fs::path relative(path.substr(1));
  for (const fs::path& candidate : {root / relative, root / relative.filename()}) {
    fs::path real = fs::weakly_canonical(candidate, ec);
    if (ec) continue;
    // Nothing outside the folder is served, whatever ".." or links say.
    auto [root_end, ignored] = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
    if (root_end != root.end()) continue;
    if (!fs::is_regular_file(real, ec) || fs::file_size(real, ec) > kMaxFileBytes) continue;
    std::ifstream in(real, std::ios::binary);
    if (!in) continue;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
  }
  return false;
}

Answer SampleServer::Respond(Source source, const mw_http::HttpRequest& request) const {
  const bool head_only = request.method == "HEAD";
  Answer answer;
  const std::string path = request.Path();
  bool document = false;
  if (request.method != "GET" && !head_only) {
    answer =
        MakeAnswer(405, kTextType, "Only GET and HEAD are served here.\n", {"Allow: GET, HEAD"});
  } else if (path == "/") {
    answer = MakeAnswer(200, kHtmlType, IndexPage(source, options_));
  } else if (!options_.documents_dir.empty()) {
    std::string bytes;
    document = ReadFromFolder(path, &bytes);
    answer = document ? MakeAnswer(200, ContentTypeFor(path), std::move(bytes))
                      : MakeAnswer(404, kHtmlType, NotFoundPage(path));
  } else {
    const Document* found = nullptr;
    for (const Document& doc : kDocuments) {
      if (doc.source == source && path == doc.path) found = &doc;
    }
    if (found) {
      document = true;
      SampleDocuments docs = MakeSampleDocuments(options_.scenario, options_.clock());
      if (source == Source::kPrimary) {
        answer =
            MakeAnswer(200, kTextType, found->forecast ? docs.forecast_text : docs.roundup_text);
      } else {
        answer =
            MakeAnswer(200, kHtmlType, found->forecast ? docs.forecast_html : docs.roundup_html);
      }
    } else {
      answer = MakeAnswer(404, kHtmlType, NotFoundPage(path));
    }
  }
  if (document) {
    switch (options_.scenario) {
      case Scenario::kErrorPage:
        answer = MakeAnswer(404, kHtmlType, NotFoundPage(path));
        break;
      case Scenario::kSlow:
        answer.stall_halfway = true;
        break;
      case Scenario::kDrop:
        answer.reset_halfway = true;
        break;
      default:
        break;
    }
  }
  if (head_only) {
    answer.body.clear();
    answer.stall_halfway = answer.reset_halfway = false;
  }
  return answer;
}

void RaiseDescriptorLimit(std::size_t wanted) {
#ifdef _WIN32
  (void)wanted;
#else
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= wanted) return;
  limit.rlim_cur = std::min<rlim_t>(wanted, limit.rlim_max);
  setrlimit(RLIMIT_NOFILE, &limit);
#endif
}

}  // namespace mw_sample
