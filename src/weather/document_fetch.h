// The fetch of one source document as the strip reaches it: the program's
// is the HTTP fetch (weather/http_fetch.h: libcurl on Linux, WinINet on
// Windows); tests give a scripted one.
#pragma once

#include <functional>
#include <string>

#include "weather/http_fetch.h"

class DocumentFetch {
 public:
  virtual ~DocumentFetch() = default;
  // Fetches `address`, keeping what FetchHttpDocument promises: `on_open`
  // once the document is open, `keep_going` while it waits (false abandons
  // it), at most kDocumentLimit bytes, the outcome and why.
  virtual FetchResult Fetch(const std::string& address, const FetchLimits& limits,
                            const std::function<void()>& on_open,
                            const std::function<bool()>& keep_going) = 0;
};

class HttpDocumentFetch : public DocumentFetch {
 public:
  FetchResult Fetch(const std::string& address, const FetchLimits& limits,
                    const std::function<void()>& on_open,
                    const std::function<bool()>& keep_going) override {
    return FetchHttpDocument(address, limits, on_open, keep_going);
  }
};
