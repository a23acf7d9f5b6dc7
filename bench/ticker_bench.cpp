// One ticker step: drop a character and paint what that changes, with a short and a
// very long forecast; the two should cost the same. Offscreen platform, so
// the painting is real (into the window's backing store) and nothing else is
// measured.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "qt/main_window/main_window.h"
#include "qt/main_window/ticker_panel.h"
#include "qt/ui/application.h"

namespace {

std::string Forecast(int length) {
  const std::string words = "Mostly sunny. Highs near 70. Winds light and variable. ";
  std::string text;
  while (static_cast<int>(text.size()) < length) text += words;
  text.resize(static_cast<std::size_t>(length));
  return text;
}

void BM_TickerStep(benchmark::State& state) {
  MainWindow window;
  TfrmMain& frm = window.frmMain;
  frm.FormCreate();
  frm.ScrollInTaskbar = state.range(1) != 0;
  // The ticker starts the forecast from its beginning, as after a pass.
  frm.ForecastText = Forecast(static_cast<int>(state.range(0)));
  while (frm.Caption() != frm.ForecastText) frm.tmrScrollTimer();
  for (auto _ : state) {
    frm.tmrScrollTimer();
    QCoreApplication::processEvents();  // the step's paint, as the event loop does it
  }
  state.SetLabel(frm.ScrollInTaskbar ? "taskbar mirror on" : "taskbar mirror off");
}

BENCHMARK(BM_TickerStep)->ArgsProduct({{300, 30000}, {0, 1}})->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const std::filesystem::path config =
      std::filesystem::temp_directory_path() / ("mw-ticker-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(config / "Tidewell");
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  // Only the ticker is measured: no start-up update.
  std::ofstream(config / "Tidewell" / "Aerolume.ini") << "[settings]\nonstart=0\n";
  Application app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(config);
  return 0;
}
