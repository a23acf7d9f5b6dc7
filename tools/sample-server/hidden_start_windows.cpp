// marrowby-weather-server-hidden.exe (Windows only): starts the sample server,
// marrowby-weather-server.exe from this program's own folder, with the
// arguments this program was given, without a console window, and ends.
//
// The server is a console program: started from the log-on entry (the Run
// key) or a shortcut, Windows would open a console window for it. This one
// is a GUI program, which gets none, and it starts the server with
// CREATE_NO_WINDOW, so that the server has a console (for its control
// events) that nobody sees. Stop that server with WM_CLOSE to its window
// (taskkill /im marrowby-weather-server.exe, without /f).
//
// Exit status: 0 once the server is started (whether it then finds its
// ports free is the server's business), 1 when it could not be started.
#include <windows.h>

#include <string>

namespace {

// This program's path, however long.
std::wstring OwnPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L"";
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// What follows the program's name on a command line, as the C runtime splits
// it: the name is quoted up to the next quote, or else ends at a blank.
const wchar_t* Arguments(const wchar_t* line) {
  if (*line == L'"') {
    ++line;
    while (*line != L'\0' && *line != L'"') ++line;
    if (*line == L'"') ++line;
  } else {
    while (*line != L'\0' && *line != L' ' && *line != L'\t') ++line;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::wstring self = OwnPath();
  const std::size_t slash = self.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return 1;
  const std::wstring server = self.substr(0, slash + 1) + L"marrowby-weather-server.exe";
  std::wstring command = L"\"" + server + L"\"";
  const wchar_t* arguments = Arguments(GetCommandLineW());
  if (*arguments != L'\0') command += std::wstring(L" ") + arguments;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(server.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &process)) {
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}
