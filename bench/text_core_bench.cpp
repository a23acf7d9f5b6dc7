// The weather text core on documents as large as one read delivers
// (32,767 bytes): the work buffer's operations, the line splitting, and the
// two cuts that every update runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "weather/conditions.h"
#include "weather/document_lines.h"
#include "weather/forecast.h"
#include "weather/work_buffer.h"

namespace {

constexpr std::size_t kReadLimit = 32767;

const char* const kCities[] = {
    "ASHCOMBE",  "BARTON",   "CALDER",  "DUNMERE", "ELSWICK", "FARNLEY",   "GORSEDALE", "HARTLEY",
    "IVYBRIDGE", "KESWORTH", "LANGDON", "MELTHAM", "NORBURY", "OAKHURST",  "PENWORTH",  "QUARNDON",
    "RIVINGTON", "SALTBURN", "THORNEY", "UPTON",   "VALEBY",  "WESTHOLME", "YARLSIDE",
};
const char* const kSkies[] = {"SUNNY",   "MOSUNNY",  "PTCLDY",   "CLOUDY", "FOG", "LGT RAIN",
                              "SHOWERS", "LGT SNOW", "FRZ RAIN", "CLEAR",  "HAZE"};
const char* const kWinds[] = {"W20G29", "CALM", "VRB3", "SW12", "NE8", "S5", "NW15G24"};

std::string Padded(std::string text, std::size_t width) {
  text.resize(std::max(text.size(), width), ' ');
  return text;
}

std::string StationRow(const std::string& city, int n) {
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "%-4d%-4d%-3d", 40 + n % 45, 30 + n % 30, 40 + n % 55);
  char pressure[16];
  std::snprintf(pressure, sizeof pressure, "30.%02d%c", n % 40, "RFS"[n % 3]);
  return Padded(city, 15) + Padded(kSkies[n % 11], 10) + numbers + Padded(kWinds[n % 7], 11) +
         Padded(pressure, 7) + (n % 4 == 0 ? "WCI  21" : "") + " TC " + std::to_string(5 + n % 25) +
         "\r\r\n";
}

std::string RoundupRegion(const std::string& heading, int first, int rows) {
  std::string region = "\r\r\n...";
  region += heading;
  region += "...\r\r\n\r\r\nCITY           SKY/WX    TMP DP  RH WIND       PRES   REMARKS\r\r\n";
  for (int i = 0; i < rows; ++i) {
    const int n = first + i;
    std::string city = kCities[n % 23];
    if (n >= 23) city.append(" ").append(std::to_string(n));
    region += StationRow(city, n);
  }
  return region + "\r\r\n$$\r\r\n";
}

// A roundup with the Brennik valley region, where both stations report,
// late in the document, so the searches run through most of it.
std::string MakeRoundup() {
  std::string doc =
      "000 \r\r\nASUS46 KMRB 121500\r\r\nRWRMRB\r\r\n\r\r\nREGIONAL WEATHER ROUNDUP\r\r\n"
      "NATIONAL WEATHER SERVICE MARROWBY\r\r\n1100 AM EDT MON JUN 12 2023\r\r\n";
  int n = 0;
  for (int region = 0; doc.size() < 27000; ++region) {
    doc += RoundupRegion("NORTHERN UPLANDS SECTION " + std::to_string(region), n, 18);
    n += 18;
  }
  std::string brennik = RoundupRegion("BRENNIK VALLEY AND COAST", n, 8);
  const std::size_t at = brennik.find("\r\r\n", brennik.find("REMARKS")) + 3;
  brennik.insert(at, StationRow("WENDMOORE", 3) + StationRow("TOLLERTON", 5));
  brennik.insert(brennik.rfind("$$"), StationRow("MARROWBY", 2));
  doc += brennik;
  while (doc.size() < kReadLimit) doc += RoundupRegion("SOUTHERN COAST", n++, 18);
  doc.resize(kReadLimit);  // as the single read cuts it
  return doc;
}

const char* const kPeriods[] = {".TODAY",     ".TONIGHT",  ".TUESDAY", ".TUESDAY NIGHT",
                                ".WEDNESDAY", ".THURSDAY", ".FRIDAY",  ".SATURDAY"};
const char* const kPhrases[] = {"MOSTLY SUNNY.",
                                "PARTLY CLOUDY.",
                                "A CHANCE OF SHOWERS.",
                                "HIGHS IN THE LOWER 70S.",
                                "LOWS IN THE MID 50S.",
                                "WEST WINDS 5 TO 10 MPH.",
                                "CHANCE OF RAIN 40 PERCENT.",
                                "PATCHY FOG AFTER MIDNIGHT.",
                                "LIGHT AND VARIABLE WINDS."};

// Forecast periods wrapped at 69 columns; the last full stop ends the zone.
std::string Periods(int seed, const std::string& end_marker) {
  std::string text;
  for (int p = 0; p < 8; ++p) {
    std::string period = std::string(kPeriods[p]) + "...";
    for (int k = 0; k < 4; ++k) period += std::string(kPhrases[(seed + p * 3 + k) % 9]) + " ";
    period.pop_back();
    while (period.size() > 69) {
      const std::size_t cut = period.rfind(' ', 69);
      text += period.substr(0, cut) + "\r\r\n";
      period.erase(0, cut + 1);
    }
    text += period + (p == 7 ? end_marker : "") + "\r\r\n";
  }
  return text;
}

std::string Zone(int code, const std::string& names, const std::string& cities, int seed) {
  return "MRZ0" + std::to_string(code) + "-122000-\r\r\n" + names + "-\r\r\n" + cities +
         "\r\r\n400 AM EDT MON 6/12\r\r\n" + Periods(seed, "<END>") + "\r\r\n$$\r\r\n\r\r\n";
}

// A zone forecast with the Marrowby metro zone late in the document.
std::string MakeZoneForecast() {
  std::string doc =
      "000 \r\r\nFPUS55 KMRB 121000\r\r\nZFPMRB\r\r\n\r\r\nZONE FORECAST PRODUCT\r\r\n"
      "NATIONAL WEATHER SERVICE MARROWBY\r\r\n400 AM EDT MON JUN 12 2023\r\r\n\r\r\n";
  int zone = 10;
  while (doc.size() < 27000) {
    doc += Zone(zone, std::string(kCities[zone % 23]) + " HILLS",
                "INCLUDING THE CITIES OF...CALDER...DUNMERE", zone);
    ++zone;
  }
  doc += Zone(zone++, "MARROWBY METRO", "INCLUDING MARROWBY METRO", 4);
  while (doc.size() < kReadLimit) {
    doc += Zone(zone, "SOUTH COAST", "INCLUDING THE CITIES OF...SALTBURN", zone);
    ++zone;
  }
  doc.resize(kReadLimit);
  return doc;
}

WorkBuffer Loaded(const std::string& body) {
  WorkBuffer buffer;
  buffer.ClearBuffer();
  for (const std::string& line : SplitDocumentLines(body)) buffer.AppendLine(line);
  return buffer;
}

const std::string& Roundup() {
  static const std::string doc = MakeRoundup();
  return doc;
}
const std::string& ZoneForecastDoc() {
  static const std::string doc = MakeZoneForecast();
  return doc;
}

void SetBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// ---- Splitting and the seven operations ------------------------------------

void BM_SplitDocumentLines(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(SplitDocumentLines(Roundup()));
  SetBytes(state, Roundup().size());
}
BENCHMARK(BM_SplitDocumentLines);

void BM_AppendLine_WholeDocument(benchmark::State& state) {
  const std::vector<std::string> lines = SplitDocumentLines(Roundup());
  WorkBuffer buffer;
  for (auto _ : state) {
    buffer.ClearBuffer();
    for (const std::string& line : lines) buffer.AppendLine(line);
    benchmark::DoNotOptimize(buffer.Length());
  }
  state.counters["lines"] = static_cast<double>(lines.size());
  SetBytes(state, Roundup().size());
}
BENCHMARK(BM_AppendLine_WholeDocument);

void BM_WholeText_Copy(benchmark::State& state) {
  const WorkBuffer buffer = Loaded(Roundup());
  for (auto _ : state) {
    std::string copy = buffer.WholeText();
    benchmark::DoNotOptimize(copy);
  }
  SetBytes(state, static_cast<std::size_t>(buffer.Length()));
}
BENCHMARK(BM_WholeText_Copy);

void BM_SetWholeText(benchmark::State& state) {
  const std::string text = Loaded(Roundup()).WholeText();
  WorkBuffer buffer;
  for (auto _ : state) {
    buffer.SetWholeText(text);
    benchmark::DoNotOptimize(buffer.Length());
  }
  SetBytes(state, text.size());
}
BENCHMARK(BM_SetWholeText);

void BM_FindCaseless_MissWholeBuffer(benchmark::State& state) {
  const WorkBuffer buffer = Loaded(Roundup());
  for (auto _ : state) {
    benchmark::DoNotOptimize(buffer.FindCaseless("ING MARROWBY METRO", 1, buffer.Length()));
  }
  SetBytes(state, static_cast<std::size_t>(buffer.Length()));
}
BENCHMARK(BM_FindCaseless_MissWholeBuffer);

void BM_FindCaseless_HitLate(benchmark::State& state) {
  const WorkBuffer buffer = Loaded(Roundup());
  const std::int32_t hit = buffer.FindCaseless("MARROWBY  ", 1, buffer.Length());
  for (auto _ : state) {
    benchmark::DoNotOptimize(buffer.FindCaseless("MARROWBY  ", 1, buffer.Length()));
  }
  state.counters["hit"] = hit;
  SetBytes(state, static_cast<std::size_t>(hit));
}
BENCHMARK(BM_FindCaseless_HitLate);

void BM_Excerpt_WholeBuffer(benchmark::State& state) {
  const WorkBuffer buffer = Loaded(Roundup());
  for (auto _ : state) benchmark::DoNotOptimize(buffer.Excerpt(buffer.Length(), -buffer.Length()));
  SetBytes(state, static_cast<std::size_t>(buffer.Length()));
}
BENCHMARK(BM_Excerpt_WholeBuffer);

void BM_Excerpt_OneEntry(benchmark::State& state) {
  const WorkBuffer buffer = Loaded(Roundup());
  const std::int32_t at = buffer.FindCaseless("MARROWBY  ", 1, buffer.Length());
  for (auto _ : state) benchmark::DoNotOptimize(buffer.Excerpt(at, 60));
}
BENCHMARK(BM_Excerpt_OneEntry);

// Two edits near the front, each moving the whole text behind it.
void BM_ReplaceRange_PairNearFront(benchmark::State& state) {
  WorkBuffer buffer = Loaded(Roundup());
  const std::int32_t lf = buffer.FindCaseless("\n", 2, buffer.Length());
  for (auto _ : state) {
    buffer.ReplaceRange(lf, 2, " ");         // join a line break
    buffer.ReplaceRange(lf - 1, 1, "\r\n");  // and split it again
  }
  benchmark::DoNotOptimize(buffer.Length());
}
BENCHMARK(BM_ReplaceRange_PairNearFront);

void BM_ClearBuffer_AndRefill(benchmark::State& state) {
  const std::string text = Loaded(Roundup()).WholeText();
  WorkBuffer buffer;
  for (auto _ : state) {
    buffer.ClearBuffer();
    buffer.SetWholeText(text);
  }
  benchmark::DoNotOptimize(buffer.Length());
}
BENCHMARK(BM_ClearBuffer_AndRefill);

// ---- The cuts -------------------------------------------------------------------

void BM_CutConditions(benchmark::State& state) {
  const WorkBuffer buffer = Loaded(Roundup());
  for (auto _ : state) benchmark::DoNotOptimize(CutConditions(buffer));
}
BENCHMARK(BM_CutConditions);

// Includes copying the loaded buffer, since the cut replaces its text.
void BM_CutForecast(benchmark::State& state) {
  const WorkBuffer loaded = Loaded(ZoneForecastDoc());
  for (auto _ : state) {
    WorkBuffer buffer = loaded;
    benchmark::DoNotOptimize(CutForecast(buffer));
  }
}
BENCHMARK(BM_CutForecast);

void BM_CutBoth(benchmark::State& state) {
  const WorkBuffer roundup = Loaded(Roundup());
  const WorkBuffer forecast = Loaded(ZoneForecastDoc());
  for (auto _ : state) {
    benchmark::DoNotOptimize(CutConditions(roundup));
    WorkBuffer buffer = forecast;
    benchmark::DoNotOptimize(CutForecast(buffer));
  }
}
BENCHMARK(BM_CutBoth);

// Both documents from their fetched bytes to the cut texts: split, append,
// cut, clear, as one update does apart from the network.
void BM_LoadAndCutBoth(benchmark::State& state) {
  WorkBuffer buffer;
  for (auto _ : state) {
    buffer.ClearBuffer();
    for (const std::string& line : SplitDocumentLines(Roundup())) buffer.AppendLine(line);
    benchmark::DoNotOptimize(CutConditions(buffer));
    buffer.ClearBuffer();
    for (const std::string& line : SplitDocumentLines(ZoneForecastDoc())) buffer.AppendLine(line);
    benchmark::DoNotOptimize(CutForecast(buffer));
  }
}
BENCHMARK(BM_LoadAndCutBoth);

// The worst paragraph for the line joining: a whole read of one-character
// lines, every break of which moves the rest of the text.
void BM_ReplaceLineBreaks_OneCharacterLines(benchmark::State& state) {
  std::string text;
  while (text.size() + 3 <= kReadLimit / 2 * 3) text += "x\r\n";
  WorkBuffer buffer;
  for (auto _ : state) {
    buffer.SetWholeText(text);
    ReplaceLineBreaks(buffer, '\n');
  }
  state.counters["breaks"] = static_cast<double>(text.size() / 3);
}
BENCHMARK(BM_ReplaceLineBreaks_OneCharacterLines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Check once that the documents cut as meant, so the figures are for real cuts.
  const std::optional<StationLines> lines = CutConditions(Loaded(Roundup()));
  WorkBuffer forecast_buffer = Loaded(ZoneForecastDoc());
  const std::optional<std::string> forecast = CutForecast(forecast_buffer);
  if (!lines || lines->primary.rfind("MARROWBY", 0) != 0 ||
      lines->secondary.rfind("WENDMOORE", 0) != 0 || !forecast ||
      forecast->rfind(".TODAY...", 0) != 0) {
    std::fprintf(stderr, "benchmark documents do not cut as meant\n");
    return 1;
  }
  std::printf("roundup %zu bytes: primary \"%s\"\n  secondary \"%s\"\n", Roundup().size(),
              lines->primary.c_str(), lines->secondary.c_str());
  std::printf("zone forecast %zu bytes: forecast %zu characters\n", ZoneForecastDoc().size(),
              forecast->size());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
