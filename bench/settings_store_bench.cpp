// What the settings store costs the user: the reads at start-up and the
// writes when the main window closes, each on a store of its own, against a
// settings file of the usual size in a temporary folder.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "store/reg_ini_file.h"

namespace {

const std::string kForecast(600, 'F');

void FillTypicalFile() {
  TRegIniFile store(kProductKeyPath);
  store.WriteNumber("window", "left", 10);
  store.WriteNumber("window", "top", 40);
  store.WriteNumber("window", "width", 340);
  store.WriteFlag("window", "bold", true);
  store.WriteNumber("scroll", "rate", 150);
  store.WriteFlag("settings", "onstart", true);
  store.WriteText("weather", "last forecast", kForecast);
  store.WriteText("weather", "last marrowby", "Marrowby    Sunny 61 \xB0");
  store.WriteText("weather", "last wendmoore", "Wendmoore   Cloudy 58");
  store.WriteText("weather", "last update", "Last Updated 10:30");
}

void StartUpReads(benchmark::State& state) {
  FillTypicalFile();
  for (auto _ : state) {
    TRegIniFile store(kProductKeyPath);
    benchmark::DoNotOptimize(store.ReadNumber("window", "left", 10));
    benchmark::DoNotOptimize(store.ReadNumber("window", "top", 40));
    benchmark::DoNotOptimize(store.ReadNumber("window", "width", 340));
    benchmark::DoNotOptimize(store.ReadText("weather", "last forecast", ""));
    benchmark::DoNotOptimize(store.ReadText("weather", "last marrowby", ""));
    benchmark::DoNotOptimize(store.ReadText("weather", "last wendmoore", ""));
    benchmark::DoNotOptimize(store.ReadText("weather", "last update", ""));
    benchmark::DoNotOptimize(store.ReadFlag("settings", "onstart", true));
  }
}
BENCHMARK(StartUpReads);

// Seven flushed, renamed writes: the wait between closing the window and
// the program's end.
void CloseWrites(benchmark::State& state) {
  FillTypicalFile();
  for (auto _ : state) {
    TRegIniFile store(kProductKeyPath);
    store.WriteNumber("window", "left", 10);
    store.WriteNumber("window", "top", 40);
    store.WriteNumber("window", "width", 340);
    store.WriteText("weather", "last forecast", kForecast);
    store.WriteText("weather", "last marrowby", "Marrowby    Sunny 61 \xB0");
    store.WriteText("weather", "last wendmoore", "Wendmoore   Cloudy 58");
    store.WriteText("weather", "last update", "Last Updated 10:30");
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
