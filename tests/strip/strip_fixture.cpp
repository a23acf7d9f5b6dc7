#include "strip_fixture.h"

#include "support/environment.h"
#include "weather/sources.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include <cstdio>

#include "support/temp_config.h"
#endif

void StripTest::SetUp() {
  // Every fetch goes straight to the test's own loopback servers.
  SetEnvironment(kPrimaryServerVariable, nowhere_.Authority());
  SetEnvironment(kAlternateServerVariable, nowhere_.Authority());
}

void StripTest::TearDown() {
  UnsetEnvironment(kPrimaryServerVariable);
  UnsetEnvironment(kAlternateServerVariable);
}

void StripTest::StoreShownTexts() {
  TRegIniFile reg(kProductKeyPath);
  Write(reg, kOnStart, false);
  Write(reg, kLastForecast, kShownForecast);
  Write(reg, kLastMarrowby, kShownPrimary);
  Write(reg, kLastWendmoore, kShownSecondary);
  Write(reg, kLastUpdate, kShownUpdate);
}

void StripTest::StoreUnreadable(std::string_view section, std::string_view name) {
#ifdef _WIN32
  const std::string key = std::string(kProductKeyPath) + "\\" + std::string(section);
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &handle, nullptr),
            ERROR_SUCCESS);
  const DWORD ten = 10;
  RegSetValueExA(handle, std::string(name).c_str(), 0, REG_DWORD,
                 reinterpret_cast<const BYTE*>(&ten), sizeof ten);
  RegCloseKey(handle);
#else
  // The file as it is, with the entry set by hand to a registry export's
  // spelling of a number.
  TRegIniFile(kProductKeyPath).WriteText(section, name, "placeholder");
  const std::string file = SettingsFileForKey(kProductKeyPath);
  std::string text = ReadFileBytes(file);
  const std::string written = std::string(name) + "=\"placeholder\"";
  const std::size_t at = text.find(written);
  ASSERT_NE(at, std::string::npos) << text;
  text.replace(at, written.size(), std::string(name) + "=dword:0000000A");
  WriteFileBytes(file, text);
#endif
}

bool StripTest::StoreUnwritable() {
#ifdef _WIN32
  // A volatile product key: no section, which is never volatile, can be
  // made below it any more.
  RegDeleteTreeA(HKEY_CURRENT_USER, kProductKeyPath);
  HKEY handle = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kProductKeyPath, 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
#else
  // A folder where the settings file should be.
  const std::string file = SettingsFileForKey(kProductKeyPath);
  std::remove(file.c_str());
  return mkdir(file.c_str(), 0700) == 0;
#endif
}
