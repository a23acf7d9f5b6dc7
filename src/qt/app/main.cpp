// Program entry: the program's run with its own main window.
#include <memory>

#include "qt/app/program.h"
#include "qt/main_window/main_window.h"

int main(int argc, char** argv) {
  return RunProgram(argc, argv, [] { return std::make_unique<MainWindow>(ProgramEnvironment()); });
}
