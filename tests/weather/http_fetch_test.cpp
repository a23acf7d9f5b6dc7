// The fetch against a real loopback server: what the request carries, what
// counts as a document, and how failures before and after the response head
// are told apart.
#include "weather/http_fetch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "support/loopback_server.h"
#include "weather/curl_library.h"
#include "weather/sources.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Limits for answers that are meant to arrive: generous, so a busy machine
// does not turn them into failures.
constexpr FetchLimits kPatient{5000, 5000, 20000};
// Limits for the fault cases: short, so the suite stays quick, but with time
// enough for a loaded machine to get the head across: a stall or time-out
// that struck before the head would turn a read failure into an open failure.
constexpr FetchLimits kShort{3000, 2000, 5000};

// The test main forgets the environment's proxy settings; the proxy tests
// below set their own.
class HttpFetchTest : public testing::Test {
 protected:
  FetchResult Fetch(const std::string& url, const FetchLimits& limits = kPatient) {
    return FetchHttpDocument(url, limits, [this] { ++opens_; });
  }

  LoopbackServer server_;
  int opens_ = 0;
};

std::string Bytes(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + i % 26);
  return s;
}

// ---- the request ----

TEST_F(HttpFetchTest, RequestCarriesAgentAndNoCacheHeaders) {
  server_.Serve("/doc", LoopbackReply::Page(200, "line\r\n"));
  FetchResult r = Fetch(server_.Url("/doc"));
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].request.method, "GET");
  EXPECT_EQ(requests[0].target(), "/doc");
  EXPECT_EQ(requests[0].Header("User-Agent"), "Tidewell");
  EXPECT_EQ(requests[0].Header("Cache-Control"), "no-cache");
  EXPECT_EQ(requests[0].Header("Pragma"), "no-cache");
  // The body comes as it is sent: no compression is asked for.
  EXPECT_FALSE(requests[0].HasHeader("Accept-Encoding"));
}

// ---- what a document is ----

TEST_F(HttpFetchTest, BodyArrivesByteForByte) {
  std::string body = std::string("A\r\nB\rC\nD\0E\tF", 13) + "\x80\xff\xe9 end";
  server_.Serve("/doc", LoopbackReply::Page(200, body));
  FetchResult r = Fetch(server_.Url("/doc"));
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, body);
  EXPECT_EQ(opens_, 1);
}

TEST_F(HttpFetchTest, EmptyBodyIsADocument) {
  server_.Serve("/sized", LoopbackReply::Page(200, ""));
  server_.Serve("/unsized", LoopbackReply::Raw("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"));
  for (const char* path : {"/sized", "/unsized"}) {
    opens_ = 0;
    FetchResult r = Fetch(server_.Url(path));
    EXPECT_EQ(r.outcome, FetchOutcome::kDocument) << path << ": " << r.detail;
    EXPECT_EQ(r.body, "") << path;
    EXPECT_EQ(opens_, 1) << path;
  }
}

TEST_F(HttpFetchTest, ErrorPagesAreDocuments) {
  server_.Serve("/missing",
                LoopbackReply::Page(404, "<html><h1>Not Found</h1></html>\n", "text/html"));
  server_.Serve("/broken", LoopbackReply::Page(500, "server trouble\n"));
  FetchResult missing = Fetch(server_.Url("/missing"));
  ASSERT_EQ(missing.outcome, FetchOutcome::kDocument) << missing.detail;
  EXPECT_EQ(missing.body, "<html><h1>Not Found</h1></html>\n");
  FetchResult broken = Fetch(server_.Url("/broken"));
  ASSERT_EQ(broken.outcome, FetchOutcome::kDocument) << broken.detail;
  EXPECT_EQ(broken.body, "server trouble\n");
}

TEST_F(HttpFetchTest, CloseDelimitedAndChunkedBodies) {
  server_.Serve("/close", LoopbackReply::Raw("HTTP/1.0 200 OK\r\n\r\nuntil the end\n"));
  server_.Serve("/chunked", LoopbackReply::Raw("HTTP/1.1 404 Not Found\r\n"
                                               "Transfer-Encoding: chunked\r\n\r\n"
                                               "6\r\nnot he\r\n"
                                               "5\r\nre\r\n\n\r\n0\r\n\r\n"));
  FetchResult close = Fetch(server_.Url("/close"));
  ASSERT_EQ(close.outcome, FetchOutcome::kDocument) << close.detail;
  EXPECT_EQ(close.body, "until the end\n");
  FetchResult chunked = Fetch(server_.Url("/chunked"));
  ASSERT_EQ(chunked.outcome, FetchOutcome::kDocument) << chunked.detail;
  EXPECT_EQ(chunked.body, "not here\r\n\n");
}

TEST_F(HttpFetchTest, InterimAnswerIsNotTheDocumentsHead) {
  server_.Serve("/doc", LoopbackReply::Raw("HTTP/1.1 100 Continue\r\n\r\n"
                                           "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"));
  FetchResult r = Fetch(server_.Url("/doc"));
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, "hello");
  EXPECT_EQ(opens_, 1);
}

// ---- the 32,767-byte limit ----

TEST_F(HttpFetchTest, LongBodyIsCutAtTheLimit) {
  const std::string body = Bytes(40000);
  server_.Serve("/long", LoopbackReply::Page(200, body));
  FetchResult r = Fetch(server_.Url("/long"));
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  ASSERT_EQ(r.body.size(), kDocumentLimit);
  EXPECT_EQ(r.body, body.substr(0, kDocumentLimit));
  EXPECT_EQ(opens_, 1);
}

TEST_F(HttpFetchTest, BodiesAroundTheLimit) {
  for (std::size_t size : {kDocumentLimit - 1, kDocumentLimit, kDocumentLimit + 1}) {
    const std::string body = Bytes(size);
    server_.Serve("/doc", LoopbackReply::Page(200, body));
    FetchResult r = Fetch(server_.Url("/doc"));
    ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << size << ": " << r.detail;
    EXPECT_EQ(r.body, body.substr(0, kDocumentLimit)) << size;
  }
}

TEST_F(HttpFetchTest, TransferStopsOnceTheLimitIsIn) {
  // The server would stay silent after the limit for far longer than the
  // stall limit: the fetch must not wait for it, nor call it a failure.
  LoopbackReply reply = LoopbackReply::Page(200, Bytes(40000));
  reply.stall_after_body_bytes = kDocumentLimit;
  reply.stall = 20s;
  server_.Serve("/long", reply);
  auto start = Clock::now();
  FetchResult r = Fetch(server_.Url("/long"), FetchLimits{5000, 10000, 30000});
  EXPECT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body.size(), kDocumentLimit);
  EXPECT_LT(Clock::now() - start, 9s);
}

// ---- the document cannot be opened ----

TEST_F(HttpFetchTest, RefusedConnectionIsAnOpenFailure) {
  RefusingPort refusing;
  FetchResult r = Fetch("http://" + refusing.Authority() + "/doc", kShort);
  EXPECT_EQ(r.outcome, FetchOutcome::kOpenFailed);
  EXPECT_EQ(r.body, "");
  EXPECT_EQ(opens_, 0);
}

TEST_F(HttpFetchTest, UnknownHostIsAnOpenFailure) {
  // A name with a label longer than 63 characters can exist nowhere: the
  // resolver refuses it on this machine, without asking a name server.
  const std::string host = std::string(64, 'x') + ".invalid";
  FetchResult r = Fetch("http://" + host + "/doc", kShort);
  EXPECT_EQ(r.outcome, FetchOutcome::kOpenFailed);
  EXPECT_EQ(opens_, 0);
}

TEST_F(HttpFetchTest, CloseOrResetBeforeTheHeadIsAnOpenFailure) {
  LoopbackReply closed;
  closed.close_before_head = true;
  LoopbackReply reset = closed;
  reset.reset = true;
  LoopbackReply half_head = LoopbackReply::Raw("HTTP/1.1 200 OK\r\nContent-Le");
  half_head.reset = true;
  server_.Serve("/closed", closed);
  server_.Serve("/reset", reset);
  server_.Serve("/half-head", half_head);
  for (const char* path : {"/closed", "/reset", "/half-head"}) {
    FetchResult r = Fetch(server_.Url(path), kShort);
    EXPECT_EQ(r.outcome, FetchOutcome::kOpenFailed) << path << ": " << r.detail;
    EXPECT_EQ(r.body, "") << path;
  }
  EXPECT_EQ(opens_, 0);
}

TEST_F(HttpFetchTest, SilenceBeforeTheHeadIsAnOpenFailure) {
  LoopbackReply silent = LoopbackReply::Raw("");
  silent.stall_after_body_bytes = 0;
  silent.stall = 20s;
  server_.Serve("/silent", silent);
  auto start = Clock::now();
  FetchResult r = Fetch(server_.Url("/silent"), FetchLimits{3000, 2000, 30000});
  EXPECT_EQ(r.outcome, FetchOutcome::kOpenFailed) << r.detail;
  EXPECT_EQ(opens_, 0);
  EXPECT_LT(Clock::now() - start, 15s);
}

TEST_F(HttpFetchTest, AddressesThatAreNotHttpAreNotOpened) {
  for (const std::string url : {"", "file:///etc/passwd", "ftp://127.0.0.1/doc", "not a url"}) {
    FetchResult r = Fetch(url, kShort);
    EXPECT_EQ(r.outcome, FetchOutcome::kOpenFailed) << url;
    EXPECT_EQ(r.body, "") << url;
  }
  EXPECT_EQ(opens_, 0);
}

// ---- the read fails ----

TEST_F(HttpFetchTest, CloseOrResetMidBodyIsAReadFailure) {
  LoopbackReply closed = LoopbackReply::Page(200, Bytes(5000));
  closed.close_after_body_bytes = 1000;
  LoopbackReply reset = closed;
  reset.reset = true;
  server_.Serve("/closed", closed);
  server_.Serve("/reset", reset);
  for (const char* path : {"/closed", "/reset"}) {
    opens_ = 0;
    FetchResult r = Fetch(server_.Url(path), kShort);
    EXPECT_EQ(r.outcome, FetchOutcome::kReadFailed) << path << ": " << r.detail;
    EXPECT_EQ(r.body, "") << path;
    EXPECT_EQ(opens_, 1) << path;
  }
}

TEST_F(HttpFetchTest, ResetRightAfterTheHeadIsAReadFailure) {
  LoopbackReply reply = LoopbackReply::Page(200, Bytes(100));
  reply.close_after_body_bytes = 0;
  reply.reset = true;
  server_.Serve("/doc", reply);
  FetchResult r = Fetch(server_.Url("/doc"), kShort);
  EXPECT_EQ(r.outcome, FetchOutcome::kReadFailed) << r.detail;
  EXPECT_EQ(opens_, 1);
}

TEST_F(HttpFetchTest, StallMidBodyIsAReadFailure) {
  LoopbackReply reply = LoopbackReply::Page(200, Bytes(5000));
  reply.stall_after_body_bytes = 1000;
  reply.stall = 20s;
  server_.Serve("/doc", reply);
  auto start = Clock::now();
  // The total limit is out of the way: only the stall limit can end this.
  FetchResult r = Fetch(server_.Url("/doc"), FetchLimits{3000, 2000, 30000});
  EXPECT_EQ(r.outcome, FetchOutcome::kReadFailed) << r.detail;
  EXPECT_EQ(r.body, "");
  EXPECT_EQ(opens_, 1);
  EXPECT_LT(Clock::now() - start, 15s);
}

TEST_F(HttpFetchTest, ShortPauseBelowTheStallLimitIsNoFailure) {
  const std::string body = Bytes(5000);
  LoopbackReply reply = LoopbackReply::Page(200, body);
  reply.stall_after_body_bytes = 1000;
  reply.stall = 100ms;
  server_.Serve("/doc", reply);
  FetchResult r = Fetch(server_.Url("/doc"), FetchLimits{5000, 3000, 20000});
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, body);
}

TEST_F(HttpFetchTest, TotalLimitAfterTheHeadIsAReadFailure) {
  LoopbackReply reply = LoopbackReply::Page(200, Bytes(5000));
  reply.stall_after_body_bytes = 1000;
  reply.stall = 20s;
  server_.Serve("/doc", reply);
  FetchResult r = Fetch(server_.Url("/doc"), FetchLimits{3000, 30000, 3000});
  EXPECT_EQ(r.outcome, FetchOutcome::kReadFailed) << r.detail;
  EXPECT_EQ(opens_, 1);
}

// A head that trickles in, a byte at a time, is no stall: every byte counts,
// not only whole head lines.
TEST_F(HttpFetchTest, HeadSentAByteAtATimeIsNoStall) {
  LoopbackReply reply = LoopbackReply::Raw("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n");
  reply.body = "slow\n";
  reply.byte_gap = 60ms;
  server_.Serve("/doc", reply);
  // The status line alone takes longer than the stall limit to come in.
  ASSERT_GT(reply.head.find("\r\n") * 60ms, 600ms);
  FetchResult r = Fetch(server_.Url("/doc"), FetchLimits{5000, 600, 30000});
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, "slow\n");
}

// ---- the caller abandons the fetch ----

// keep_going is asked again and again while the server keeps silent; its
// "no" ends the fetch at once in every phase, with nothing arrived.
TEST_F(HttpFetchTest, KeepGoingFalseAbandonsInEveryPhase) {
  const auto silent_after = [](std::string head, std::size_t body_bytes) {
    LoopbackReply reply = LoopbackReply::Raw(std::move(head));
    reply.body = Bytes(5000);
    reply.stall_after_body_bytes = body_bytes;
    reply.stall = 20s;
    return reply;
  };
  server_.Serve("/before-head", silent_after("", 0));
  server_.Serve("/in-head", silent_after("HTTP/1.1 200 OK\r\nContent-Le", 0));
  server_.Serve("/in-body", silent_after("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n", 1000));
  for (const std::string path : {"/before-head", "/in-head", "/in-body"}) {
    opens_ = 0;
    int calls = 0;
    const auto start = Clock::now();
    FetchResult r = FetchHttpDocument(
        server_.Url(path), FetchLimits{20000, 20000, 30000}, [this] { ++opens_; },
        [&] { return ++calls < 5 || Clock::now() - start < 1s; });
    EXPECT_EQ(r.outcome, FetchOutcome::kAbandoned) << path << ": " << r.detail;
    EXPECT_LT(Clock::now() - start, 5s) << path;
    EXPECT_EQ(opens_, path == "/in-body" ? 1 : 0) << path;
  }
}

// ---- redirects ----

TEST_F(HttpFetchTest, RedirectToHttpIsFollowed) {
  server_.Serve("/old", LoopbackReply::Redirect(302, server_.Url("/new")));
  server_.Serve("/new", LoopbackReply::Page(200, "moved here\n"));
  FetchResult r = Fetch(server_.Url("/old"));
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, "moved here\n");
  EXPECT_EQ(opens_, 1);
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].target(), "/new");
  EXPECT_EQ(requests[1].Header("User-Agent"), "Tidewell");
  EXPECT_EQ(requests[1].Header("Cache-Control"), "no-cache");
}

TEST_F(HttpFetchTest, RedirectToFileIsNotFollowed) {
  server_.Serve("/doc", LoopbackReply::Redirect(302, "file:///etc/passwd"));
  FetchResult r = Fetch(server_.Url("/doc"), kShort);
  EXPECT_EQ(r.outcome, FetchOutcome::kOpenFailed);
  EXPECT_EQ(r.body, "");
  EXPECT_EQ(r.body.find("root:"), std::string::npos);
  EXPECT_EQ(opens_, 0);
}

TEST_F(HttpFetchTest, RedirectsThatLeadNowhereAreOpenFailures) {
  RefusingPort refusing;
  server_.Serve("/loop", LoopbackReply::Redirect(301, "/loop"));
  server_.Serve("/away", LoopbackReply::Redirect(307, "http://" + refusing.Authority() + "/doc"));
  server_.Serve("/ftp", LoopbackReply::Redirect(302, "ftp://127.0.0.1/doc"));
  for (const char* path : {"/loop", "/away", "/ftp"}) {
    FetchResult r = Fetch(server_.Url(path), kShort);
    EXPECT_EQ(r.outcome, FetchOutcome::kOpenFailed) << path;
  }
  EXPECT_EQ(opens_, 0);
}

// ---- the proxy from the environment ----

TEST_F(HttpFetchTest, ProxyFromTheEnvironmentIsUsed) {
  // The loopback server plays the proxy: it sees the whole address.
  server_.Serve("http://weather.invalid/doc", LoopbackReply::Page(200, "via proxy\n"));
  setenv("http_proxy", server_.Url("").c_str(), 1);
  FetchResult r = Fetch("http://weather.invalid/doc");
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, "via proxy\n");
  auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target(), "http://weather.invalid/doc");
  EXPECT_EQ(requests[0].Header("User-Agent"), "Tidewell");
}

TEST_F(HttpFetchTest, NoProxyListIsHonoured) {
  RefusingPort dead_proxy;
  setenv("http_proxy", ("http://" + dead_proxy.Authority()).c_str(), 1);
  setenv("no_proxy", "127.0.0.1", 1);
  server_.Serve("/doc", LoopbackReply::Page(200, "direct\n"));
  FetchResult r = Fetch(server_.Url("/doc"));
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, "direct\n");
}

// ---- the caller's hook ----

TEST_F(HttpFetchTest, ExceptionFromOnOpenReachesTheCaller) {
  server_.Serve("/doc", LoopbackReply::Page(200, Bytes(1000)));
  EXPECT_THROW(FetchHttpDocument(server_.Url("/doc"), kPatient,
                                 [] { throw std::runtime_error("window gone"); }),
               std::runtime_error);
  // Nothing is left in a state that spoils the next fetch.
  FetchResult r = Fetch(server_.Url("/doc"));
  EXPECT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
}

TEST_F(HttpFetchTest, EmptyOnOpenIsAllowed) {
  server_.Serve("/doc", LoopbackReply::Page(200, "x\n"));
  FetchResult r = FetchHttpDocument(server_.Url("/doc"), kPatient, nullptr);
  EXPECT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, "x\n");
}

// ---- why it failed ----

TEST_F(HttpFetchTest, FailuresSayWhyAndHowLongTheyTook) {
  RefusingPort refusing;
  LoopbackReply reset = LoopbackReply::Page(200, Bytes(5000));
  reset.close_after_body_bytes = 1000;
  reset.reset = true;
  LoopbackReply stall = LoopbackReply::Page(200, Bytes(5000));
  stall.stall_after_body_bytes = 1000;
  stall.stall = 20s;
  server_.Serve("/reset", reset);
  server_.Serve("/stall", stall);
  server_.Serve("/file", LoopbackReply::Redirect(302, "file:///etc/passwd"));
  struct Case {
    std::string url;
    FetchLimits limits;
    FetchFailure failure;
  } cases[] = {
      {"", kShort, FetchFailure::kNoAddress},
      {"http://" + refusing.Authority() + "/doc", kShort, FetchFailure::kRefused},
      {"http://" + std::string(64, 'x') + ".invalid/doc", kShort, FetchFailure::kNameNotFound},
      {server_.Url("/reset"), kShort, FetchFailure::kReset},
      {server_.Url("/stall"), FetchLimits{3000, 300, 30000}, FetchFailure::kStalled},
      {server_.Url("/stall"), FetchLimits{3000, 20000, 1500}, FetchFailure::kTotalLimit},
      {server_.Url("/file"), kShort, FetchFailure::kRedirectRefused},
      {"ftp://127.0.0.1/doc", kShort, FetchFailure::kOther},
  };
  for (const Case& c : cases) {
    auto start = Clock::now();
    FetchResult r = Fetch(c.url, c.limits);
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(static_cast<int>(r.failure), static_cast<int>(c.failure))
        << c.url << ": " << r.detail;
    EXPECT_GE(r.seconds, 0.0) << c.url;
    EXPECT_LE(r.seconds, took) << c.url;
  }
  FetchResult ok = Fetch(server_.Url("/missing"));
  EXPECT_EQ(ok.failure, FetchFailure::kNone);
}

// ---- libcurl, loaded by the first fetch ----

TEST_F(HttpFetchTest, TheSystemLibcurlLoadsWithEveryFunction) {
  const CurlLoad& curl = SystemCurl();
  ASSERT_TRUE(curl.library) << curl.error;
  EXPECT_EQ(&SystemCurl(), &curl);
  // A second load is the same library, already set up.
  const CurlLoad again = LoadCurlLibrary(kCurlSoname);
  ASSERT_TRUE(again.library) << again.error;
  EXPECT_EQ(again.library->easy_init, curl.library->easy_init);
  server_.Serve("/doc", LoopbackReply::Page(200, "line\n"));
  FetchResult r = FetchHttpDocument(again, server_.Url("/doc"), kPatient, nullptr);
  EXPECT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, "line\n");
}

TEST_F(HttpFetchTest, WithoutLibcurlAFetchFailsToInitialise) {
  server_.Serve("/doc", LoopbackReply::Page(200, "line\n"));
  // No such file, and a library that is not libcurl (the C library).
  const CurlLoad absent = LoadCurlLibrary("libmw-no-such-curl.so.4");
  const CurlLoad foreign = LoadCurlLibrary("libc.so.6");
  EXPECT_FALSE(absent.library);
  EXPECT_NE(absent.error.find("libmw-no-such-curl.so.4 could not be loaded"), std::string::npos)
      << absent.error;
  EXPECT_FALSE(foreign.library);
  EXPECT_EQ(foreign.error, "libc.so.6 is not a usable libcurl: curl_global_init is missing");
  for (const CurlLoad* load : {&absent, &foreign}) {
    FetchResult r = FetchHttpDocument(*load, server_.Url("/doc"), kPatient, [this] { ++opens_; });
    EXPECT_EQ(r.outcome, FetchOutcome::kInitFailed);
    EXPECT_EQ(r.detail, load->error);
    EXPECT_EQ(r.failure, FetchFailure::kOther);
    EXPECT_TRUE(r.body.empty());
  }
  EXPECT_EQ(opens_, 0);
  EXPECT_TRUE(server_.Requests().empty());
}

// ---- the two sources, through their addresses ----

TEST_F(HttpFetchTest, DocumentAddressesReachTheChosenSourceAndPath) {
  LoopbackServer alternate;
  server_.Serve(kPrimaryConditionsPath, LoopbackReply::Page(200, "primary roundup\n"));
  server_.Serve(kPrimaryForecastPath, LoopbackReply::Page(200, "primary forecast\n"));
  alternate.Serve(kAlternateConditionsPath, LoopbackReply::Page(200, "alternate hourly\n"));
  alternate.Serve(kAlternateForecastPath, LoopbackReply::Page(200, "alternate zone\n"));
  setenv(kPrimaryServerVariable, server_.Authority().c_str(), 1);
  setenv(kAlternateServerVariable, alternate.Authority().c_str(), 1);

  struct Case {
    WeatherDocument document;
    WeatherSource source;
    const char* body;
  } cases[] = {{WeatherDocument::kConditions, WeatherSource::kPrimary, "primary roundup\n"},
               {WeatherDocument::kForecast, WeatherSource::kPrimary, "primary forecast\n"},
               {WeatherDocument::kConditions, WeatherSource::kAlternate, "alternate hourly\n"},
               {WeatherDocument::kForecast, WeatherSource::kAlternate, "alternate zone\n"}};
  for (const Case& c : cases) {
    FetchResult r = Fetch(DocumentAddress(c.document, c.source));
    ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
    EXPECT_EQ(r.body, c.body);
  }
  auto primary_log = server_.Requests();
  auto alternate_log = alternate.Requests();
  ASSERT_EQ(primary_log.size(), 2u);
  ASSERT_EQ(alternate_log.size(), 2u);
  EXPECT_EQ(primary_log[0].target(), kPrimaryConditionsPath);
  EXPECT_EQ(primary_log[1].target(), kPrimaryForecastPath);
  EXPECT_EQ(alternate_log[0].target(), kAlternateConditionsPath);
  EXPECT_EQ(alternate_log[1].target(), kAlternateForecastPath);

  // The servers are read at every call: a changed variable applies at once.
  setenv(kPrimaryServerVariable, alternate.Authority().c_str(), 1);
  FetchResult moved = Fetch(DocumentAddress(WeatherDocument::kForecast, WeatherSource::kPrimary));
  EXPECT_EQ(moved.outcome, FetchOutcome::kDocument);
  EXPECT_EQ(alternate.Requests().back().target(), kPrimaryForecastPath);
}

TEST_F(HttpFetchTest, UnusableServerSettingIsAnOpenFailure) {
  setenv(kPrimaryServerVariable, ("file://" + server_.Authority()).c_str(), 1);
  FetchResult r =
      Fetch(DocumentAddress(WeatherDocument::kConditions, WeatherSource::kPrimary), kShort);
  EXPECT_EQ(r.outcome, FetchOutcome::kOpenFailed);
  EXPECT_TRUE(server_.Requests().empty());
}

}  // namespace
