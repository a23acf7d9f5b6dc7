// The WinINet fetch against a real server, the loopback server on a thread of
// the test itself: what the request carries, what counts as a document, and
// which failures are open failures and which read failures.
#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>

#include "support/loopback_server.h"
#include "weather/http_fetch.h"

namespace {

constexpr FetchLimits kPatient{5000, 5000, 20000};

// A body that holds every kind of byte a bulletin may bring.
std::string Document() {
  return std::string("ROUNDUP\r\nA\r\n\r\nB\rC\nD\0E\tF", 24) + "\x80\xff\xe9 end\r\n";
}
const std::string kMissingPage = "No such bulletin here.\r\n";
// Longer than the document limit: letters, so a cut shows where it fell.
std::string Long(std::size_t n = 40000) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + i % 26);
  return s;
}
// Bodies announced with this length that break off after kBrokenAfter bytes.
constexpr std::size_t kBrokenLength = 5000;
constexpr std::size_t kBrokenAfter = 1000;
// Far longer than any limit below: only a limit can end a fetch of these.
constexpr auto kSilence = std::chrono::seconds(20);

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

// Silent before the head, or after kBrokenAfter bytes of the body.
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
  reply.stall = kSilence;
  return reply;
}

class WinInetFetchTest : public testing::Test {
 protected:
  void SetUp() override {
    server_.Serve("/doc", LoopbackReply::Page(200, Document()));
    server_.Serve("/gone", LoopbackReply::Page(404, kMissingPage, "text/html"));
    server_.Serve("/empty", LoopbackReply::Page(200, ""));
    server_.Serve("/long", LoopbackReply::Page(200, Long()));
    server_.Serve("/reset", Broken(true));
    server_.Serve("/cut-short", Broken(false));
    server_.Serve("/hop", LoopbackReply::Redirect(302, "/doc"));
    server_.Serve("/to-file", LoopbackReply::Redirect(302, "file:///c:/windows/win.ini"));
    server_.Serve("/loop", LoopbackReply::Redirect(302, "/loop"));
    server_.Serve("/silent", Silent(true));
    server_.Serve("/stall", Silent(false));
  }
  FetchResult Fetch(const std::string& path) { return FetchAt(server_.Url(path)); }
  FetchResult FetchAt(const std::string& url) {
    return FetchHttpDocument(url, kPatient, [this] { ++opens_; });
  }

  LoopbackServer server_;
  int opens_ = 0;
};

TEST_F(WinInetFetchTest, RequestCarriesAgentAndNoCacheHeaders) {
  FetchResult r = Fetch("/doc");
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  // Asked again, the server is asked again: nothing came from a cache.
  FetchResult again = Fetch("/doc");
  EXPECT_EQ(again.outcome, FetchOutcome::kDocument);
  EXPECT_EQ(opens_, 2);
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  for (const LoggedRequest& request : requests) {
    EXPECT_EQ(request.request.method, "GET");
    EXPECT_EQ(request.target(), "/doc");
    EXPECT_EQ(request.Header("User-Agent"), "Tidewell");
    EXPECT_EQ(request.Header("Cache-Control"), "no-cache");
    EXPECT_EQ(request.Header("Pragma"), "no-cache");
  }
}

TEST_F(WinInetFetchTest, DocumentsArriveByteForByte) {
  FetchResult r = Fetch("/doc");
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, Document());
  FetchResult hop = Fetch("/hop");
  ASSERT_EQ(hop.outcome, FetchOutcome::kDocument) << hop.detail;
  EXPECT_EQ(hop.body, Document());
  FetchResult empty = Fetch("/empty");
  EXPECT_EQ(empty.outcome, FetchOutcome::kDocument) << empty.detail;
  EXPECT_EQ(empty.body, "");
  EXPECT_EQ(opens_, 3);
}

TEST_F(WinInetFetchTest, ErrorPageIsADocument) {
  FetchResult r = Fetch("/gone");
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, kMissingPage);
}

TEST_F(WinInetFetchTest, LongDocumentIsCutAtTheLimit) {
  FetchResult r = Fetch("/long");
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, Long().substr(0, kDocumentLimit));
}

TEST_F(WinInetFetchTest, FailuresBeforeTheHeadAreOpenFailures) {
  RefusingPort refused;
  const std::pair<std::string, FetchFailure> cases[] = {
      {"http://" + refused.Authority() + "/doc", FetchFailure::kRefused},
      {server_.Url("/to-file"), FetchFailure::kRedirectRefused},
      {server_.Url("/loop"), FetchFailure::kRedirectRefused},
      {"file:///c:/windows/win.ini", FetchFailure::kOther},
      {"", FetchFailure::kNoAddress},
  };
  for (const auto& [url, failure] : cases) {
    FetchResult r = FetchAt(url);
    EXPECT_EQ(r.outcome, FetchOutcome::kOpenFailed) << url;
    EXPECT_EQ(r.failure, failure) << url << ": " << r.detail;
    EXPECT_EQ(r.body, "") << url;
    EXPECT_FALSE(r.detail.empty()) << url;
  }
  EXPECT_EQ(opens_, 0);
}

TEST_F(WinInetFetchTest, BodyBrokenOffIsAReadFailure) {
  for (const char* path : {"/reset", "/cut-short"}) {
    opens_ = 0;
    FetchResult r = Fetch(path);
    EXPECT_EQ(r.outcome, FetchOutcome::kReadFailed) << path << ": " << r.detail;
    EXPECT_EQ(r.failure, FetchFailure::kReset) << path << ": " << r.detail;
    EXPECT_EQ(r.body, "") << path;
    EXPECT_EQ(opens_, 1) << path;
  }
}

// WinINet's receive time-out stands for the stall limit: silence before the
// head fails the open, silence mid-body the read. The server stays silent for
// far longer than the limit, so only the limit can end these fetches.
TEST_F(WinInetFetchTest, SilenceEndsTheFetchAtTheStallLimit) {
  constexpr FetchLimits kShort{3000, 2000, 10000};
  FetchResult before = FetchHttpDocument(server_.Url("/silent"), kShort, [this] { ++opens_; });
  EXPECT_EQ(before.outcome, FetchOutcome::kOpenFailed) << before.detail;
  EXPECT_EQ(before.failure, FetchFailure::kStalled) << before.detail;
  EXPECT_GE(before.seconds, 1.9);  // no sooner than the limit, whatever the machine's speed
  EXPECT_EQ(opens_, 0);
  FetchResult during = FetchHttpDocument(server_.Url("/stall"), kShort, [this] { ++opens_; });
  EXPECT_EQ(during.outcome, FetchOutcome::kReadFailed) << during.detail;
  EXPECT_EQ(during.failure, FetchFailure::kStalled) << during.detail;
  EXPECT_EQ(during.body, "");
  EXPECT_EQ(opens_, 1);
}

// A caller that stops asking to go on gets its answer within a few intervals,
// long before any limit or the server's silence would end the fetch; the
// head never came, so on_open never runs. (The worker's connection lingers
// until the server stops at the end of the test.)
TEST_F(WinInetFetchTest, KeepGoingSaysStopAndTheFetchIsAbandoned) {
  constexpr FetchLimits kLong{15000, 15000, 30000};
  int calls = 0;
  FetchResult r = FetchHttpDocument(
      server_.Url("/silent"), kLong, [this] { ++opens_; }, [&calls] { return ++calls < 3; });
  EXPECT_EQ(r.outcome, FetchOutcome::kAbandoned) << r.detail;
  EXPECT_EQ(r.failure, FetchFailure::kNone);
  EXPECT_EQ(r.body, "");
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(opens_, 0);
  EXPECT_LT(r.seconds, 10.0);  // the stall limit alone would take 15 s
}

TEST_F(WinInetFetchTest, ExceptionFromTheOpenStepPassesOn) {
  EXPECT_THROW(
      FetchHttpDocument(server_.Url("/doc"), kPatient, [] { throw std::runtime_error("closing"); }),
      std::runtime_error);
}

}  // namespace
