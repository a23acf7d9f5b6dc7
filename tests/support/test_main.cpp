// Test main for the core: every test process gets its own settings folder, so
// no test can touch the user's real settings.
#include <gtest/gtest.h>

#include "support/leak_suppressions.h"
#include "support/temp_config.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  TempConfigDir config;
  return RUN_ALL_TESTS();
}
