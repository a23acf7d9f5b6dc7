// Test main for the shell: the program's application object (its end observed,
// see test_application.h) on the offscreen
// platform, a settings folder of the process's own, and no proxy, so no
// request leaves this machine.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/leak_suppressions.h"
#include "support/no_proxy.h"
#include "support/temp_config.h"
#include "support/test_application.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ForgetProxySettings();
  TempConfigDir config;
  TestApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
