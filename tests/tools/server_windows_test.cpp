// The sample server's ties to Windows beyond its console, under Wine: its
// window (never shown), through which other programs find it, see where it
// listens and ask it to stop (the installer, taskkill without /f, the
// session's end); and marrowby-weather-server-hidden.exe, which starts the
// server beside it without a console window (the installer's log-on entry).
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <tlhelp32.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "sample-server/server_host.h"
#include "server_process.h"
#include "support/temp_config.h"
#include "weather/http_fetch.h"
#include "weather/sources.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr FetchLimits kPatient{5000, 5000, 20000};

struct ServerWindow {
  HWND window = nullptr;
  std::string title;
};

// The server's window in process `pid` once its title names where it
// listens; no window after 20 s.
ServerWindow WaitForWindow(DWORD pid) {
  struct Search {
    DWORD pid;
    ServerWindow found;
  } search{pid, {}};
  const auto limit = Clock::now() + 20s;
  for (; Clock::now() < limit; std::this_thread::sleep_for(50ms)) {
    search.found = {};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          wchar_t name[64] = L"";
          GetClassNameW(window, name, 64);
          if (owner != s->pid || std::wstring(name) != mw_sample::kWindowClass) return TRUE;
          char title[256] = "";
          GetWindowTextA(window, title, sizeof title);
          s->found = {window, title};
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found.title.find(" on http://") != std::string::npos) break;
  }
  return search.found;
}

// Whether any window of process `pid` is shown.
bool ShowsAWindow(DWORD pid) {
  struct Search {
    DWORD pid;
    bool shown;
  } search{pid, false};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->pid && IsWindowVisible(window)) s->shown = true;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.shown;
}

// Whether process `pid` has a console, and whether that console's window
// is shown.
struct ConsoleState {
  bool attached = false;
  bool shown = false;
};
ConsoleState ConsoleOf(DWORD pid) {
  ConsoleState state;
  FreeConsole();
  state.attached = AttachConsole(pid);
  if (state.attached) {
    const HWND window = GetConsoleWindow();
    state.shown = window != nullptr && IsWindowVisible(window);
    FreeConsole();
  }
  return state;
}

// The digits after "<before> http://127.0.0.1:" in `text`; empty if none.
std::string PortIn(const std::string& text, const std::string& before) {
  const std::string marker = before + " http://127.0.0.1:";
  const std::size_t start = text.find(marker);
  if (start == std::string::npos) return "";
  const std::size_t digits = start + marker.size();
  return text.substr(digits, text.find_first_not_of("0123456789", digits) - digits);
}

// Runs a command line, waits for it (20 s at most) and gives its status; -1
// when it could not be started or did not end.
int RunAndWait(std::string command, DWORD* pid = nullptr) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  if (pid != nullptr) *pid = process.dwProcessId;
  DWORD status = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &status);
  } else {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return static_cast<int>(status);
}

// A process that this test started indirectly; ended when the object goes
// if it is still there.
class Child {
 public:
  explicit Child(DWORD pid)
      : pid_(pid),
        handle_(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                            FALSE, pid)) {}
  ~Child() {
    if (handle_ == nullptr) return;
    TerminateProcess(handle_, 1);
    WaitForSingleObject(handle_, 10000);
    CloseHandle(handle_);
  }
  bool Open() const { return handle_ != nullptr; }
  DWORD Id() const { return pid_; }
  std::string Image() const {
    char path[MAX_PATH * 2] = "";
    DWORD size = sizeof path;
    if (!QueryFullProcessImageNameA(handle_, 0, path, &size)) return "";
    return path;
  }
  // The exit status, or -1 when it did not end within 20 s.
  int Finish() {
    DWORD status = 0;
    if (WaitForSingleObject(handle_, 20000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(handle_, &status)) {
      return -1;
    }
    CloseHandle(handle_);
    handle_ = nullptr;
    return static_cast<int>(status);
  }

 private:
  DWORD pid_;
  HANDLE handle_;
};

// The process that `parent` started from a file named `name`; 0 if none.
DWORD ChildOf(DWORD parent, const char* name) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  DWORD found = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && found == 0;
       more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID == parent && _stricmp(entry.szExeFile, name) == 0) {
      found = entry.th32ProcessID;
    }
  }
  CloseHandle(snapshot);
  return found;
}

std::unique_ptr<ServerProcess> StartServer() {
  return std::make_unique<ServerProcess>(
      MW_SAMPLE_SERVER_PATH,
      std::vector<std::string>{"--primary-port", "0", "--alternate-port", "0", "--quiet"});
}

}  // namespace

TEST(SampleServerWindow, NamesWhereItListensAndStopsCleanlyAtWMClose) {
  auto server = StartServer();
  ASSERT_TRUE(server->Started());
  std::string out;
  server->ReadUntil(out, "alternate source on http://127.0.0.1:");
  server->ReadUntil(out, "\n", 5s);
  const ServerWindow found = WaitForWindow(static_cast<DWORD>(server->Id()));
  ASSERT_NE(found.window, nullptr) << "no window of class MarrowbyWeatherServer";
  EXPECT_FALSE(IsWindowVisible(found.window));
  EXPECT_EQ(found.title.rfind("Marrowby Weather sample server on http://127.0.0.1:", 0), 0u)
      << found.title;
  // The same ports as its output names.
  const std::string primary = PortIn(found.title, "on");
  const std::string alternate = PortIn(found.title, "and");
  ASSERT_FALSE(primary.empty()) << found.title;
  EXPECT_EQ(PortIn(out, "primary source on"), primary) << out;
  EXPECT_EQ(PortIn(out, "alternate source on"), alternate) << out;

  PostMessageW(found.window, WM_CLOSE, 0, 0);
  server->ReadUntil(out, "stopped");
  EXPECT_EQ(server->Finish(), 0);
  EXPECT_NE(out.find("marrowby-weather-server: stopped\r\n"), std::string::npos) << out;
}

TEST(SampleServerWindow, TaskkillWithoutForceStopsItCleanly) {
  auto server = StartServer();
  ASSERT_TRUE(server->Started());
  std::string out;
  server->ReadUntil(out, "alternate source on http://127.0.0.1:");
  ASSERT_NE(WaitForWindow(static_cast<DWORD>(server->Id())).window, nullptr);
  EXPECT_EQ(RunAndWait("taskkill /pid " + std::to_string(server->Id())), 0);
  server->ReadUntil(out, "stopped");
  EXPECT_EQ(server->Finish(), 0);
  EXPECT_NE(out.find("marrowby-weather-server: stopped\r\n"), std::string::npos) << out;
}

TEST(SampleServerWindow, TheSessionsEndStopsItBeforeItsProcessIsEnded) {
  auto server = StartServer();
  ASSERT_TRUE(server->Started());
  std::string out;
  server->ReadUntil(out, "alternate source on http://127.0.0.1:");
  const HWND window = WaitForWindow(static_cast<DWORD>(server->Id())).window;
  ASSERT_NE(window, nullptr);
  DWORD_PTR answer = 0;
  ASSERT_TRUE(
      SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
  // Windows ends the process once WM_ENDSESSION is answered: by then the
  // server has stopped and said so.
  SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &answer);
  server->ReadUntil(out, "stopped", 1s);
  EXPECT_NE(out.find("marrowby-weather-server: stopped\r\n"), std::string::npos) << out;
  EXPECT_EQ(server->Finish(), 0);
}

TEST(SampleServerHidden, StartsTheServerBesideItHiddenWithItsArgumentsAndEnds) {
  DWORD launcher = 0;
  ASSERT_EQ(RunAndWait(std::string("\"") + MW_SERVER_HIDDEN_PATH +
                           "\" --primary-port 0 --alternate-port 0 --scenario unavailable --quiet",
                       &launcher),
            0);
  Child server(ChildOf(launcher, "marrowby-weather-server.exe"));
  ASSERT_TRUE(server.Open()) << "no server started by the launcher";
  std::error_code error;
  EXPECT_TRUE(std::filesystem::equivalent(server.Image(), MW_SAMPLE_SERVER_PATH, error))
      << server.Image();

  const ServerWindow found = WaitForWindow(server.Id());
  const std::string primary = PortIn(found.title, "on");
  ASSERT_FALSE(primary.empty()) << "no window naming where the server listens: " << found.title;
  EXPECT_FALSE(ShowsAWindow(server.Id()));
  // A console for its control events, whose window nobody sees.
  const ConsoleState console = ConsoleOf(server.Id());
  EXPECT_TRUE(console.attached);
  EXPECT_FALSE(console.shown);
  // The arguments came along: the pinned scenario answers.
  FetchResult r =
      FetchHttpDocument("http://127.0.0.1:" + primary + kPrimaryConditionsPath, kPatient, nullptr);
  ASSERT_EQ(r.outcome, FetchOutcome::kDocument) << r.detail;
  EXPECT_NE(r.body.find("WENDMOORE      NOT AVBL"), std::string::npos);

  PostMessageW(found.window, WM_CLOSE, 0, 0);
  EXPECT_EQ(server.Finish(), 0);
}

TEST(SampleServerHidden, WithoutTheServerBesideItEndsWithStatus1) {
  TempConfigDir folder;
  const std::string alone = folder.Path() + "\\marrowby-weather-server-hidden.exe";
  ASSERT_TRUE(CopyFileA(MW_SERVER_HIDDEN_PATH, alone.c_str(), FALSE));
  EXPECT_EQ(RunAndWait("\"" + alone + "\" --quiet"), 1);
}
