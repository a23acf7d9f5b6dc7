// The program as it ships (marrowby-weather.exe), started under Wine against
// the sample data server: the strip appears titled with the station line, a
// log-off that is cancelled leaves it running, and the system's close stores
// the forecast in the registry, or, where the registry refuses, ends with
// status 1, one line on standard error and no box.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>

#include "sample_server.h"
#include "store/reg_ini_file.h"
#include "support/registry_sandbox.h"
#include "text/ascii_case.h"

namespace {

using Clock = std::chrono::steady_clock;

// The program, its standard error read through a pipe; killed if it is
// still there when the object goes. The tests run one at a time, so its
// windows are the only ones of their classes.
class Program {
 public:
  Program() {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    CreatePipe(&errors_, &write_end_, &inherit, 1 << 16);
    SetHandleInformation(errors_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = startup.hStdOutput = write_end_;
    std::string command = std::string("\"") + MW_PROGRAM_EXE + "\"";
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &startup, &process_);
    CloseHandle(write_end_);
  }
  ~Program() {
    if (started_) {
      TerminateProcess(process_.hProcess, 99);  // if it is still there
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    CloseHandle(errors_);
  }
  bool Started() const { return started_; }
  DWORD Id() const { return process_.dwProcessId; }

  // The strip once its title starts with `title` (in lower case); nullptr
  // after `seconds` (Wine's first start of a program takes a few).
  static HWND WaitForStrip(const std::string& title, int seconds) {
    const auto limit = Clock::now() + std::chrono::seconds(seconds);
    for (; Clock::now() < limit; Sleep(50)) {
      const HWND strip = FindWindowA("MarrowbyWeatherStrip", nullptr);
      char text[1024] = "";
      if (strip) GetWindowTextA(strip, text, sizeof text);
      if (strip && StartsWithCaseless(text, title)) return strip;
    }
    return nullptr;
  }
  // The exit status, or -1 when it did not end within `seconds`.
  int Finish(int seconds) {
    DWORD status = 0;
    if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(seconds) * 1000) !=
            WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_.hProcess, &status)) {
      return -1;
    }
    return static_cast<int>(status);
  }
  // What the program has written on standard error.
  std::string Errors() {
    std::string text;
    char chunk[512];
    DWORD waiting = 0, got = 0;
    while (PeekNamedPipe(errors_, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0 &&
           ReadFile(errors_, chunk, sizeof chunk, &got, nullptr) && got > 0) {
      text.append(chunk, got);
    }
    return text;
  }

 private:
  PROCESS_INFORMATION process_{};
  HANDLE errors_ = nullptr;
  HANDLE write_end_ = nullptr;
  bool started_ = false;
};

std::string Text(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string Stored(const char* section, const char* entry) {
  return TRegIniFile(kProductKeyPath).ReadText(section, entry, "<none>");
}

// Runs a program of the system and waits for it (bounded).
void RunAndWait(std::string command) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                             nullptr, nullptr, &startup, &process));
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0) << command;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
}

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(server_.problem, ""); }
  RegistrySandbox sandbox_;
  SampleServer server_;
};

}  // namespace

TEST_F(ProgramTest, TheStripShowsTheStationLineOutlivesACancelledLogOffAndItsCloseStores) {
  {
    TRegIniFile store(kProductKeyPath);
    store.WriteText("window", "showtask", "1");  // the taskbar button shows the ticker
    store.UpdateFile();
  }
  Program program;
  ASSERT_TRUE(program.Started());
  const HWND strip = Program::WaitForStrip("marrowby ", 90);
  ASSERT_NE(strip, nullptr) << "no strip titled with the Marrowby station line";

  // A log-off that another program cancels: asked, then told it goes on.
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutA(strip, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                  10000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  EXPECT_TRUE(StartsWithCaseless(Stored("weather", "last marrowby"), "marrowby "));
  SendMessageTimeoutA(strip, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000,
                      &answer);
  // Still there, titled with a station line, its ticker moving.
  const HWND button = FindWindowA("MarrowbyWeatherApplication", nullptr);
  ASSERT_NE(button, nullptr);
  const std::string shown = Text(button);
  const auto limit = Clock::now() + std::chrono::seconds(10);
  while (IsWindow(button) && Text(button) == shown && Clock::now() < limit) Sleep(20);
  EXPECT_TRUE(IsWindow(button));
  EXPECT_NE(Text(button), shown);
  EXPECT_EQ(program.Finish(0), -1);
  EXPECT_TRUE(IsWindowVisible(strip));
  const std::string title = Text(strip);
  EXPECT_TRUE(StartsWithCaseless(title, "marrowby ") || StartsWithCaseless(title, "wendmoore"))
      << title;

  // A close as another program asks for it: WM_CLOSE to its windows.
  RunAndWait("taskkill /pid " + std::to_string(program.Id()));
  EXPECT_EQ(program.Finish(30), 0);
  EXPECT_TRUE(StartsWithCaseless(Stored("weather", "last marrowby"), "marrowby "));
  const std::string forecast = Stored("weather", "last forecast");
  EXPECT_NE(forecast, "<none>");
  EXPECT_NE(forecast, "Getting Forecast...");
  EXPECT_EQ(Stored("weather", "last update").rfind("Last Updated ", 0), 0u);
  EXPECT_EQ(Stored("window", "left"), "10");
}

TEST_F(ProgramTest, TheSessionsEndOnARegistryThatRefusesEndsWithStatus1AndNoBox) {
  {
    TRegIniFile store(kProductKeyPath);  // made here, so that it can be replaced below
    store.WriteText("settings", "onstart", "0");
    store.UpdateFile();
  }
  Program program;
  ASSERT_TRUE(program.Started());
  const HWND strip = Program::WaitForStrip("getting current conditions...", 90);
  ASSERT_NE(strip, nullptr);
  // The product key, volatile now: no section can be made below it.
  RegDeleteTreeA(HKEY_CURRENT_USER, kProductKeyPath);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kProductKeyPath, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);

  DWORD_PTR answer = 0;
  EXPECT_TRUE(
      SendMessageTimeoutA(strip, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  EXPECT_EQ(FindWindowA("#32770", nullptr), nullptr);  // no box
  SendMessageTimeoutA(strip, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &answer);
  EXPECT_EQ(program.Finish(10), 1);
  EXPECT_NE(program.Errors().find("marrowby-weather: cannot store the settings in "),
            std::string::npos);
}
