// Program entry: the program's run with its own main window.
#include <windows.h>

#include <memory>

#include "win32/app/program.h"
#include "win32/main_window/main_window.h"
#include "win32/ui/application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return RunProgram(instance, [](Application& app) {
    return std::make_unique<MainWindow>(app, ProgramEnvironment());
  });
}
