// One HTTP retrieval of a source document, on WinINet: the promises of
// http_fetch.h, kept with the options WinINet has.
//
// Where WinINet sets the terms:
// - The proxy is the system's Internet settings (INTERNET_OPEN_TYPE_PRECONFIG),
//   not the environment.
// - connect_ms is WinINet's connect time-out, stall_ms its send and receive
//   time-outs: the longest wait for the response head and for any one read.
// - WinINet has no limit for a whole transfer, so total_ms is checked before
//   every redirect hop and every wait for body bytes, and no connect or wait
//   is given longer than what is left of it.
// - Redirects are followed here, not by WinINet, so that only http and https
//   targets are followed and at most kMaxRedirects of them.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

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
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           GetModuleHandleA("wininet.dll"), error, 0, text, sizeof text, nullptr);
  std::string reason(text, n);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.')) {
    reason.pop_back();
  }
  return (reason.empty() ? "WinINet error" : reason) + " (" + std::to_string(error) + ")";
}

FetchResult Failure(FetchOutcome outcome, std::string detail) {
  FetchResult result;
  result.outcome = outcome;
  result.detail = std::move(detail);
  return result;
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
  const auto left = total - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
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

// Sends the GET for `address` and waits for the response head. The
// connection is made step by step (InternetOpenUrl would do it in one) so
// that the time-outs can be set on the connection before anything is sent:
// set on the internet handle, not every WinINet passes them on.
bool SendRequest(HINTERNET internet, const std::string& address, long connect_ms, long stall_ms,
                 Handle* session, Handle* request, std::string* detail) {
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
    *detail = "not a usable http or https address";
    return false;
  }
  request->Reset();
  session->Reset(InternetConnectA(internet, host, parts.nPort, nullptr, nullptr,
                                  INTERNET_SERVICE_HTTP, 0, 0));
  if (session->Get() == nullptr) {
    *detail = "InternetConnect: " + Reason(GetLastError());
    return false;
  }
  SetTimeout(session->Get(), INTERNET_OPTION_CONNECT_TIMEOUT, connect_ms);
  SetTimeout(session->Get(), INTERNET_OPTION_SEND_TIMEOUT, stall_ms);
  SetTimeout(session->Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, stall_ms);
  const std::string target = std::string(path[0] ? path : "/") + extra;
  const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0;
  request->Reset(HttpOpenRequestA(session->Get(), "GET", target.c_str(), nullptr, nullptr, nullptr,
                                  kRequestFlags | secure, 0));
  if (request->Get() == nullptr) {
    *detail = "HttpOpenRequest: " + Reason(GetLastError());
    return false;
  }
  SetTimeout(request->Get(), INTERNET_OPTION_CONNECT_TIMEOUT, connect_ms);
  SetTimeout(request->Get(), INTERNET_OPTION_SEND_TIMEOUT, stall_ms);
  SetTimeout(request->Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, stall_ms);
  if (!HttpSendRequestA(request->Get(), kRequestHeaders,
                        static_cast<DWORD>(sizeof kRequestHeaders - 1), nullptr, 0)) {
    *detail = "HttpSendRequest: " + Reason(GetLastError());
    return false;
  }
  return true;
}

}  // namespace

FetchResult FetchHttpDocument(const std::string& url, const FetchLimits& limits,
                              const std::function<void()>& on_open) {
  const auto start = Clock::now();
  const long connect_ms = std::max(1L, limits.connect_ms);
  const long stall_ms = std::max(1L, limits.stall_ms);
  const auto total = std::chrono::milliseconds(std::max(1L, limits.total_ms));

  Handle internet(InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (internet.Get() == nullptr) {
    return Failure(FetchOutcome::kInitFailed, "InternetOpen: " + Reason(GetLastError()));
  }
  if (url.empty()) return Failure(FetchOutcome::kOpenFailed, "no address");
  if (!IsHttpAddress(url)) return Failure(FetchOutcome::kOpenFailed, "not an http or https address");

  Handle session, document;
  std::string address = url;
  for (long hops = 0;; ++hops) {
    if (Clock::now() - start >= total) {
      return Failure(FetchOutcome::kOpenFailed, "time limit reached before the document opened");
    }
    const long left_ms = MillisecondsLeft(start, total);
    std::string detail;
    if (!SendRequest(internet.Get(), address, std::min(connect_ms, left_ms),
                     std::min(stall_ms, left_ms), &session, &document, &detail)) {
      return Failure(FetchOutcome::kOpenFailed, detail);
    }
    const int status = StatusCode(document.Get());
    if (status < 300 || status > 399) break;
    const std::string location = HeadField(document.Get(), HTTP_QUERY_LOCATION);
    if (location.find_first_not_of(" \t") == std::string::npos) break;  // a page, not a hop
    const std::string next = Resolve(address, location);
    if (!IsHttpAddress(next)) {
      return Failure(FetchOutcome::kOpenFailed, "redirect to an address that is not http or https");
    }
    if (hops + 1 > kMaxRedirects) return Failure(FetchOutcome::kOpenFailed, "too many redirects");
    address = next;
  }

  // The final response's head is in; an exception from on_open passes on
  // after both handles are closed.
  if (on_open) on_open();
  const std::int64_t declared = ContentLength(document.Get());

  FetchResult result;
  std::string& body = result.body;
  char chunk[8192];
  while (body.size() < kDocumentLimit) {
    const auto left = total - (Clock::now() - start);
    if (left <= Clock::duration::zero()) {
      result.outcome = FetchOutcome::kReadFailed;
      result.detail = "time limit reached during the document";
      body.clear();
      return result;
    }
    // No single wait may go past the total limit either.
    SetTimeout(document.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT,
               std::min(stall_ms, MillisecondsLeft(start, total)));
    // Waiting only for what is there (a synchronous read would wait to fill
    // its whole buffer) keeps every wait within the limits above.
    DWORD available = 0;
    if (!InternetQueryDataAvailable(document.Get(), &available, 0, 0)) {
      result.outcome = FetchOutcome::kReadFailed;
      result.detail = "InternetQueryDataAvailable: " + Reason(GetLastError());
      body.clear();
      return result;
    }
    if (available == 0) break;  // the end of the body
    const DWORD want = static_cast<DWORD>(
        std::min({sizeof chunk, kDocumentLimit - body.size(), static_cast<std::size_t>(available)}));
    DWORD got = 0;
    if (!InternetReadFile(document.Get(), chunk, want, &got)) {
      result.outcome = FetchOutcome::kReadFailed;
      result.detail = "InternetReadFile: " + Reason(GetLastError());
      body.clear();
      return result;
    }
    if (got == 0) break;
    body.append(chunk, got);
  }
  // WinINet ends a body that the server cut short with an orderly close as if
  // it were complete; the declared length tells the two apart.
  if (body.size() < kDocumentLimit && declared >= 0 &&
      static_cast<std::uint64_t>(declared) > body.size()) {
    result.outcome = FetchOutcome::kReadFailed;
    result.detail = "connection closed after " + std::to_string(body.size()) + " of " +
                    std::to_string(declared) + " bytes";
    body.clear();
    return result;
  }
  result.outcome = FetchOutcome::kDocument;
  return result;
}
