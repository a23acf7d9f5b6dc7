// ServerProcess on Windows: CreateProcess with the child's output into a
// pipe, and a console of the child's own when it is to be asked to stop (so
// that Ctrl+C and Ctrl+Break reach it and nobody else).
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "server_process.h"

using Clock = std::chrono::steady_clock;

namespace {

// A console control event reaches every process on the console, this one
// too while it sits on the child's to send it; here it is swallowed. Kept
// for the life of the process: the event may arrive after this process has
// left that console again.
BOOL WINAPI Swallow(DWORD) { return TRUE; }

// The command line of `args` as the C runtime splits it again; none of the
// tests' arguments holds a quote.
std::string CommandLine(const std::string& program, const std::vector<std::string>& args) {
  std::string line = "\"" + program + "\"";
  for (const std::string& arg : args) line += " \"" + arg + "\"";
  return line;
}

}  // namespace

struct ServerProcess::Child {
  PROCESS_INFORMATION process{};
  HANDLE out = nullptr;  // the reading end of its standard output and error
  bool console = false;
};

ServerProcess::ServerProcess(const std::string& program, const std::vector<std::string>& args,
                             const ServerLaunch& launch)
    : child_(std::make_unique<Child>()) {
  if (!launch.wrapper.empty()) {
    ADD_FAILURE() << "launchers are for POSIX systems";
    return;
  }
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE write_end = nullptr;
  if (!CreatePipe(&child_->out, &write_end, &inherited, 0)) return;
  SetHandleInformation(child_->out, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  startup.wShowWindow = SW_HIDE;  // the console window, where there is one
  std::string line = CommandLine(program, args);
  child_->console = launch.stop_requests;
  const DWORD console = child_->console ? CREATE_NEW_CONSOLE : DETACHED_PROCESS;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, console, nullptr, nullptr,
                      &startup, &child_->process)) {
    child_->process = {};
  }
  // Only the child holds the writing end now: its end closes the pipe.
  CloseHandle(write_end);
}

ServerProcess::~ServerProcess() {
  if (child_->process.hProcess != nullptr) {
    TerminateProcess(child_->process.hProcess, 1);
    WaitForSingleObject(child_->process.hProcess, 10000);
    CloseHandle(child_->process.hProcess);
    CloseHandle(child_->process.hThread);
  }
  if (child_->out != nullptr) CloseHandle(child_->out);
}

bool ServerProcess::Started() const { return child_->process.hProcess != nullptr; }

long ServerProcess::Id() const { return static_cast<long>(child_->process.dwProcessId); }

void ServerProcess::ReadUntil(std::string& out, const std::string& marker,
                              std::chrono::seconds limit) {
  auto until = Clock::now() + limit;
  char chunk[512];
  while (out.find(marker) == std::string::npos && Clock::now() < until) {
    DWORD available = 0;
    if (!PeekNamedPipe(child_->out, nullptr, 0, nullptr, &available, nullptr)) break;  // closed
    if (available == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      continue;
    }
    DWORD n = 0;
    if (!ReadFile(child_->out, chunk, sizeof chunk, &n, nullptr) || n == 0) break;
    out.append(chunk, n);
  }
}

// As a person at the child's console would: this process joins that
// console for the moment and sends the event to everyone on it.
void ServerProcess::AskToStop(Request request) {
  if (!child_->console) {
    ADD_FAILURE() << "started without ServerLaunch::stop_requests: the server has no console";
    return;
  }
  static const BOOL swallowing = SetConsoleCtrlHandler(Swallow, TRUE);
  (void)swallowing;
  FreeConsole();
  if (!AttachConsole(child_->process.dwProcessId)) {
    ADD_FAILURE() << "cannot reach the server's console: error " << GetLastError();
    return;
  }
  if (!GenerateConsoleCtrlEvent(request == Request::kInterrupt ? CTRL_C_EVENT : CTRL_BREAK_EVENT,
                                0)) {
    ADD_FAILURE() << "cannot send the console event: error " << GetLastError();
  }
  FreeConsole();
}

int ServerProcess::Finish(std::chrono::seconds limit) {
  const DWORD ms = static_cast<DWORD>(std::chrono::milliseconds(limit).count());
  if (WaitForSingleObject(child_->process.hProcess, ms) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "the server did not stop in time";
    return -1;  // the destructor ends it
  }
  DWORD code = 0;
  GetExitCodeProcess(child_->process.hProcess, &code);
  CloseHandle(child_->process.hProcess);
  CloseHandle(child_->process.hThread);
  child_->process = {};
  return static_cast<int>(code);
}
