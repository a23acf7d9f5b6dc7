// The sample data server over real loopback sockets: which path answers on
// which port, the scenarios' behaviour, the folder of documents, the command
// line, and the program itself starting and stopping when asked to. The
// fetch is the platform's own (libcurl, or WinINet under Wine); the last
// cases, the server as a service of a Linux machine, are for Linux only.
#include "sample-server/sample_server.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sample-server/sockets.h"
#include "server_process.h"
#include "support/temp_config.h"
#ifdef _WIN32
#include "support/registry_sandbox.h"
#endif
#include "weather/http_fetch.h"
#include "weather/sources.h"

namespace {

using namespace std::chrono_literals;
using mw_sample::Scenario;
using mw_sample::ServerOptions;
using mw_sample::Source;
using Clock = std::chrono::steady_clock;
using mw_http::Socket;

constexpr std::time_t kNoon = 1709640000;  // 2024-03-05 12:00 UTC
const mw_sample::SampleClock kFixedClock{kNoon, 0, "UTC"};

constexpr FetchLimits kPatient{5000, 5000, 20000};
constexpr FetchLimits kShort{3000, 2000, 10000};

ServerOptions TestOptions(Scenario scenario = Scenario::kLive) {
  ServerOptions options;
  options.primary_port = 0;
  options.alternate_port = 0;
  options.scenario = scenario;
  options.clock = [] { return kFixedClock; };
  options.stall = 30s;
  return options;
}

// A sample server serving on its own thread for the length of a test.
class RunningServer {
 public:
  explicit RunningServer(ServerOptions options) : server_(std::move(options)) {
    thread_ = std::thread([this] { server_.Run(stop_); });
  }
  ~RunningServer() {
    stop_.Raise();
    thread_.join();
  }
  std::string Url(Source source, const std::string& path) const {
    return server_.BaseUrl(source) + path;
  }
  std::uint16_t Port(Source source) const {
    return source == Source::kPrimary ? server_.PrimaryPort() : server_.AlternatePort();
  }

 private:
  mw_sample::SampleServer server_;
  mw_http::StopFlag stop_;
  std::thread thread_;
};

// A connection to the loopback port; kNoSocket when it is refused.
Socket Connect(std::uint16_t port) {
  Socket fd = mw_http::StreamSocket(AF_INET, false);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    mw_http::CloseSocket(fd);
    return mw_http::kNoSocket;
  }
  return fd;
}

void SendRequest(Socket fd, const std::string& request) {
  mw_http::SendSome(fd, request.data(), request.size());
}

// Reads until the server closes, or nothing comes for `quiet` at a time, or
// `limit` has passed.
std::string ReadAnswer(Socket fd, std::chrono::milliseconds quiet, std::chrono::seconds limit) {
  std::string response;
  auto until = Clock::now() + limit;
  auto silent_until = Clock::now() + quiet;
  char chunk[4096];
  while (Clock::now() < until && Clock::now() < silent_until) {
    mw_http::PollFd p{fd, POLLIN, 0};
    if (mw_http::PollSockets(&p, 1, 100) <= 0) continue;
    auto n = recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) break;
    response.append(chunk, static_cast<std::size_t>(n));
    silent_until = Clock::now() + quiet;
  }
  return response;
}

// Sends `request` as it is and reads until the server closes or 10 s pass.
std::string RawExchange(std::uint16_t port, const std::string& request) {
  Socket fd = Connect(port);
  if (fd == mw_http::kNoSocket) return "(no connection)";
  SendRequest(fd, request);
  std::string response = ReadAnswer(fd, 10s, 10s);
  mw_http::CloseSocket(fd);
  return response;
}

std::string Get(std::uint16_t port, const std::string& path, const std::string& method = "GET") {
  return RawExchange(port, method + " " + path + " HTTP/1.1\r\nHost: test\r\n\r\n");
}

std::string StatusLine(const std::string& response) {
  return response.substr(0, response.find("\r\n"));
}

std::string BodyOf(const std::string& response) {
  std::size_t end = response.find("\r\n\r\n");
  return end == std::string::npos ? "" : response.substr(end + 4);
}

FetchResult Fetch(const std::string& url, const FetchLimits& limits = kPatient) {
  return FetchHttpDocument(url, limits, nullptr);
}

// ---- paths and ports ----

TEST(SampleServer, EachDocumentAnswersOnItsSourcesPort) {
  RunningServer server(TestOptions());
  mw_sample::SampleDocuments docs = mw_sample::MakeSampleDocuments(Scenario::kLive, kFixedClock);
  struct {
    Source source;
    const char* path;
    const std::string* body;
    const char* type;
  } cases[] = {
      {Source::kPrimary, kPrimaryConditionsPath, &docs.roundup_text, "text/plain"},
      {Source::kPrimary, kPrimaryForecastPath, &docs.forecast_text, "text/plain"},
      {Source::kAlternate, kAlternateConditionsPath, &docs.roundup_html, "text/html"},
      {Source::kAlternate, kAlternateForecastPath, &docs.forecast_html, "text/html"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    FetchResult r = Fetch(server.Url(c.source, c.path));
    ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
    EXPECT_EQ(r.body, *c.body);
    std::string response = Get(server.Port(c.source), c.path);
    EXPECT_EQ(StatusLine(response), "HTTP/1.1 200 OK");
    EXPECT_NE(response.find("Content-Type: " + std::string(c.type)), std::string::npos);
    EXPECT_NE(response.find("Content-Length: " + std::to_string(c.body->size()) + "\r\n"),
              std::string::npos);
    EXPECT_EQ(BodyOf(response), *c.body);
    // The other source's port does not have it.
    Source other = c.source == Source::kPrimary ? Source::kAlternate : Source::kPrimary;
    EXPECT_EQ(StatusLine(Get(server.Port(other), c.path)), "HTTP/1.1 404 Not Found");
  }
}

TEST(SampleServer, AnswersHeadIndexUnknownPathsAndOtherMethods) {
  RunningServer server(TestOptions());
  std::uint16_t port = server.Port(Source::kPrimary);
  std::string get = Get(port, kPrimaryForecastPath);
  std::string head = Get(port, kPrimaryForecastPath, "HEAD");
  EXPECT_EQ(StatusLine(head), "HTTP/1.1 200 OK");
  EXPECT_EQ(head, get.substr(0, get.find("\r\n\r\n") + 4));

  // A query does not change the document.
  EXPECT_EQ(BodyOf(Get(port, std::string(kPrimaryForecastPath) + "?fresh=1")), BodyOf(get));

  std::string index = Get(server.Port(Source::kAlternate), "/");
  EXPECT_EQ(StatusLine(index), "HTTP/1.1 200 OK");
  EXPECT_NE(index.find(kAlternateConditionsPath), std::string::npos);
  EXPECT_NE(index.find(kAlternateForecastPath), std::string::npos);

  std::string missing = Get(port, "/nothing/here");
  EXPECT_EQ(StatusLine(missing), "HTTP/1.1 404 Not Found");
  EXPECT_NE(BodyOf(missing).find("<html"), std::string::npos);

  std::string post = Get(port, kPrimaryForecastPath, "POST");
  EXPECT_EQ(StatusLine(post), "HTTP/1.1 405 Method Not Allowed");
  EXPECT_NE(post.find("Allow: GET, HEAD"), std::string::npos);

  // Not HTTP at all: the connection is closed without an answer.
  EXPECT_EQ(RawExchange(port, "hello\r\n\r\n"), "");
}

// ---- scenarios ----

TEST(SampleServer, ErrorPageScenarioAnswers404WithHtml) {
  RunningServer server(TestOptions(Scenario::kErrorPage));
  for (auto [source, path] : {std::pair{Source::kPrimary, kPrimaryConditionsPath},
                              std::pair{Source::kAlternate, kAlternateForecastPath}}) {
    std::string response = Get(server.Port(source), path);
    EXPECT_EQ(StatusLine(response), "HTTP/1.1 404 Not Found");
    EXPECT_NE(response.find("Content-Type: text/html"), std::string::npos);
    EXPECT_EQ(BodyOf(response), mw_sample::NotFoundPage(path));
    // To the fetch, an error page is a document.
    FetchResult r = Fetch(server.Url(source, path));
    EXPECT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
    EXPECT_NE(r.body.find("<h1>Not Found</h1>"), std::string::npos);
  }
}

TEST(SampleServer, SlowScenarioStallsMidBody) {
  RunningServer server(TestOptions(Scenario::kSlow));
  auto start = Clock::now();
  FetchResult r = Fetch(server.Url(Source::kPrimary, kPrimaryForecastPath), kShort);
  EXPECT_EQ(r.outcome, FetchOutcome::kReadFailed) << r.detail;
  EXPECT_LT(Clock::now() - start, 20s);
  // The head and half the body came before the silence.
  Socket fd = Connect(server.Port(Source::kAlternate));
  ASSERT_NE(fd, mw_http::kNoSocket);
  SendRequest(fd, std::string("GET ") + kAlternateConditionsPath + " HTTP/1.1\r\n\r\n");
  std::string got = ReadAnswer(fd, 1000ms, 20s);
  mw_http::CloseSocket(fd);
  mw_sample::SampleDocuments docs = mw_sample::MakeSampleDocuments(Scenario::kSlow, kFixedClock);
  EXPECT_EQ(StatusLine(got), "HTTP/1.1 200 OK");
  EXPECT_EQ(BodyOf(got), docs.roundup_html.substr(0, docs.roundup_html.size() / 2));
}

TEST(SampleServer, SlowAnswerDoesNotHoldUpOthers) {
  RunningServer server(TestOptions(Scenario::kSlow));
  Socket stalled = Connect(server.Port(Source::kPrimary));
  ASSERT_NE(stalled, mw_http::kNoSocket);
  SendRequest(stalled, std::string("GET ") + kPrimaryConditionsPath + " HTTP/1.1\r\n\r\n");
  EXPECT_EQ(StatusLine(Get(server.Port(Source::kPrimary), "/")), "HTTP/1.1 200 OK");
  mw_http::CloseSocket(stalled);
}

TEST(SampleServer, DropScenarioResetsMidBody) {
  RunningServer server(TestOptions(Scenario::kDrop));
  for (auto [source, path] : {std::pair{Source::kPrimary, kPrimaryConditionsPath},
                              std::pair{Source::kAlternate, kAlternateForecastPath}}) {
    int opens = 0;
    FetchResult r = FetchHttpDocument(server.Url(source, path), kShort, [&] { ++opens; });
    EXPECT_EQ(r.outcome, FetchOutcome::kReadFailed) << path << ": " << r.detail;
    EXPECT_EQ(opens, 1);
  }
}

TEST(SampleServer, PinnedScenariosServeTheirWeather) {
  RunningServer server(TestOptions(Scenario::kUnavailable));
  FetchResult r = Fetch(server.Url(Source::kPrimary, kPrimaryConditionsPath));
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_NE(r.body.find("\r\r\nWENDMOORE      NOT AVBL\r\r\n"), std::string::npos);
}

TEST(SampleServer, StopsPromptlyWithAStalledConnectionOpen) {
  auto options = TestOptions(Scenario::kSlow);
  options.stall = 600s;
  auto server = std::make_unique<RunningServer>(options);
  Socket stalled = Connect(server->Port(Source::kPrimary));
  ASSERT_NE(stalled, mw_http::kNoSocket);
  SendRequest(stalled, std::string("GET ") + kPrimaryConditionsPath + " HTTP/1.1\r\n\r\n");
  std::this_thread::sleep_for(100ms);
  auto start = Clock::now();
  server.reset();
  EXPECT_LT(Clock::now() - start, 10s);
  mw_http::CloseSocket(stalled);
}

// ---- a folder of documents ----

class DocumentsFolder : public testing::Test {
 protected:
  void SetUp() override {
    root_ = folder_.Path() + "/docs";
    WriteFileBytes(root_ + "/text/wxascii/roundup/ASUS46.KMRB", "nested roundup\r\n");
    WriteFileBytes(root_ + "/zone.html", "<pre>flat zone.</pre>\n");
    WriteFileBytes(folder_.Path() + "/secret.txt", "outside\n");
#ifndef _WIN32
    // (Windows lets only some users make links.)
    std::filesystem::create_symlink(folder_.Path() + "/secret.txt", root_ + "/link.txt");
#endif
  }
  TempConfigDir folder_;
  std::string root_;
};

TEST_F(DocumentsFolder, ServesItsFilesAsTheyAre) {
  auto options = TestOptions();
  options.documents_dir = root_;
  RunningServer server(options);
  FetchResult nested = Fetch(server.Url(Source::kPrimary, kPrimaryConditionsPath));
  EXPECT_EQ(nested.body, "nested roundup\r\n");
  FetchResult flat = Fetch(server.Url(Source::kAlternate, kAlternateForecastPath));
  EXPECT_EQ(flat.body, "<pre>flat zone.</pre>\n");
  EXPECT_NE(
      Get(server.Port(Source::kAlternate), kAlternateForecastPath).find("Content-Type: text/html"),
      std::string::npos);
  // A missing file is a 404, and nothing outside the folder is served.
  std::uint16_t port = server.Port(Source::kPrimary);
  EXPECT_EQ(StatusLine(Get(port, kPrimaryForecastPath)), "HTTP/1.1 404 Not Found");
  // Backslashes and a whole path (with a drive letter on Windows) lead out
  // of the folder on Windows.
  std::vector<std::string> outside = {"/../secret.txt", "/text/../../secret.txt", "/link.txt",
                                      "/..\\secret.txt", "/text\\..\\..\\secret.txt"};
  const std::string secret = folder_.Path() + "/secret.txt";
  if (secret.find(' ') == std::string::npos) outside.push_back("/" + secret);
  for (const std::string& path : outside) {
    std::string response = Get(port, path);
    EXPECT_EQ(StatusLine(response), "HTTP/1.1 404 Not Found") << path;
    EXPECT_EQ(response.find("outside"), std::string::npos) << path;
  }
}

// ---- the command line ----

TEST(SampleServerCommandLine, Defaults) {
  auto parsed = mw_sample::ParseCommandLine({});
  EXPECT_EQ(parsed.error, "");
  EXPECT_FALSE(parsed.help);
  EXPECT_EQ(parsed.options.bind, "127.0.0.1");
  EXPECT_EQ(parsed.options.primary_port, 8046);
  EXPECT_EQ(parsed.options.alternate_port, 8047);
  EXPECT_EQ(parsed.options.scenario, Scenario::kLive);
  EXPECT_EQ(parsed.options.documents_dir, "");
  EXPECT_TRUE(parsed.options.log_requests);
}

TEST(SampleServerCommandLine, Options) {
  TempConfigDir folder;
  auto parsed = mw_sample::ParseCommandLine({"--primary-port", "9000", "--alternate-port=9001",
                                             "--bind", "::1", "--scenario", "snow", "--documents",
                                             folder.Path(), "--stall-seconds", "3", "--quiet"});
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.primary_port, 9000);
  EXPECT_EQ(parsed.options.alternate_port, 9001);
  EXPECT_EQ(parsed.options.bind, "::1");
  EXPECT_EQ(parsed.options.scenario, Scenario::kSnow);
  EXPECT_EQ(parsed.options.documents_dir, folder.Path());
  EXPECT_EQ(parsed.options.stall, 3s);
  EXPECT_FALSE(parsed.options.log_requests);
  EXPECT_TRUE(mw_sample::ParseCommandLine({"--help"}).help);
  for (Scenario s : mw_sample::AllScenarios()) {
    auto named = mw_sample::ParseCommandLine({"--scenario", std::string(ScenarioName(s))});
    EXPECT_EQ(named.options.scenario, s);
    EXPECT_NE(mw_sample::UsageText().find(ScenarioName(s)), std::string::npos);
  }
}

TEST(SampleServerCommandLine, Mistakes) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--frobnicate"},
           {"--primary-port"},
           {"--primary-port", "http"},
           {"--alternate-port", "70000"},
           {"--primary-port", "9000", "--alternate-port", "9000"},
           {"--scenario", "hail"},
           {"--documents", "/no/such/folder"},
           {"--bind="},
           {"--stall-seconds", "-1"},
       }) {
    EXPECT_NE(mw_sample::ParseCommandLine(args).error, "") << args[0];
  }
}

// ---- the program ----

// Runs the built server with `args`.
std::unique_ptr<ServerProcess> Start(const std::vector<std::string>& args,
                                     const ServerLaunch& launch = {}) {
  return std::make_unique<ServerProcess>(MW_SAMPLE_SERVER_PATH, args, launch);
}

// The same, for a test that will ask it to stop.
std::unique_ptr<ServerProcess> StartStoppable(const std::vector<std::string>& args) {
  ServerLaunch launch;
  launch.stop_requests = true;
  return Start(args, launch);
}

std::uint16_t PortAfter(const std::string& out, const std::string& label) {
  std::size_t at = out.find(label + " source on http://127.0.0.1:");
  if (at == std::string::npos) return 0;
  return static_cast<std::uint16_t>(std::atoi(out.c_str() + at + label.size() +
                                              std::string(" source on http://127.0.0.1:").size()));
}

TEST(SampleServerProgram, HelpAndMistakes) {
  auto help = Start({"--help"});
  std::string out;
  help->ReadUntil(out, "Stops on");
  EXPECT_EQ(help->Finish(), 0);
  EXPECT_NE(out.find("Usage: marrowby-weather-server"), std::string::npos);
  EXPECT_NE(out.find("--scenario"), std::string::npos);

  auto wrong = Start({"--scenario", "hail"});
  EXPECT_EQ(wrong->Finish(), 2);
}

TEST(SampleServerProgram, ServesAndStopsCleanlyWhenAsked) {
  std::vector<ServerProcess::Request> requests = {ServerProcess::Request::kTerminate,
                                                  ServerProcess::Request::kInterrupt};
#ifdef _WIN32
  // Wine 8 sends no Ctrl+Break (GenerateConsoleCtrlEvent refuses it with
  // ERROR_INVALID_HANDLE); Ctrl+C it does send.
  if (RunningUnderWine()) requests = {ServerProcess::Request::kInterrupt};
#endif
  for (auto request : requests) {
    auto child =
        StartStoppable({"--primary-port", "0", "--alternate-port", "0", "--scenario", "rain"});
    ASSERT_TRUE(child->Started());
    std::string out;
    // The banner is written in one piece, so the port comes with its label.
    child->ReadUntil(out, "alternate source on http://127.0.0.1:");
    std::uint16_t primary = PortAfter(out, "primary");
    std::uint16_t alternate = PortAfter(out, "alternate");
    ASSERT_NE(primary, 0) << out;
    ASSERT_NE(alternate, 0) << out;
    FetchResult r = Fetch("http://127.0.0.1:" + std::to_string(primary) + kPrimaryForecastPath);
    EXPECT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
    EXPECT_NE(r.body.find("INCLUDING MARROWBY METRO"), std::string::npos);
    r = Fetch("http://127.0.0.1:" + std::to_string(alternate) + kAlternateConditionsPath);
    EXPECT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
    EXPECT_NE(r.body.find("BRENNIK"), std::string::npos);
    child->AskToStop(request);
    child->ReadUntil(out, "stopped");
    EXPECT_EQ(child->Finish(), 0);
    EXPECT_NE(out.find("primary GET " + std::string(kPrimaryForecastPath) + " 200"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("marrowby-weather-server: stopped"), std::string::npos) << out;
  }
}

TEST(SampleServerProgram, PortInUseIsReported) {
  std::string error;
  Socket taken = mw_http::ListenTcp("127.0.0.1", 0, &error);
  ASSERT_NE(taken, mw_http::kNoSocket) << error;
  std::string port = std::to_string(mw_http::LocalPort(taken));
  auto child = Start({"--primary-port", port, "--alternate-port", "0"});
  std::string out;
  child->ReadUntil(out, "cannot listen");
  EXPECT_EQ(child->Finish(), 1) << out;
  mw_http::CloseSocket(taken);
}

TEST(SampleServerProgram, StopsByItselfWhenIdle) {
  auto child = Start({"--primary-port", "0", "--alternate-port", "0", "--idle-exit", "1"});
  std::string out;
  child->ReadUntil(out, "alternate source on http://127.0.0.1:");
  const std::uint16_t primary = PortAfter(out, "primary");
  ASSERT_NE(primary, 0) << out;
  FetchResult r = Fetch("http://127.0.0.1:" + std::to_string(primary) + kPrimaryConditionsPath);
  EXPECT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  child->ReadUntil(out, "stopped");
  EXPECT_EQ(child->Finish(), 0) << out;
  EXPECT_NE(out.find("marrowby-weather-server: stopped, idle"), std::string::npos) << out;
}

// ---- a service of the machine (Linux) ----
#ifndef _WIN32

// A loopback port that was free a moment ago.
std::uint16_t FreePort() {
  std::string error;
  Socket fd = mw_http::ListenTcp("127.0.0.1", 0, &error);
  std::uint16_t port = mw_http::LocalPort(fd);
  mw_http::CloseSocket(fd);
  return port;
}

long ResidentKiB(long pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

TEST(SampleServerProgram, ThousandIdleConnectionsKeepNoOneElseWaiting) {
  constexpr int kIdle = 1000;
  mw_sample::RaiseDescriptorLimit(kIdle + 100);
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_cur < kIdle + 100) GTEST_SKIP() << "too few descriptors for this test";
  auto child = StartStoppable({"--primary-port", "0", "--alternate-port", "0", "--quiet"});
  std::string out;
  child->ReadUntil(out, "alternate source on http://127.0.0.1:");
  const std::uint16_t ports[2] = {PortAfter(out, "primary"), PortAfter(out, "alternate")};
  ASSERT_NE(ports[0], 0) << out;
  ASSERT_NE(ports[1], 0) << out;
  // Warm up, so that the growth below is what the idle connections cost.
  Fetch("http://127.0.0.1:" + std::to_string(ports[0]) + kPrimaryForecastPath);
  const long before = ResidentKiB(child->Id());

  std::vector<Socket> idle;
  for (int i = 0; i < kIdle; ++i) {
    Socket fd = Connect(ports[i % 2]);
    ASSERT_NE(fd, mw_http::kNoSocket) << "connection " << i;
    idle.push_back(fd);
  }
  auto start = Clock::now();
  FetchResult r = Fetch("http://127.0.0.1:" + std::to_string(ports[1]) + kAlternateForecastPath);
  const auto took = std::chrono::duration<double>(Clock::now() - start).count();
  EXPECT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  // Well under a second on an idle machine; the bound is for a busy one.
  EXPECT_LT(took, 5.0);
  const long after = ResidentKiB(child->Id());
  EXPECT_LT(after - before, 16 * 1024) << before << " KiB before, " << after << " KiB after";
  RecordProperty("answer_ms", static_cast<int>(took * 1000));
  RecordProperty("resident_growth_kib", static_cast<int>(after - before));
  std::printf("answered in %.3f s with %d idle connections; resident %ld KiB -> %ld KiB\n", took,
              kIdle, before, after);
  for (Socket fd : idle) mw_http::CloseSocket(fd);
  child->AskToStop(ServerProcess::Request::kTerminate);
  EXPECT_EQ(child->Finish(), 0);
}

// As the service manager starts it: systemd-socket-activate listens on two
// ports, starts the server at the first connection and hands it both sockets.
TEST(SampleServerProgram, SocketActivationServesThroughHandedSocketsAndStopsWhenIdle) {
  const std::string primary = "127.0.0.1:" + std::to_string(FreePort());
  const std::string alternate = "127.0.0.1:" + std::to_string(FreePort());
  ASSERT_NE(primary, alternate);
  auto child = Start({"--idle-exit", "1", "--scenario", "snow"},
                     ServerLaunch{{"systemd-socket-activate", "-l", primary, "-l", alternate}});
  ASSERT_TRUE(child->Started());
  auto until = Clock::now() + 20s;
  FetchResult r;
  for (;;) {  // until the launcher listens
    r = Fetch("http://" + primary + kPrimaryForecastPath);
    if (r.outcome == FetchOutcome::kDocument || Clock::now() >= until) break;
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_NE(r.body.find("INCLUDING MARROWBY METRO"), std::string::npos);
  for (const std::string& url : {"http://" + primary + kPrimaryConditionsPath,
                                 "http://" + alternate + kAlternateForecastPath,
                                 "http://" + alternate + kAlternateConditionsPath}) {
    r = Fetch(url);
    EXPECT_EQ(r.outcome, FetchOutcome::kDocument) << url << ": " << r.detail;
    EXPECT_NE(r.body.find("SNOW"), std::string::npos) << url;
  }
  // It stops by itself once nothing has come for its idle time.
  std::string out;
  child->ReadUntil(out, "stopped");
  EXPECT_EQ(child->Finish(), 0) << out;
  EXPECT_NE(out.find("marrowby-weather-server: stopped, idle"), std::string::npos) << out;
  EXPECT_NE(out.find("primary GET " + std::string(kPrimaryForecastPath) + " 200"),
            std::string::npos)
      << out;
}

#endif  // _WIN32

}  // namespace
