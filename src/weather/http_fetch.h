// One HTTP retrieval of a source document, on libcurl.
//
// What it promises:
// - The request carries the User-Agent "Tidewell" and the headers
//   "Cache-Control: no-cache" and "Pragma: no-cache", so no cache on the way
//   answers in the server's place.
// - Redirects are followed for http and https only; a redirect to any other
//   scheme (file://, ftp://, ...) is not followed and the document counts as
//   not opened. At most kMaxRedirects hops; more count as not opened too.
// - The proxy comes from the environment, as libcurl reads it (http_proxy,
//   https_proxy, all_proxy, no_proxy).
// - The document is at most the first kDocumentLimit bytes of the final
//   response's body. The transfer stops as soon as they are in, which is
//   success. The HTTP status is not examined: an error page, a 404 body
//   included, is a document like any other; an empty body is a document.
// - `on_open` runs exactly once, when the final response's head is in and
//   before any of its body is taken, or not at all when no final response
//   head arrives. Its return tells nothing; an exception from it ends the
//   transfer and is passed on to the caller after everything is released.
// - kOpenFailed when no final response head arrived: refused, unknown host,
//   connect time-out (name lookup included), reset or silence before the head,
//   a redirect that cannot be followed, an address that is not a usable http
//   or https URL (the empty address included).
//   kReadFailed when the transfer broke after that head: reset mid-body, the
//   stall limit, the total limit. The two are told apart by `on_open`: it has
//   run exactly when the outcome is kDocument or kReadFailed.
//   kInitFailed when libcurl cannot be initialised or give a handle.
//   kAbandoned when `keep_going` asked to stop (see below).
// - The stall limit counts every byte that reaches the connection, the
//   response head's included, so a head that trickles in is not cut off.
// - `keep_going`, when given, is called on the calling thread about every
//   kKeepGoingIntervalMs while the transfer waits, from the name lookup to the
//   last byte. It may run the caller's event loop (to repaint a window, say);
//   it must not start another fetch. When it returns false the transfer is
//   dropped at once, whatever phase it is in (a pending name lookup is left
//   to finish on its own), and the outcome is kAbandoned with no body;
//   `on_open` does not run after that.
// - Synchronous and thread-safe: the calling thread waits; no signals are used
//   (name lookups run on libcurl's resolver thread); libcurl's global set-up
//   runs once per process.
//
// What it leaves open: HTTP versions beyond what libcurl picks for http (1.1)
// and https; TLS settings are libcurl's defaults.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

inline constexpr char kUserAgent[] = "Tidewell";
// At most this many bytes of a body make the document.
inline constexpr std::size_t kDocumentLimit = 32767;
// Redirect hops followed before the document counts as not opened.
inline constexpr long kMaxRedirects = 10;
// At most this long between two calls of a fetch's `keep_going`.
inline constexpr long kKeepGoingIntervalMs = 40;

struct FetchLimits {
  long connect_ms = 10000;  // name lookup and connect, per connection
  long stall_ms = 15000;    // no byte for this long (once connected) fails the fetch
  long total_ms = 30000;    // the whole document, redirects included
};

enum class FetchOutcome {
  kDocument,    // the document (possibly empty, possibly an error page) arrived
  kInitFailed,  // the HTTP client could not be initialised
  kOpenFailed,  // no final response head arrived (refused, unknown host, time-out, reset)
  kReadFailed,  // the transfer broke after the head
  kAbandoned,   // the caller's keep_going asked to stop; nothing arrived
};

// Why a fetch failed, as the failure line on standard error words it
// (FetchFailureLine, weather/sources.h). Every backend sorts its own errors
// into these; kOther keeps `detail` as the words.
enum class FetchFailure {
  kNone,             // the document arrived
  kNoAddress,        // the address is empty (an unusable server setting)
  kRefused,          // nothing listens at the address
  kNameNotFound,     // the host name (or the proxy's) does not resolve
  kConnectTimeout,   // no connection within FetchLimits::connect_ms
  kStalled,          // no byte for FetchLimits::stall_ms
  kTotalLimit,       // the whole document took longer than FetchLimits::total_ms
  kReset,            // the server reset or closed the connection early
  kRedirectRefused,  // a redirect to another scheme, or too many hops
  kOther,            // anything else; `detail` says what
};

struct FetchResult {
  FetchOutcome outcome = FetchOutcome::kOpenFailed;
  std::string body;    // at most kDocumentLimit bytes; empty unless kDocument
  std::string detail;  // libcurl's reason for a failure, for diagnostics only
  FetchFailure failure = FetchFailure::kNone;  // kNone exactly when kDocument or kAbandoned
  double seconds = 0;                          // from the call to its return, for diagnostics
};

// The result of a fetch that brought no document, for the backends.
inline FetchResult FailedFetch(FetchOutcome outcome, std::string detail,
                               FetchFailure failure = FetchFailure::kOther) {
  FetchResult result;
  result.outcome = outcome;
  result.detail = std::move(detail);
  result.failure = failure;
  return result;
}

// Fetches `url`. See above for what it promises.
FetchResult FetchHttpDocument(const std::string& url, const FetchLimits& limits,
                              const std::function<void()>& on_open,
                              const std::function<bool()>& keep_going = {});
