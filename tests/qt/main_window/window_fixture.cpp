#include "window_fixture.h"

#include <QCoreApplication>
#include <cstdlib>

#include "store/reg_ini_file.h"
#include "support/test_application.h"
#include "weather/sources.h"

void WindowTest::SetUp() {
  // Every fetch goes straight to the test's own loopback servers.
  setenv(kPrimaryServerVariable, nowhere_.Authority().c_str(), 1);
  setenv(kAlternateServerVariable, nowhere_.Authority().c_str(), 1);
  // The end of the loops is recorded; the test's own loops go on.
  TestApplication::Current().ForgetEndedLoops();
  TestApplication::Current().end_loops = false;
}

void WindowTest::TearDown() {
  TestApplication::Current().end_loops = true;
  TestApplication::Current().ForgetEndedLoops();
  unsetenv(kPrimaryServerVariable);
  unsetenv(kAlternateServerVariable);
}

void WindowTest::StoreFile(const std::string& ini) { WriteFileBytes(config_.SettingsFile(), ini); }

std::string WindowTest::StoredFile() const { return ReadFileBytes(config_.SettingsFile()); }
