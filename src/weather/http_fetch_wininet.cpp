// One HTTP retrieval of a source document, on WinINet: the promises of
// http_fetch.h, kept with the options WinINet has.
//
// Where WinINet sets the terms:
// - The proxy is the system's Internet settings (INTERNET_OPEN_TYPE_PRECONFIG),
//   not the environment.
// - connect_ms is WinINet's connect time-out, stall_ms its send and receive
//   time-outs: the longest wait for any one read, of the head or of the body.
//   Each read that brings a byte starts the wait anew, so a head that trickles
//   in is not cut off.
// - WinINet has no limit for a whole transfer, so total_ms is checked before
//   every redirect hop and every wait for body bytes, and no connect or wait
//   is given longer than what is left of it.
// - Redirects are followed here, not by WinINet, so that only http and https
//   targets are followed and at most kMaxRedirects of them.
// - Why a fetch failed is sorted from WinINet's error and the phase it came
//   in (see Sort): ERROR_INTERNET_CANNOT_CONNECT is a refusal when it came
//   before the connect limit (WinINet does not tell a refusal from an
//   unreachable network) and a connect time-out at the limit; a time-out is
//   a connect time-out before the connection is up (WinINet's status
//   callback says when it is), a stall after, and the total limit when the
//   wait had been cut to what was left of it.
// - The blocking WinINet calls run on a worker thread of each fetch; the
//   calling thread waits for it, runs `on_open` when the final head is in and
//   calls `keep_going` about every kKeepGoingIntervalMs. When that says stop,
//   the fetch returns kAbandoned at once, within that interval. The worker
//   is not interrupted: Wine's WinINet does not end a blocking call when
//   another thread closes its handles, and closing them from here would race
//   with the worker's own use and closing of them (a closed handle's number
//   may soon belong to another fetch). It finishes the one connect or wait
//   under way on its own, within that wait's limit (connect_ms or stall_ms,
//   never past total_ms), then closes its handles and ends; nothing of it
//   reaches the caller.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "text/ascii_case.h"
#include "weather/http_fetch.h"

namespace {

using Clock = std::chrono::steady_clock;

// Closes its WinINet handle when it goes out of scope.
class Handle {
 public:
  explicit Handle(HINTERNET h = nullptr) : h_(h) {}
  ~Handle() { Reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HINTERNET Get() const { return h_; }
  void Reset(HINTERNET h = nullptr) {
    if (h_ != nullptr) InternetCloseHandle(h_);
    h_ = h;
  }

 private:
  HINTERNET h_;
};

// WinINet's own words for an error, with its number.
std::string Reason(DWORD error) {
  char text[512] = {};
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      GetModuleHandleA("wininet.dll"), error, 0, text, sizeof text, nullptr);
  std::string reason(text, n);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.')) {
    reason.pop_back();
  }
  return (reason.empty() ? "WinINet error" : reason) + " (" + std::to_string(error) + ")";
}

bool IsHttpAddress(const std::string& url) {
  return StartsWithCaseless(url, "http://") || StartsWithCaseless(url, "https://");
}

// A text field of the response head; empty when it is missing.
std::string HeadField(HINTERNET request, DWORD field) {
  std::string value(256, '\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(value.size());
    if (HttpQueryInfoA(request, field, value.data(), &size, nullptr)) {
      value.resize(size);
      return value;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
    value.assign(static_cast<std::size_t>(size) + 1, '\0');
  }
}

int StatusCode(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                      nullptr)) {
    return 0;
  }
  return static_cast<int>(status);
}

// The declared length of the body, or -1 when the head declares none.
std::int64_t ContentLength(HINTERNET request) {
  const std::string text = HeadField(request, HTTP_QUERY_CONTENT_LENGTH);
  if (text.empty() || text.size() > 18) return -1;
  std::int64_t length = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    length = length * 10 + (c - '0');
  }
  return length;
}

// `location` resolved against `base`; empty when it cannot be.
std::string Resolve(const std::string& base, const std::string& location) {
  std::string out(2048, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD size = static_cast<DWORD>(out.size());
    if (InternetCombineUrlA(base.c_str(), location.c_str(), out.data(), &size, ICU_NO_ENCODE)) {
      out.resize(size);
      return out;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
    out.assign(static_cast<std::size_t>(size) + 1, '\0');
  }
  return {};
}

long MillisecondsLeft(Clock::time_point start, std::chrono::milliseconds total) {
  const auto left =
      total - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  return std::max(1L, static_cast<long>(left.count()));
}

void SetTimeout(HINTERNET h, DWORD option, long ms) {
  DWORD value = static_cast<DWORD>(std::max(1L, ms));
  InternetSetOptionA(h, option, &value, sizeof value);
}

// Never from a cache: fetched anew, kept out of the cache, and the same
// no-cache request headers as everywhere else for caches on the way.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
constexpr char kRequestHeaders[] = "Cache-Control: no-cache\r\nPragma: no-cache\r\n";
// The context WinINet hands to the status callback; it must not be 0, or no
// callback comes.
constexpr DWORD_PTR kContext = 1;

// Set by WinINet's status callback (on the worker thread, within its calls):
// whether the current hop's connection is up, and since when.
thread_local bool t_connected = false;
thread_local Clock::time_point t_connected_at;

void CALLBACK OnStatus(HINTERNET, DWORD_PTR, DWORD status, LPVOID, DWORD) {
  // A connection WinINet takes from its pool says nothing of connecting; a
  // request sent says enough.
  if (status == INTERNET_STATUS_CONNECTED_TO_SERVER ||
      (status == INTERNET_STATUS_REQUEST_SENT && !t_connected)) {
    t_connected = true;
    t_connected_at = Clock::now();
  }
}

// What the calling thread and a fetch's worker share.
struct Exchange {
  std::mutex mutex;
  std::condition_variable changed;
  bool head_in = false;  // worker: the final head is in; it waits for go_on or stop
  bool go_on = false;    // caller: on_open has run; take the body
  bool done = false;     // worker: `result` is final
  FetchResult result;
  std::atomic<bool> stop{false};  // caller: abandoned, or on_open raised
};

// One connect or wait: its limit and whether that was cut to what was left
// of the total limit.
struct Wait {
  long ms;
  bool total_bound;
};

Wait WaitFor(long limit_ms, Clock::time_point start, std::chrono::milliseconds total) {
  const long left = MillisecondsLeft(start, total);
  return left < limit_ms ? Wait{left, true} : Wait{limit_ms, false};
}

// The failure a WinINet error stands for, in the phase it came in.
// `waited` is how long the failing call had waited: since the connect began
// while there was no connection, since the connection came up (or the read
// began) after. Some WinINets (Wine's) pass a socket's own error on, and
// report a receive time-out as a connection ended; a connection that ends
// only once the stall limit has passed counts as that time-out. (A head that
// trickled in for longer than that and then broke off counts so too.)
FetchFailure Sort(DWORD error, bool connected, Clock::duration waited, const Wait& connect,
                  const Wait& stall) {
  const auto reached = [waited](const Wait& wait) {
    return waited >= std::chrono::milliseconds(wait.ms);
  };
  const auto limit = [](const Wait& wait, FetchFailure own) {
    return wait.total_bound ? FetchFailure::kTotalLimit : own;
  };
  switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return FetchFailure::kNameNotFound;
    case ERROR_INTERNET_CANNOT_CONNECT:
      // WinINet does not tell a refusal from an unreachable network; either
      // way nothing answers there, unless the connect limit ran out.
      if (connected) return FetchFailure::kReset;
      return reached(connect) ? limit(connect, FetchFailure::kConnectTimeout)
                              : FetchFailure::kRefused;
    case ERROR_INTERNET_TIMEOUT:
    case WSAETIMEDOUT:
      return connected ? limit(stall, FetchFailure::kStalled)
                       : limit(connect, FetchFailure::kConnectTimeout);
    case ERROR_INTERNET_CONNECTION_RESET:
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:  // closed before a whole head
    case WSAECONNRESET:
    case WSAECONNABORTED:
      return connected && reached(stall) ? limit(stall, FetchFailure::kStalled)
                                         : FetchFailure::kReset;
    default:
      return FetchFailure::kOther;
  }
}

// Sends the GET for `address` and waits for the response head. The
// connection is made step by step (InternetOpenUrl would do it in one) so
// that the time-outs can be set on the connection before anything is sent:
// set on the internet handle, not every WinINet passes them on.
bool SendRequest(HINTERNET internet, const std::string& address, const Wait& connect,
                 const Wait& stall, Handle* session, Handle* request, FetchResult* failed) {
  char host[256] = {}, path[2048] = {}, extra[2048] = {};
  URL_COMPONENTSA parts = {};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof host;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = sizeof path;
  parts.lpszExtraInfo = extra;
  parts.dwExtraInfoLength = sizeof extra;
  if (!InternetCrackUrlA(address.c_str(), 0, 0, &parts) ||
      (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
    *failed = FailedFetch(FetchOutcome::kOpenFailed, "not a usable http or https address");
    return false;
  }
  const auto attempt_start = Clock::now();
  t_connected = false;
  auto fail = [&](const char* call) {
    const DWORD error = GetLastError();
    const auto waited = Clock::now() - (t_connected ? t_connected_at : attempt_start);
    *failed = FailedFetch(FetchOutcome::kOpenFailed, call + Reason(error),
                          Sort(error, t_connected, waited, connect, stall));
    return false;
  };
  request->Reset();
  session->Reset(InternetConnectA(internet, host, parts.nPort, nullptr, nullptr,
                                  INTERNET_SERVICE_HTTP, 0, kContext));
  if (session->Get() == nullptr) return fail("InternetConnect: ");
  SetTimeout(session->Get(), INTERNET_OPTION_CONNECT_TIMEOUT, connect.ms);
  SetTimeout(session->Get(), INTERNET_OPTION_SEND_TIMEOUT, stall.ms);
  SetTimeout(session->Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, stall.ms);
  const std::string target = std::string(path[0] ? path : "/") + extra;
  const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0;
  request->Reset(HttpOpenRequestA(session->Get(), "GET", target.c_str(), nullptr, nullptr, nullptr,
                                  kRequestFlags | secure, kContext));
  if (request->Get() == nullptr) return fail("HttpOpenRequest: ");
  SetTimeout(request->Get(), INTERNET_OPTION_CONNECT_TIMEOUT, connect.ms);
  SetTimeout(request->Get(), INTERNET_OPTION_SEND_TIMEOUT, stall.ms);
  SetTimeout(request->Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, stall.ms);
  if (!HttpSendRequestA(request->Get(), kRequestHeaders,
                        static_cast<DWORD>(sizeof kRequestHeaders - 1), nullptr, 0)) {
    return fail("HttpSendRequest: ");
  }
  return true;
}

FetchResult Abandoned() {
  return FailedFetch(FetchOutcome::kAbandoned, "abandoned by the caller", FetchFailure::kNone);
}

// The fetch proper, on the worker thread: every blocking WinINet call. Hands
// the final head to the caller through `x` and waits for its word before it
// takes the body.
FetchResult Transfer(const std::string& url, const FetchLimits& limits, Exchange& x) {
  const auto start = Clock::now();
  const long connect_ms = std::max(1L, limits.connect_ms);
  const long stall_ms = std::max(1L, limits.stall_ms);
  const auto total = std::chrono::milliseconds(std::max(1L, limits.total_ms));

  Handle internet(InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (internet.Get() == nullptr) {
    return FailedFetch(FetchOutcome::kInitFailed, "InternetOpen: " + Reason(GetLastError()));
  }
  if (url.empty()) {
    return FailedFetch(FetchOutcome::kOpenFailed, "no address", FetchFailure::kNoAddress);
  }
  if (!IsHttpAddress(url)) {
    return FailedFetch(FetchOutcome::kOpenFailed, "not an http or https address");
  }
  InternetSetStatusCallbackA(internet.Get(), &OnStatus);

  Handle session, document;
  std::string address = url;
  for (long hops = 0;; ++hops) {
    if (x.stop) return Abandoned();
    if (Clock::now() - start >= total) {
      return FailedFetch(FetchOutcome::kOpenFailed, "time limit reached before the document opened",
                         FetchFailure::kTotalLimit);
    }
    FetchResult failed;
    if (!SendRequest(internet.Get(), address, WaitFor(connect_ms, start, total),
                     WaitFor(stall_ms, start, total), &session, &document, &failed)) {
      return failed;
    }
    const int status = StatusCode(document.Get());
    if (status < 300 || status > 399) break;
    const std::string location = HeadField(document.Get(), HTTP_QUERY_LOCATION);
    if (location.find_first_not_of(" \t") == std::string::npos) break;  // a page, not a hop
    const std::string next = Resolve(address, location);
    if (!IsHttpAddress(next)) {
      return FailedFetch(FetchOutcome::kOpenFailed,
                         "redirect to an address that is not http or https",
                         FetchFailure::kRedirectRefused);
    }
    if (hops + 1 > kMaxRedirects) {
      return FailedFetch(FetchOutcome::kOpenFailed, "too many redirects",
                         FetchFailure::kRedirectRefused);
    }
    address = next;
  }

  // The final response's head is in: the caller runs on_open, then says
  // whether to go on.
  {
    std::unique_lock lock(x.mutex);
    x.head_in = true;
    x.changed.notify_all();
    x.changed.wait(lock, [&x] { return x.go_on || x.stop; });
  }
  if (x.stop) return Abandoned();
  const std::int64_t declared = ContentLength(document.Get());

  FetchResult result;
  result.outcome = FetchOutcome::kReadFailed;
  auto read_failed = [&result](std::string detail, FetchFailure failure) {
    result.detail = std::move(detail);
    result.failure = failure;
    result.body.clear();
    return std::move(result);
  };
  std::string& body = result.body;
  char chunk[8192];
  while (body.size() < kDocumentLimit) {
    if (x.stop) return Abandoned();
    if (Clock::now() - start >= total) {
      return read_failed("time limit reached during the document", FetchFailure::kTotalLimit);
    }
    // No single wait may go past the total limit either.
    const Wait stall = WaitFor(stall_ms, start, total);
    SetTimeout(document.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, stall.ms);
    const auto wait_start = Clock::now();
    // Waiting only for what is there (a synchronous read would wait to fill
    // its whole buffer) keeps every wait within the limits above.
    DWORD available = 0;
    if (!InternetQueryDataAvailable(document.Get(), &available, 0, 0)) {
      const DWORD error = GetLastError();
      return read_failed("InternetQueryDataAvailable: " + Reason(error),
                         Sort(error, true, Clock::now() - wait_start, stall, stall));
    }
    if (available == 0) break;  // the end of the body
    const DWORD want = static_cast<DWORD>(std::min(
        {sizeof chunk, kDocumentLimit - body.size(), static_cast<std::size_t>(available)}));
    DWORD got = 0;
    if (!InternetReadFile(document.Get(), chunk, want, &got)) {
      const DWORD error = GetLastError();
      return read_failed("InternetReadFile: " + Reason(error),
                         Sort(error, true, Clock::now() - wait_start, stall, stall));
    }
    if (got == 0) break;
    body.append(chunk, got);
  }
  // WinINet ends a body that the server cut short with an orderly close as if
  // it were complete; the declared length tells the two apart.
  if (body.size() < kDocumentLimit && declared >= 0 &&
      static_cast<std::uint64_t>(declared) > body.size()) {
    return read_failed("connection closed after " + std::to_string(body.size()) + " of " +
                           std::to_string(declared) + " bytes",
                       FetchFailure::kReset);
  }
  result.outcome = FetchOutcome::kDocument;
  return result;
}

// The fetch as the caller sees it: the transfer on a worker thread, on_open
// and keep_going here.
FetchResult Await(const std::string& url, const FetchLimits& limits,
                  const std::function<void()>& on_open, const std::function<bool()>& keep_going) {
  // Shared, so that an abandoned worker may finish after this returns.
  auto x = std::make_shared<Exchange>();
  std::thread worker;
  try {
    worker = std::thread([x, url, limits] {
      FetchResult result = Transfer(url, limits, *x);
      std::lock_guard lock(x->mutex);
      x->result = std::move(result);
      x->done = true;
      x->changed.notify_all();
    });
  } catch (const std::system_error& error) {
    return FailedFetch(FetchOutcome::kInitFailed,
                       std::string("no thread for the fetch: ") + error.what());
  }
  const auto interval = std::chrono::milliseconds(kKeepGoingIntervalMs);
  auto next_call = Clock::now() + interval;
  bool opened = false;
  std::unique_lock lock(x->mutex);
  for (;;) {
    if (x->done) {
      lock.unlock();
      worker.join();
      return std::move(x->result);
    }
    if (x->head_in && !opened) {
      opened = true;
      lock.unlock();
      try {
        if (on_open) on_open();
      } catch (...) {
        // The worker waits for word of this; it closes its handles and ends.
        x->stop = true;
        { std::lock_guard wake(x->mutex); }
        x->changed.notify_all();
        worker.join();
        throw;
      }
      lock.lock();
      x->go_on = true;
      x->changed.notify_all();
      continue;
    }
    if (!keep_going) {
      x->changed.wait(lock);
      continue;
    }
    if (x->changed.wait_until(lock, next_call) == std::cv_status::no_timeout) continue;
    lock.unlock();
    const bool go_on = keep_going();
    next_call = Clock::now() + interval;
    lock.lock();
    if (!go_on) {
      x->stop = true;
      x->changed.notify_all();
      lock.unlock();
      // The WinINet call under way ends at its own limit (see above); the
      // worker then drops what it has.
      worker.detach();
      return Abandoned();
    }
  }
}

}  // namespace

FetchResult FetchHttpDocument(const std::string& url, const FetchLimits& limits,
                              const std::function<void()>& on_open,
                              const std::function<bool()>& keep_going) {
  const auto start = Clock::now();
  FetchResult result = Await(url, limits, on_open, keep_going);
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return result;
}
