// Program entry: the program's run with its own main window.
#include <memory>

#include "app/program.h"
#include "shell/wx.h"

int main(int argc, char** argv) {
  return RunProgram(argc, argv, [] { return std::make_unique<TfrmMain>(); });
}
