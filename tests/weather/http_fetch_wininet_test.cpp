// The WinINet fetch against real servers on the Linux side of the machine
// (fetch_test_server, started by the test command): what the request
// carries, what counts as a document, and which failures are open failures
// and which read failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>

#include "support/fetch_test_server.h"
#include "weather/http_fetch.h"

namespace {

using namespace fetch_test;

constexpr FetchLimits kPatient{5000, 5000, 20000};

class WinInetFetchTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* ports = std::getenv(kFetchTestPortsVariable);
    if (ports == nullptr ||
        std::sscanf(ports, "%u %u %u %u", &port_, &refused_, &echo_, &spare_) != 4) {
      GTEST_FAIL() << kFetchTestPortsVariable
                   << " does not name the fetch test server's ports; scripts/test.sh starts "
                      "that server (build-test/tests/support/mw_fetch_test_server) and sets it";
    }
  }
  static std::string Url(unsigned port, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(port) + path;
  }
  FetchResult Fetch(const std::string& path) { return FetchAt(Url(port_, path)); }
  FetchResult FetchAt(const std::string& url) {
    return FetchHttpDocument(url, kPatient, [this] { ++opens_; });
  }

  unsigned port_ = 0, refused_ = 0, echo_ = 0, spare_ = 0;
  int opens_ = 0;
};

TEST_F(WinInetFetchTest, RequestCarriesAgentAndNoCacheHeaders) {
  FetchResult r = FetchAt(Url(echo_, "/doc"));
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body.substr(0, r.body.find('\n')), "GET /doc");
  EXPECT_NE(r.body.find("\nUser-Agent: Tidewell\n"), std::string::npos) << r.body;
  EXPECT_NE(r.body.find("\nCache-Control: no-cache\n"), std::string::npos) << r.body;
  EXPECT_NE(r.body.find("\nPragma: no-cache\n"), std::string::npos) << r.body;
  // Asked again, the server is asked again: nothing came from a cache.
  FetchResult again = FetchAt(Url(echo_, "/doc"));
  EXPECT_EQ(again.outcome, FetchOutcome::kDocument);
  EXPECT_EQ(opens_, 2);
}

TEST_F(WinInetFetchTest, DocumentsArriveByteForByte) {
  FetchResult r = Fetch(kDocumentPath);
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, Document());
  FetchResult hop = Fetch(kHopPath);
  ASSERT_EQ(hop.outcome, FetchOutcome::kDocument) << hop.detail;
  EXPECT_EQ(hop.body, Document());
  FetchResult empty = Fetch(kEmptyPath);
  EXPECT_EQ(empty.outcome, FetchOutcome::kDocument) << empty.detail;
  EXPECT_EQ(empty.body, "");
  EXPECT_EQ(opens_, 3);
}

TEST_F(WinInetFetchTest, ErrorPageIsADocument) {
  FetchResult r = Fetch(kMissingPath);
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, kMissingPage);
}

TEST_F(WinInetFetchTest, LongDocumentIsCutAtTheLimit) {
  FetchResult r = Fetch(kLongPath);
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_EQ(r.body, Long().substr(0, kDocumentLimit));
}

TEST_F(WinInetFetchTest, FailuresBeforeTheHeadAreOpenFailures) {
  const std::pair<std::string, FetchFailure> cases[] = {
      {Url(refused_, "/doc"), FetchFailure::kRefused},
      {Url(port_, kToFilePath), FetchFailure::kRedirectRefused},
      {Url(port_, kEndlessHopsPath), FetchFailure::kRedirectRefused},
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
  for (const char* path : {kResetPath, kCutShortPath}) {
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
  FetchResult before = FetchHttpDocument(Url(port_, kSilentPath), kShort, [this] { ++opens_; });
  EXPECT_EQ(before.outcome, FetchOutcome::kOpenFailed) << before.detail;
  EXPECT_EQ(before.failure, FetchFailure::kStalled) << before.detail;
  EXPECT_GE(before.seconds, 1.9);  // no sooner than the limit, whatever the machine's speed
  EXPECT_EQ(opens_, 0);
  FetchResult during = FetchHttpDocument(Url(port_, kStallPath), kShort, [this] { ++opens_; });
  EXPECT_EQ(during.outcome, FetchOutcome::kReadFailed) << during.detail;
  EXPECT_EQ(during.failure, FetchFailure::kStalled) << during.detail;
  EXPECT_EQ(during.body, "");
  EXPECT_EQ(opens_, 1);
}

// A caller that stops asking to go on gets its answer within a few intervals,
// long before any limit or the server's silence would end the fetch; the
// head never came, so on_open never runs. (The worker's connection lingers
// up to the stall limit: the spare port keeps it from the other tests.)
TEST_F(WinInetFetchTest, KeepGoingSaysStopAndTheFetchIsAbandoned) {
  constexpr FetchLimits kLong{15000, 15000, 30000};
  int calls = 0;
  FetchResult r = FetchHttpDocument(
      Url(spare_, kSilentPath), kLong, [this] { ++opens_; }, [&calls] { return ++calls < 3; });
  EXPECT_EQ(r.outcome, FetchOutcome::kAbandoned) << r.detail;
  EXPECT_EQ(r.failure, FetchFailure::kNone);
  EXPECT_EQ(r.body, "");
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(opens_, 0);
  EXPECT_LT(r.seconds, 10.0);  // the stall limit alone would take 15 s
}

TEST_F(WinInetFetchTest, ExceptionFromTheOpenStepPassesOn) {
  EXPECT_THROW(FetchHttpDocument(Url(port_, kDocumentPath), kPatient,
                                 [] { throw std::runtime_error("closing"); }),
               std::runtime_error);
}

}  // namespace
