#include "weather/http_fetch.h"

#include <curl/curl.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
#include <string_view>

#include "text/ascii_case.h"
#include "weather/curl_library.h"

namespace {

using Clock = std::chrono::steady_clock;

// libcurl's global set-up, once per process (there is one libcurl: every
// successful load of its SONAME is the same library).
bool GlobalInit(const CurlLibrary& curl) {
  static std::once_flag once;
  static CURLcode result = CURLE_FAILED_INIT;
  std::call_once(once, [&curl] { result = curl.global_init(CURL_GLOBAL_DEFAULT); });
  return result == CURLE_OK;
}

// What one transfer has seen so far; shared with libcurl's callbacks.
struct Transfer {
  const std::function<void()>* on_open = nullptr;
  std::string body;
  // The response whose head is coming in.
  long status = 0;
  bool has_location = false;
  // The final response's head is in and on_open has run.
  bool opened = false;
  // All kDocumentLimit bytes are in; the transfer was stopped on purpose.
  bool cut = false;
  // A connection is up and the stall clock runs.
  bool connected = false;
  bool ever_connected = false;
  Clock::time_point last_byte;
  std::exception_ptr error;
  // The transfer's sockets and the bytes each had received when last looked
  // at. libcurl hands head lines over only once they are whole, so a head
  // that trickles in is seen here, on the sockets, byte by byte.
  std::map<int, unsigned long long> sockets;

  // Restarts the stall clock when any socket has received more bytes.
  void WatchSockets() {
    for (auto& [fd, seen] : sockets) {
      tcp_info info = {};
      socklen_t size = sizeof info;
      if (getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &size) != 0 ||
          size < offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received) {
        continue;  // not a TCP socket (any more), or a kernel that does not tell
      }
      if (info.tcpi_bytes_received > seen) {
        seen = info.tcpi_bytes_received;
        last_byte = Clock::now();
      }
    }
  }

  // Runs on_open once. False when it raised; the transfer must then stop.
  bool Open() {
    if (opened) return true;
    opened = true;
    if (!on_open || !*on_open) return true;
    try {
      (*on_open)();
    } catch (...) {
      error = std::current_exception();
      return false;
    }
    return true;
  }
};

int OnSocket(void* clientp, curl_socket_t fd, curlsocktype) {
  static_cast<Transfer*>(clientp)->sockets[fd] = 0;
  return CURL_SOCKOPT_OK;
}

int OnConnected(void* clientp, char*, char*, int, int) {
  auto* t = static_cast<Transfer*>(clientp);
  t->connected = t->ever_connected = true;
  t->last_byte = Clock::now();
  return CURL_PREREQFUNC_OK;
}

// Sees every head line of every response, redirects and interim answers
// included. A head that ends is the final one unless it is an interim (1xx)
// answer or a redirect that libcurl is about to follow.
size_t OnHeader(char* data, size_t size, size_t count, void* userp) {
  auto* t = static_cast<Transfer*>(userp);
  const size_t n = size * count;
  std::string_view line(data, n);
  t->last_byte = Clock::now();
  if (line.substr(0, 5) == "HTTP/") {
    std::size_t space = line.find(' ');
    t->status = 0;
    for (std::size_t i = space + 1; space != std::string_view::npos && i < line.size() &&
                                    line[i] >= '0' && line[i] <= '9' && i < space + 4;
         ++i) {
      t->status = t->status * 10 + (line[i] - '0');
    }
    t->has_location = false;
  } else if (StartsWithCaseless(line, "location:")) {
    std::string_view value = line.substr(9);
    t->has_location = value.find_first_not_of(" \t\r\n") != std::string_view::npos;
  } else if (line == "\r\n" || line == "\n") {
    bool interim = t->status >= 100 && t->status < 200;
    bool redirect = t->status >= 300 && t->status < 400 && t->has_location;
    if (redirect) {
      // The next hop connects anew; until then the connect limit governs.
      t->connected = false;
    } else if (!interim && !t->Open()) {
      return 0;
    }
  }
  return n;
}

size_t OnBody(char* data, size_t size, size_t count, void* userp) {
  auto* t = static_cast<Transfer*>(userp);
  const size_t n = size * count;
  t->last_byte = Clock::now();
  if (!t->Open()) return 0;
  size_t take = std::min(n, kDocumentLimit - t->body.size());
  t->body.append(data, take);
  if (t->body.size() == kDocumentLimit) {
    // The document is complete; anything more is not wanted. Returning short
    // ends the transfer, which counts as success below. (n is not 0 here: an
    // empty call adds nothing and never completes the document.)
    t->cut = true;
    return 0;
  }
  return n;
}

class CurlHandles {
 public:
  explicit CurlHandles(const CurlLibrary& curl)
      : curl_(curl), easy_(curl.easy_init()), multi_(curl.multi_init()), headers_(nullptr) {}
  ~CurlHandles() {
    if (multi_ && easy_ && added_) curl_.multi_remove_handle(multi_, easy_);
    if (easy_) curl_.easy_cleanup(easy_);
    if (multi_) curl_.multi_cleanup(multi_);
    curl_.slist_free_all(headers_);
  }
  CurlHandles(const CurlHandles&) = delete;
  CurlHandles& operator=(const CurlHandles&) = delete;

  CURL* easy() const { return easy_; }
  CURLM* multi() const { return multi_; }
  bool AddHeader(const char* line) {
    curl_slist* grown = curl_.slist_append(headers_, line);
    if (!grown) return false;
    headers_ = grown;
    return true;
  }
  curl_slist* headers() const { return headers_; }
  bool Add() { return added_ = curl_.multi_add_handle(multi_, easy_) == CURLM_OK; }

 private:
  const CurlLibrary& curl_;
  CURL* easy_;
  CURLM* multi_;
  curl_slist* headers_;
  bool added_ = false;
};

// Sorts libcurl's end of a transfer into the reasons a user is told.
FetchFailure FailureOf(const CurlLibrary& curl, CURLcode code, CURL* easy, bool ever_connected) {
  long os_error = 0, redirects = 0;
  curl.easy_getinfo(easy, CURLINFO_OS_ERRNO, &os_error);
  curl.easy_getinfo(easy, CURLINFO_REDIRECT_COUNT, &redirects);
  switch (code) {
    case CURLE_COULDNT_CONNECT:
      return os_error == ECONNREFUSED ? FetchFailure::kRefused : FetchFailure::kOther;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return FetchFailure::kNameNotFound;
    case CURLE_OPERATION_TIMEDOUT:
      return ever_connected ? FetchFailure::kTotalLimit : FetchFailure::kConnectTimeout;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
      return FetchFailure::kReset;
    case CURLE_TOO_MANY_REDIRECTS:
      return FetchFailure::kRedirectRefused;
    case CURLE_UNSUPPORTED_PROTOCOL:  // of the address itself, or of a redirect
      return redirects > 0 ? FetchFailure::kRedirectRefused : FetchFailure::kOther;
    default:
      return FetchFailure::kOther;
  }
}

}  // namespace

// The fetch itself; FetchHttpDocument adds the time it took.
static FetchResult FetchUntimed(const CurlLoad& load, const std::string& url,
                                const FetchLimits& limits, const std::function<void()>& on_open,
                                const std::function<bool()>& keep_going) {
  if (!load.library) return FailedFetch(FetchOutcome::kInitFailed, load.error);
  const CurlLibrary& api = *load.library;
  if (!GlobalInit(api)) {
    return FailedFetch(FetchOutcome::kInitFailed, "libcurl global set-up failed");
  }
  CurlHandles curl(api);
  if (!curl.easy() || !curl.multi() || !curl.AddHeader("Cache-Control: no-cache") ||
      !curl.AddHeader("Pragma: no-cache")) {
    return FailedFetch(FetchOutcome::kInitFailed, "libcurl handle could not be made");
  }
  if (url.empty())
    return FailedFetch(FetchOutcome::kOpenFailed, "no address", FetchFailure::kNoAddress);

  const long connect_ms = std::max(1L, limits.connect_ms);
  const long stall_ms = std::max(1L, limits.stall_ms);
  const long total_ms = std::max(1L, limits.total_ms);

  Transfer t;
  t.on_open = &on_open;
  char error_text[CURL_ERROR_SIZE] = {};
  CURL* easy = curl.easy();
  bool set = true;
  auto opt = [&](CURLoption option, auto value) {
    set = set && api.easy_setopt(easy, option, value) == CURLE_OK;
  };
  opt(CURLOPT_URL, url.c_str());
  opt(CURLOPT_ERRORBUFFER, error_text);
  opt(CURLOPT_NOSIGNAL, 1L);
  opt(CURLOPT_PROTOCOLS_STR, "http,https");
  opt(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  opt(CURLOPT_FOLLOWLOCATION, 1L);
  opt(CURLOPT_MAXREDIRS, kMaxRedirects);
  opt(CURLOPT_USERAGENT, kUserAgent);
  opt(CURLOPT_HTTPHEADER, curl.headers());
  // A proxy tunnel's own answer is not the document's head.
  opt(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  opt(CURLOPT_CONNECTTIMEOUT_MS, connect_ms);
  opt(CURLOPT_TIMEOUT_MS, total_ms);
  opt(CURLOPT_SOCKOPTFUNCTION, &OnSocket);
  opt(CURLOPT_SOCKOPTDATA, static_cast<void*>(&t));
  opt(CURLOPT_PREREQFUNCTION, &OnConnected);
  opt(CURLOPT_PREREQDATA, static_cast<void*>(&t));
  opt(CURLOPT_HEADERFUNCTION, &OnHeader);
  opt(CURLOPT_HEADERDATA, static_cast<void*>(&t));
  opt(CURLOPT_WRITEFUNCTION, &OnBody);
  opt(CURLOPT_WRITEDATA, static_cast<void*>(&t));
  if (!set || !curl.Add()) {
    return FailedFetch(FetchOutcome::kInitFailed, "libcurl refused the transfer's settings");
  }

  // The stall limit is watched here rather than with libcurl's low-speed
  // check, which counts whole seconds.
  const auto stall = std::chrono::milliseconds(stall_ms);
  int poll_ms = static_cast<int>(std::clamp(stall_ms / 10, 5L, 100L));
  if (keep_going) poll_ms = std::min(poll_ms, static_cast<int>(kKeepGoingIntervalMs));
  CURLcode code = CURLE_OK;
  bool stalled = false;
  bool abandoned = false;
  std::string multi_failure;
  for (;;) {
    int running = 0;
    CURLMcode mc = api.multi_perform(curl.multi(), &running);
    if (mc != CURLM_OK) {
      multi_failure = api.multi_strerror(mc);
      break;
    }
    if (running == 0) {
      int left = 0;
      while (CURLMsg* msg = api.multi_info_read(curl.multi(), &left)) {
        if (msg->msg == CURLMSG_DONE) code = msg->data.result;
      }
      break;
    }
    t.WatchSockets();
    if (t.connected && Clock::now() - t.last_byte >= stall) {
      stalled = true;
      break;
    }
    if (keep_going && !keep_going()) {
      abandoned = true;
      break;
    }
    mc = api.multi_poll(curl.multi(), nullptr, 0, poll_ms, nullptr);
    if (mc != CURLM_OK) {
      multi_failure = api.multi_strerror(mc);
      break;
    }
  }

  if (abandoned) {
    // Leave a name lookup still under way to its thread instead of waiting
    // for it while the handles are released.
    api.easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    return FailedFetch(FetchOutcome::kAbandoned, "abandoned by the caller", FetchFailure::kNone);
  }
  if (t.error) std::rethrow_exception(t.error);  // CurlHandles releases everything
  FetchResult result;
  if (t.cut) {
    result.outcome = FetchOutcome::kDocument;
    result.body = std::move(t.body);
    return result;
  }
  if (stalled) {
    result.detail = "no data for " + std::to_string(stall_ms) + " ms";
    result.failure = FetchFailure::kStalled;
  } else if (!multi_failure.empty()) {
    result.detail = multi_failure;
    result.failure = FetchFailure::kOther;
  } else if (code != CURLE_OK) {
    result.detail = error_text[0] ? error_text : api.easy_strerror(code);
    result.failure = FailureOf(api, code, easy, t.ever_connected);
  } else {
    // A complete transfer always has its final head; Open() is a no-op then.
    if (!t.Open()) std::rethrow_exception(t.error);
    result.outcome = FetchOutcome::kDocument;
    result.body = std::move(t.body);
    return result;
  }
  result.outcome = t.opened ? FetchOutcome::kReadFailed : FetchOutcome::kOpenFailed;
  return result;
}

FetchResult FetchHttpDocument(const CurlLoad& curl, const std::string& url,
                              const FetchLimits& limits, const std::function<void()>& on_open,
                              const std::function<bool()>& keep_going) {
  const Clock::time_point start = Clock::now();
  FetchResult result = FetchUntimed(curl, url, limits, on_open, keep_going);
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return result;
}

FetchResult FetchHttpDocument(const std::string& url, const FetchLimits& limits,
                              const std::function<void()>& on_open,
                              const std::function<bool()>& keep_going) {
  // The first fetch loads libcurl (weather/curl_library.h); the load counts
  // in its time.
  const Clock::time_point start = Clock::now();
  FetchResult result = FetchHttpDocument(SystemCurl(), url, limits, on_open, keep_going);
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return result;
}
