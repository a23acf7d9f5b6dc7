// One full "&Update Now" against a loopback server that serves the sample
// data server's documents: both documents fetched, cut and shown (status
// texts painted, title, picture, ticker), on the offscreen platform.
//
// The time outside the network is reported separately: every iteration also
// fetches the same two documents with the bare fetch, and the counters give
// the update's mean time, the bare fetches' mean time and their difference -
// what the window itself spends on an update.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "qt/main_window/main_window.h"
#include "qt/ui/application.h"
#include "qt/ui/message_boxes.h"
#include "sample-server/sample_documents.h"
#include "support/loopback_server.h"
#include "support/no_proxy.h"
#include "weather/http_fetch.h"
#include "weather/sources.h"

namespace {

using Clock = std::chrono::steady_clock;

// A failed fetch would open a real box and wait for the user: count it and
// go on instead.
class CountingBoxes : public MessageBoxes {
 public:
  void ShowError(const QString&) override { ++shown; }
  void ShowInformation(const QString&) override { ++shown; }
  void ShowForecast(const QString&, const QString&) override {}
  void ShowUncaughtError(const QString&, const QString&) override { ++shown; }
  int RunModal(QDialog&) override { return 0; }
  int shown = 0;
};

void BM_UpdateNow(benchmark::State& state) {
  const bool alternate = state.range(0) != 0;
  const mw_sample::SampleDocuments docs = mw_sample::MakeSampleDocuments(
      mw_sample::Scenario::kRain, mw_sample::SampleClock{1717243200, 0, "UTC"});
  LoopbackServer server(std::chrono::minutes(30));
  server.Serve(kPrimaryConditionsPath, LoopbackReply::Page(200, docs.roundup_text));
  server.Serve(kPrimaryForecastPath, LoopbackReply::Page(200, docs.forecast_text));
  server.Serve(kAlternateConditionsPath, LoopbackReply::Page(200, docs.roundup_html));
  server.Serve(kAlternateForecastPath, LoopbackReply::Page(200, docs.forecast_html));
  setenv(kPrimaryServerVariable, server.Authority().c_str(), 1);
  setenv(kAlternateServerVariable, server.Authority().c_str(), 1);
  CountingBoxes boxes;
  InstallMessageBoxes(&boxes);

  MainWindow window;
  TfrmMain& frm = window.frmMain;
  frm.FormCreate();
  frm.UseAlternateSource = alternate;
  const WeatherSource source = alternate ? WeatherSource::kAlternate : WeatherSource::kPrimary;
  const std::string conditions_url = DocumentAddress(WeatherDocument::kConditions, source);
  const std::string forecast_url = DocumentAddress(WeatherDocument::kForecast, source);

  Clock::duration update{};
  Clock::duration network{};
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    frm.pUpdateClick();
    const Clock::time_point updated = Clock::now();
    benchmark::DoNotOptimize(FetchHttpDocument(conditions_url, frm.fetchLimits, {}));
    benchmark::DoNotOptimize(FetchHttpDocument(forecast_url, frm.fetchLimits, {}));
    update += updated - start;
    network += Clock::now() - updated;
    state.SetIterationTime(std::chrono::duration<double>(updated - start).count());
  }
  if (boxes.shown > 0 || frm.ForecastText != docs.forecast_line ||
      frm.PrimaryConditions != docs.primary_entry) {
    state.SkipWithError("the update did not show the served documents");
  }
  const double n = static_cast<double>(state.iterations());
  const auto us = [n](Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count() / n;
  };
  state.counters["update_us"] = us(update);
  state.counters["network_us"] = us(network);
  state.counters["outside_network_us"] = us(update) - us(network);
  state.SetLabel(alternate ? "alternate source (HTML pages)" : "primary source (bulletins)");
  InstallMessageBoxes(nullptr);
}

BENCHMARK(BM_UpdateNow)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ForgetProxySettings();
  const std::filesystem::path config =
      std::filesystem::temp_directory_path() / ("mw-update-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(config / "Tidewell");
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  // The window starts on stored texts; the benchmark runs the updates.
  std::ofstream(config / "Tidewell" / "Aerolume.ini") << "[settings]\nonstart=0\n";
  Application app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(config);
  return 0;
}
