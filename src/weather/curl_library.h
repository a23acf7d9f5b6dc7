// libcurl, loaded when the first fetch needs it rather than when the program
// starts: the fetch is its only user and never runs before the strip is on
// the screen, and libcurl brings some twenty-five libraries of its own (TLS,
// LDAP, SSH, Kerberos) whose loading and relocation would otherwise come
// before the first paint.
//
// The library is Debian's libcurl4 (kCurlSoname); the package depends on it
// by name, since no link shows it. Only the functions the fetch calls are
// resolved, once, and the library stays loaded for the rest of the process.
#pragma once

#include <curl/curl.h>

#include <functional>
#include <optional>
#include <string>

#include "weather/http_fetch.h"

// The SONAME that Debian's libcurl4 (OpenSSL flavour) ships.
inline constexpr char kCurlSoname[] = "libcurl.so.4";

// The libcurl functions the fetch uses, resolved from a loaded library.
struct CurlLibrary {
  decltype(&curl_global_init) global_init;
  decltype(&curl_easy_init) easy_init;
  decltype(&curl_easy_cleanup) easy_cleanup;
  decltype(&curl_easy_setopt) easy_setopt;
  decltype(&curl_easy_getinfo) easy_getinfo;
  decltype(&curl_easy_strerror) easy_strerror;
  decltype(&curl_multi_init) multi_init;
  decltype(&curl_multi_cleanup) multi_cleanup;
  decltype(&curl_multi_add_handle) multi_add_handle;
  decltype(&curl_multi_remove_handle) multi_remove_handle;
  decltype(&curl_multi_perform) multi_perform;
  decltype(&curl_multi_poll) multi_poll;
  decltype(&curl_multi_info_read) multi_info_read;
  decltype(&curl_multi_strerror) multi_strerror;
  decltype(&curl_slist_append) slist_append;
  decltype(&curl_slist_free_all) slist_free_all;
};

// A library loaded (or not) with its functions resolved.
struct CurlLoad {
  std::optional<CurlLibrary> library;  // empty when it could not be had
  std::string error;                   // why not, naming the file or the function
};

// Loads `soname` and resolves every function above; a library that lacks one
// of them counts as not loaded (and is released again). A library that
// loaded is never released: the functions stay valid until the process ends.
CurlLoad LoadCurlLibrary(const char* soname);

// kCurlSoname, loaded at the first call and kept; later calls (from any
// thread) return the same outcome, a failure included.
const CurlLoad& SystemCurl();

// FetchHttpDocument (weather/http_fetch.h) on the library `curl`: kInitFailed,
// with its error as the detail, when it was not loaded. FetchHttpDocument
// itself is this on SystemCurl().
FetchResult FetchHttpDocument(const CurlLoad& curl, const std::string& url,
                              const FetchLimits& limits, const std::function<void()>& on_open,
                              const std::function<bool()>& keep_going = {});
