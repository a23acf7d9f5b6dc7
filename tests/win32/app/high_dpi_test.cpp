// The program as it ships (marrowby-weather.exe) on a screen of 192 dpi
// under Wine: the first run's strip is the form's width at that DPI, and a
// stored width stays the pixels it was stored as.
//
// Wine takes a process's DPI from HKCU\Control Panel\Desktop\LogPixels when
// the process starts. The case sets it for the program it starts and puts
// it back; it runs alone (RUN_SERIAL), so no other test starts at 192 dpi.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>

#include "store/reg_ini_file.h"
#include "store/stored_entries.h"
#include "support/registry_sandbox.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kDesktopKey[] = "Control Panel\\Desktop";

// LogPixels set to `dpi` while the object lives; as it was afterwards.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) {
    RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                    nullptr, &key_, nullptr);
    DWORD size = sizeof old_;
    DWORD type = 0;
    had_value_ = RegQueryValueExA(key_, "LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&old_),
                                  &size) == ERROR_SUCCESS &&
                 type == REG_DWORD;
    set_ = RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                          sizeof dpi) == ERROR_SUCCESS;
  }
  ~ScreenDpi() {
    if (had_value_) {
      RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                     sizeof old_);
    } else {
      RegDeleteValueA(key_, "LogPixels");
    }
    RegCloseKey(key_);
  }
  ScreenDpi(const ScreenDpi&) = delete;
  ScreenDpi& operator=(const ScreenDpi&) = delete;
  bool Set() const { return set_; }

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_value_ = false;
  bool set_ = false;
};

struct Shown {
  int width = 0;          // the strip's outer width, in the screen's pixels
  int client_height = 0;  // its client height
  int status = -1;        // the exit status after a close
};

// Starts the program, measures its strip once it shows, closes it with the
// close box's message and waits for its end; killed should it not end.
Shown RunTheProgram() {
  Shown run;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  std::string command = std::string("\"") + MW_PROGRAM_EXE + "\"";
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return run;
  }
  HWND strip = nullptr;
  const auto limit = Clock::now() + std::chrono::seconds(60);
  for (; !strip && Clock::now() < limit; Sleep(50)) {
    const HWND found = FindWindowA("MarrowbyWeatherStrip", nullptr);
    if (found && IsWindowVisible(found)) strip = found;
  }
  if (strip) {
    // The pixels as the program itself sees them, not scaled to this
    // process's DPI.
    const DPI_AWARENESS_CONTEXT old =
        SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    RECT frame, client;
    GetWindowRect(strip, &frame);
    GetClientRect(strip, &client);
    if (old) SetThreadDpiAwarenessContext(old);
    run.width = frame.right - frame.left;
    run.client_height = client.bottom;
    PostMessageA(strip, WM_CLOSE, 0, 0);
    DWORD status = 0;
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process.hProcess, &status)) {
      run.status = static_cast<int>(status);
    }
  }
  TerminateProcess(process.hProcess, 99);  // if it is still there
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return run;
}

std::string StoredWidth() {
  return TRegIniFile(kProductKeyPath).ReadText(kWidth.section, kWidth.name, "<none>");
}

}  // namespace

TEST(HighDpiTest, TheFirstRunIsTheFormsWidthAtTheScreensDpiAndAStoredWidthStays) {
  if (!RunningUnderWine()) GTEST_SKIP() << "the screen's DPI is set through Wine's registry";
  RegistrySandbox sandbox;
  {
    TRegIniFile store(kProductKeyPath);
    Write(store, kOnStart, false);  // no update: the strip alone
    store.UpdateFile();
  }
  ScreenDpi dpi(192);
  ASSERT_TRUE(dpi.Set());

  // Nothing stored: twice the form's 340 pixels, as tall as twice its 33.
  const Shown first = RunTheProgram();
  ASSERT_GT(first.client_height, 0) << "no strip";
  EXPECT_GE(first.client_height, 2 * 33) << "the program did not run at 192 dpi";
  EXPECT_EQ(first.width, 680);
  EXPECT_EQ(first.status, 0);
  // The close stores the pixels, so the next start keeps them.
  EXPECT_EQ(StoredWidth(), "680");
  const Shown again = RunTheProgram();
  EXPECT_EQ(again.width, 680);

  // A width the user gave it stays as stored.
  {
    TRegIniFile store(kProductKeyPath);
    Write(store, kWidth, 500);
    store.UpdateFile();
  }
  const Shown stored = RunTheProgram();
  EXPECT_EQ(stored.width, 500);
  EXPECT_EQ(StoredWidth(), "500");
}
