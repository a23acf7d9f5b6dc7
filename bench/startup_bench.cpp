// Whole-process start-up to the first paint of the stored texts, beside a bare
// Qt window measured the same way. Needs an X server (DISPLAY), ideally with a
// window manager; bench/strip_bench.sh provides both.
//
// Each iteration starts the program (as startup_probe runs it) and takes
// the time from just before the start to the steady-clock stamp it prints once
// its window is painted on the screen.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Runs `program`; returns the seconds from the start to the stamp it prints,
// or a negative value on failure.
double TimeToFirstPaint(const char* program) {
  int out[2];
  if (pipe(out) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  char* argv[] = {const_cast<char*>(program), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return -1;
  }
  std::string text;
  char buffer[64];
  ssize_t got;
  while ((got = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, got);
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (text.empty()) return -1;
  const auto stamp = std::chrono::steady_clock::time_point(
      std::chrono::nanoseconds(std::strtoll(text.c_str(), nullptr, 10)));
  return std::chrono::duration<double>(stamp - start).count();
}

void Measure(benchmark::State& state, const char* program) {
  if (!std::getenv("DISPLAY")) {
    state.SkipWithError("needs an X server (DISPLAY)");
    return;
  }
  for (auto _ : state) {
    const double seconds = TimeToFirstPaint(program);
    if (seconds < 0) {
      state.SkipWithError("the program printed no stamp");
      return;
    }
    state.SetIterationTime(seconds);
  }
}

void BM_StartupToFirstPaint_BareQtWindow(benchmark::State& state) {
  Measure(state, MW_BARE_WINDOW);
}

void BM_StartupToFirstPaint_MainWindow(benchmark::State& state) {
  // Stored texts to show, and no start-up update.
  const std::filesystem::path config =
      std::filesystem::temp_directory_path() / ("mw-startup-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(config / "Tidewell");
  std::ofstream(config / "Tidewell" / "Aerolume.ini")
      << "[settings]\nonstart=0\n[weather]\nlast forecast=Mostly sunny. Highs near 70.\n"
         "last marrowby=MARROWBY  SUNNY 70\nlast wendmoore=WENDMOORE  FAIR 66\n";
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  Measure(state, MW_PROGRAM);
  std::filesystem::remove_all(config);
}

BENCHMARK(BM_StartupToFirstPaint_BareQtWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_StartupToFirstPaint_MainWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
