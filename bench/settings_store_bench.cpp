// What the settings store costs the user: the reads at start-up and the
// writes when the main window closes, each on a store of its own, against a
// settings file of the usual size in a temporary folder.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "store/reg_ini_file.h"
#include "store/stored_entries.h"

namespace {

const std::string kForecast(600, 'F');

void FillTypicalFile() {
  TRegIniFile store(kProductKeyPath);
  Write(store, kLeft, 10);
  Write(store, kTop, 40);
  Write(store, kWidth, 340);
  Write(store, kBold, true);
  Write(store, kRate, 150);
  Write(store, kOnStart, true);
  Write(store, kLastForecast, kForecast);
  Write(store, kLastMarrowby, "Marrowby    Sunny 61 \xB0");
  Write(store, kLastWendmoore, "Wendmoore   Cloudy 58");
  Write(store, kLastUpdate, "Last Updated 10:30");
}

void StartUpReads(benchmark::State& state) {
  FillTypicalFile();
  for (auto _ : state) {
    TRegIniFile store(kProductKeyPath);
    benchmark::DoNotOptimize(Read(store, kLeft));
    benchmark::DoNotOptimize(Read(store, kTop));
    benchmark::DoNotOptimize(Read(store, kWidth));
    benchmark::DoNotOptimize(Read(store, kLastForecast));
    benchmark::DoNotOptimize(Read(store, kLastMarrowby));
    benchmark::DoNotOptimize(Read(store, kLastWendmoore));
    benchmark::DoNotOptimize(Read(store, kLastUpdate));
    benchmark::DoNotOptimize(Read(store, kOnStart));
  }
}
BENCHMARK(StartUpReads);

// Seven flushed, renamed writes: the wait between closing the window and
// the program's end.
void CloseWrites(benchmark::State& state) {
  FillTypicalFile();
  for (auto _ : state) {
    TRegIniFile store(kProductKeyPath);
    Write(store, kLeft, 10);
    Write(store, kTop, 40);
    Write(store, kWidth, 340);
    Write(store, kLastForecast, kForecast);
    Write(store, kLastMarrowby, "Marrowby    Sunny 61 \xB0");
    Write(store, kLastWendmoore, "Wendmoore   Cloudy 58");
    Write(store, kLastUpdate, "Last Updated 10:30");
  }
}
BENCHMARK(CloseWrites)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  std::string folder = (std::filesystem::temp_directory_path() / "mw-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) return 1;
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(folder);
  return 0;
}
