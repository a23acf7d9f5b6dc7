// The store on the registry: where the entries land and as what, values that
// other programs wrote, and the errors from real causes.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "store/reg_ini_file.h"
#include "support/registry_sandbox.h"

using namespace std::string_literals;

namespace {

const std::string kProductKey = kProductKeyPath;

bool KeyExists(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// A value as another program would write it, below the product key.
void PutValue(const std::string& section, const std::string& entry, DWORD type,
              const std::string& data) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (kProductKey + "\\" + section).c_str(), 0, nullptr,
                            0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, entry.c_str(), 0, type,
                           reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

struct RawValue {
  DWORD type = REG_NONE;
  std::string bytes;
};

RawValue GetValue(const std::string& section, const std::string& entry) {
  RawValue value;
  char data[4096];
  DWORD size = sizeof data;
  if (RegGetValueA(HKEY_CURRENT_USER, (kProductKey + "\\" + section).c_str(), entry.c_str(),
                   RRF_RT_ANY | RRF_NOEXPAND, &value.type, data, &size) == ERROR_SUCCESS) {
    value.bytes.assign(data, size);
  }
  return value;
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ERegistryException& e) {
    return e.what();
  }
  return "no error";
}

class RegistryStoreTest : public testing::Test {
 protected:
  RegistrySandbox sandbox_;
};

TEST_F(RegistryStoreTest, ConstructionMakesTheKeyPathAndReadsCreateNothing) {
  ASSERT_FALSE(KeyExists(kProductKey));
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(store.FileName(), "HKEY_CURRENT_USER\\Software\\Tidewell\\Aerolume");
  EXPECT_TRUE(KeyExists(kProductKey));
  EXPECT_EQ(store.ReadNumber("window", "left", 10), 10);
  EXPECT_EQ(store.ReadText("weather", "last update", "Last Update Unknown"), "Last Update Unknown");
  EXPECT_FALSE(KeyExists(kProductKey + "\\window"));
  EXPECT_FALSE(KeyExists(kProductKey + "\\weather"));
}

TEST_F(RegistryStoreTest, EntriesAreTextValuesInSectionSubkeys) {
  TRegIniFile store(kProductKeyPath);
  store.WriteNumber("scroll", "rate", 150);
  store.WriteFlag("window", "bold", true);
  store.WriteText("weather", "last forecast", "Fog, then sun");
  store.WriteText("weather", "last update", "");
  // Each a REG_SZ holding the text and its terminating NUL.
  const RawValue rate = GetValue("scroll", "rate");
  EXPECT_EQ(rate.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(rate.bytes, "150\0"s);
  EXPECT_EQ(GetValue("window", "bold").bytes, "1\0"s);
  EXPECT_EQ(GetValue("weather", "last forecast").bytes, "Fog, then sun\0"s);
  EXPECT_EQ(GetValue("weather", "last update").bytes, "\0"s);
}

TEST_F(RegistryStoreTest, NonTextValuesAreTheWrongType) {
  const DWORD ten = 10;
  PutValue("window", "left", REG_DWORD, std::string(reinterpret_cast<const char*>(&ten), 4));
  PutValue("window", "top", REG_BINARY, "40");
  PutValue("window", "width", REG_SZ, "340");
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(store.ReadNumber("window", "width", 0), 340);
  EXPECT_EQ(ErrorOf([&] { store.ReadNumber("window", "left", 10); }),
            "Invalid data type for 'left'");
  EXPECT_EQ(ErrorOf([&] { store.ReadText("window", "LEFT", ""); }),
            "Invalid data type for 'LEFT'");
  EXPECT_EQ(ErrorOf([&] { store.ReadFlag("window", "top", true); }),
            "Invalid data type for 'top'");
  // Writing the entry makes it a text again.
  store.WriteNumber("window", "left", 12);
  EXPECT_EQ(store.ReadNumber("window", "left", 10), 12);
}

// A value that holds nothing reads as the empty text before its type is
// looked at: a number or a flag then takes its default.
TEST_F(RegistryStoreTest, ValuesOfLengthZeroAreEmptyTextsWhateverTheirType) {
  for (const DWORD type : {DWORD{REG_DWORD}, DWORD{REG_BINARY}, DWORD{REG_NONE},
                           DWORD{REG_MULTI_SZ}, DWORD{REG_QWORD}, DWORD{REG_SZ}}) {
    PutValue("window", "left", type, "");
    ASSERT_EQ(GetValue("window", "left").type, type);
    TRegIniFile store(kProductKeyPath);
    EXPECT_EQ(store.ReadText("window", "left", "default"), "") << "type " << type;
    EXPECT_EQ(store.ReadNumber("window", "left", 10), 10) << "type " << type;
    EXPECT_TRUE(store.ReadFlag("window", "left", true)) << "type " << type;
  }
  // One byte is enough to be of the wrong type.
  PutValue("window", "left", REG_BINARY, "\0"s);
  EXPECT_EQ(ErrorOf([] { TRegIniFile(kProductKeyPath).ReadText("window", "left", ""); }),
            "Invalid data type for 'left'");
}

TEST_F(RegistryStoreTest, ValuesOtherProgramsWroteReadAsTheirRawText) {
  PutValue("weather", "last marrowby", REG_EXPAND_SZ, "%USERNAME% at %TEMP%\0"s);
  PutValue("scroll", "rate", REG_EXPAND_SZ, "0x20\0"s);
  PutValue("weather", "last forecast", REG_SZ, "no terminator");
  PutValue("weather", "last update", REG_SZ, "before\0after\0"s);
  TRegIniFile store(kProductKeyPath);
  EXPECT_EQ(store.ReadText("weather", "last marrowby", ""), "%USERNAME% at %TEMP%");
  EXPECT_EQ(store.ReadNumber("scroll", "rate", 150), 32);
  EXPECT_EQ(store.ReadText("weather", "last forecast", ""), "no terminator");
  EXPECT_EQ(store.ReadText("weather", "last update", ""), "before");
}

// The ANSI calls turn a text into UTF-16 by the system's code page and back;
// in a single-byte code page every byte survives that, as the registry
// shows it to a Unicode reader.
TEST_F(RegistryStoreTest, EveryByteIsKeptAsItsCodePageCharacter) {
  CPINFO info;
  ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
  ASSERT_EQ(info.MaxCharSize, 1u) << "code page " << GetACP();
  TRegIniFile store(kProductKeyPath);
  for (int b = 1; b <= 255; ++b) {
    const char byte = static_cast<char>(b);
    store.WriteText("bytes", "one", std::string(1, byte));
    wchar_t expected = 0;
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, &byte, 1, &expected, 1), 1);
    wchar_t stored[4] = {};
    DWORD size = sizeof stored;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Tidewell\\Aerolume\\bytes", L"one",
                           RRF_RT_REG_SZ, nullptr, stored, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(stored[0], expected) << "byte " << b;
    EXPECT_EQ(stored[1], L'\0') << "byte " << b;
    EXPECT_EQ(store.ReadText("bytes", "one", ""), std::string(1, byte)) << "byte " << b;
  }
}

TEST_F(RegistryStoreTest, KeyRemovedUnderAnOpenStoreFailsTheWrite) {
  TRegIniFile store(kProductKeyPath);
  store.WriteNumber("window", "left", 1);
  // Another program (or the user in the registry editor) removes the key.
  ASSERT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, kProductKeyPath), ERROR_SUCCESS);
  ASSERT_FALSE(KeyExists(kProductKey));
  EXPECT_EQ(store.ReadNumber("window", "left", 10), 10);
  EXPECT_EQ(ErrorOf([&] { store.WriteNumber("window", "left", 5); }),
            "Failed to create key window");
  // A new store makes the key again.
  TRegIniFile(kProductKeyPath).WriteNumber("window", "left", 5);
  EXPECT_EQ(TRegIniFile(kProductKeyPath).ReadNumber("window", "left", 10), 5);
}

TEST_F(RegistryStoreTest, NamesTheRegistryCannotHoldAreRefused) {
  TRegIniFile store(kProductKeyPath);
  const std::string too_long(20000, 'n');
  EXPECT_EQ(ErrorOf([&] { store.WriteText("window", too_long, "v"); }),
            "Failed to set data for '" + too_long + "'");
  // A NUL would make the name another, shorter one; the message, a C text,
  // ends there too.
  EXPECT_EQ(ErrorOf([&] { store.WriteText("window", "a\0b"s, "v"); }), "Failed to set data for 'a");
  EXPECT_EQ(ErrorOf([&] { store.WriteText("win\0dow"s, "left", "v"); }), "Failed to create key win");
  EXPECT_EQ(store.ReadText("window", "a", "none"), "none");
  EXPECT_EQ(store.ReadText("window", "a\0b"s, "none"), "none");
  EXPECT_FALSE(KeyExists(kProductKey + "\\win"));
}

}  // namespace
