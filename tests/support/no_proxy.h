// Tests talk to servers on 127.0.0.1 only. A proxy from the environment
// (http_proxy and the like, which the fetch honours) would carry those
// requests to another machine, or nowhere, so every test process forgets the
// proxy settings before its first test; a test about proxies sets its own.
#pragma once

#include <cstdlib>

inline void ForgetProxySettings() {
  for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                           "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
    unsetenv(name);
  }
}
