#include "sample_sources.h"

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>

#ifdef MW_SAMPLE_SERVER_EXE
namespace {

// "host:port" after `marker` in the server's report, "" until it is there.
std::string AuthorityAfter(const std::string& output, const std::string& marker) {
  const std::size_t at = output.find(marker);
  if (at == std::string::npos) return "";
  const std::size_t start = at + marker.size();
  const std::size_t end = output.find_first_of("\r\n", start);
  if (end == std::string::npos) return "";
  return output.substr(start, end - start);
}

}  // namespace
#endif

SampleSources::SampleSources() {
#ifdef MW_SAMPLE_SERVER_EXE
  // The server's report of its ports comes through a pipe.
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) {
    problem = "no pipe for the sample server's output";
    return;
  }
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  // Ends by itself a minute after its last connection, should the test die.
  std::string command = std::string("\"") + MW_SAMPLE_SERVER_EXE +
                        "\" --primary-port 0 --alternate-port 0 --idle-exit 60";
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process_)) {
    problem = "the sample server " + std::string(MW_SAMPLE_SERVER_EXE) + " did not start";
    CloseHandle(read_end);
    CloseHandle(write_end);
    return;
  }
  CloseHandle(write_end);
  std::string output;
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < limit) {
    primary = AuthorityAfter(output, "primary source on http://");
    alternate = AuthorityAfter(output, "alternate source on http://");
    if (Ready()) break;
    DWORD waiting = 0;
    if (!PeekNamedPipe(read_end, nullptr, 0, nullptr, &waiting, nullptr)) break;
    if (waiting == 0) {
      Sleep(20);
      continue;
    }
    char chunk[512];
    DWORD got = 0;
    if (!ReadFile(read_end, chunk, sizeof chunk, &got, nullptr) || got == 0) break;
    output.append(chunk, got);
  }
  CloseHandle(read_end);
  if (!Ready()) {
    primary.clear();
    alternate.clear();
    problem = "the sample server did not report its ports: " + output;
  }
#else
  const char* named = std::getenv("MW_SAMPLE_SOURCES");
  if (!named || !*named) {
    problem = "no sample server: this build has none, and MW_SAMPLE_SOURCES is not set";
    return;
  }
  std::istringstream sources(named);
  sources >> primary >> alternate;
  if (!Ready()) problem = std::string("MW_SAMPLE_SOURCES is not two sources: ") + named;
#endif
}

SampleSources::~SampleSources() {
  if (process_.hProcess) {
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, 10000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
}
