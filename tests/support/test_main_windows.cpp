// Test main for the core built for Windows. The tests replace the product key
// in HKEY_CURRENT_USER and fetch from servers on 127.0.0.1 only, so every
// process forgets the proxy settings of its environment first, and refuses to
// run on a real Windows desktop unless told that its settings may go.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/registry_sandbox.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                           "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
    SetEnvironmentVariableA(name, nullptr);
    _putenv((std::string(name) + "=").c_str());
  }
  const char* scratch = std::getenv("MW_TEST_REGISTRY_SCRATCH");
  if (!GTEST_FLAG_GET(list_tests) && !RunningUnderWine() &&
      !(scratch != nullptr && std::strcmp(scratch, "1") == 0)) {
    std::fprintf(stderr,
                 "These tests replace HKEY_CURRENT_USER\\Software\\Tidewell\\Aerolume. They run "
                 "under Wine; to run them on this Windows system anyway, set "
                 "MW_TEST_REGISTRY_SCRATCH=1.\n");
    return 1;
  }
  return RUN_ALL_TESTS();
}
