// The program as it ships, except that it holds for a while right after the
// strip is first painted, before anything else runs (no events, no event
// loop), so that the smoke test can see what start-up put on the screen.
#include <chrono>
#include <memory>
#include <thread>

#include "qt/app/program.h"
#include "qt/main_window/main_window.h"

namespace {

// smoke_test.sh waits past this before it looks at the running program.
constexpr std::chrono::milliseconds kHold{3000};

class HeldMainWindow : public MainWindow {
 public:
  void ShowStrip() override {
    MainWindow::ShowStrip();
    std::this_thread::sleep_for(kHold);
  }
};

}  // namespace

int main(int argc, char** argv) {
  return RunProgram(argc, argv, [] { return std::make_unique<HeldMainWindow>(); });
}
