// Test main for the core: every test process gets its own settings folder, so
// no test can touch the user's real settings, and no proxy, so no request
// leaves this machine.
#include <gtest/gtest.h>

#include "support/leak_suppressions.h"
#include "support/no_proxy.h"
#include "support/temp_config.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  ForgetProxySettings();
  TempConfigDir config;
  return RUN_ALL_TESTS();
}
