// One HTTP retrieval of a source document, on libcurl.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

inline constexpr char kUserAgent[] = "Tidewell";
// At most this many bytes of a body make the document.
inline constexpr std::size_t kDocumentLimit = 32767;

struct FetchLimits {
  long connect_ms = 10000;  // name lookup included
  long stall_ms = 15000;    // no byte for this long fails the read
  long total_ms = 30000;    // the whole document
};

enum class FetchOutcome {
  kDocument,       // the document (possibly empty, possibly an error page) arrived
  kInitFailed,     // the HTTP client could not be initialised
  kOpenFailed,     // no response headers arrived (refused, unknown host, time-out, reset)
  kReadFailed,     // the transfer broke after the headers
};

struct FetchResult {
  FetchOutcome outcome = FetchOutcome::kOpenFailed;
  std::string body;  // at most kDocumentLimit bytes; empty unless kDocument
};

// Fetches `url`. `on_open` runs once, when the final response's headers are in
// and before the body is taken, so the caller can show that the document is
// being read. The status code is not examined. Redirects are followed for
// http and https only. Sends no-cache headers and honours the proxy
// environment (http_proxy, no_proxy).
FetchResult FetchHttpDocument(const std::string& url, const FetchLimits& limits,
                              const std::function<void()>& on_open);
