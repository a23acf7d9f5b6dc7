// One HTTP retrieval of a source document, on WinINet: the promises of
// http_fetch.h, kept with the options WinINet has.
//
// Where WinINet sets the terms:
// - The proxy is the system's Internet settings (INTERNET_OPEN_TYPE_PRECONFIG),
//   not the environment.
// - connect_ms is WinINet's connect time-out, stall_ms its send and receive
//   time-outs: the longest wait for the response head and for any one read.
// - WinINet has no limit for a whole transfer, so total_ms is checked before
//   every redirect hop and every read: a transfer that keeps trickling stops
//   at the first read after total_ms, at most stall_ms later.
// - Redirects are followed here, not by WinINet, so that only http and https
//   targets are followed and at most kMaxRedirects of them.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "weather/ascii_case.h"
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

void SetTimeout(HINTERNET h, DWORD option, long ms) {
  DWORD value = static_cast<DWORD>(std::max(1L, ms));
  InternetSetOptionA(h, option, &value, sizeof value);
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
  SetTimeout(internet.Get(), INTERNET_OPTION_CONNECT_TIMEOUT, connect_ms);
  SetTimeout(internet.Get(), INTERNET_OPTION_SEND_TIMEOUT, stall_ms);
  SetTimeout(internet.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, stall_ms);

  if (url.empty()) return Failure(FetchOutcome::kOpenFailed, "no address");
  if (!IsHttpAddress(url)) return Failure(FetchOutcome::kOpenFailed, "not an http or https address");

  // Never from a cache: fetched anew, kept out of the cache, and the same
  // no-cache request headers as everywhere else for caches on the way.
  constexpr DWORD kFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                           INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                           INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
  static const char kHeaders[] = "Cache-Control: no-cache\r\nPragma: no-cache\r\n";

  Handle document;
  std::string address = url;
  for (long hops = 0;; ++hops) {
    if (Clock::now() - start >= total) {
      return Failure(FetchOutcome::kOpenFailed, "time limit reached before the document opened");
    }
    document.Reset(InternetOpenUrlA(internet.Get(), address.c_str(), kHeaders,
                                    static_cast<DWORD>(sizeof kHeaders - 1), kFlags, 0));
    if (document.Get() == nullptr) {
      return Failure(FetchOutcome::kOpenFailed, "InternetOpenUrl: " + Reason(GetLastError()));
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
    // No single read may wait past the total limit either, as far as the
    // receive time-out can see to it.
    const long left_ms = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(left).count() + 1);
    SetTimeout(document.Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, std::min(stall_ms, left_ms));
    const DWORD want = static_cast<DWORD>(std::min(sizeof chunk, kDocumentLimit - body.size()));
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
