#include "sample-server/sample_documents.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "text/ascii_case.h"

namespace mw_sample {
namespace {

constexpr long kPhaseSeconds = 40 * 60;    // one kind of weather
constexpr long kDetailSeconds = 10 * 60;   // figures change this often
constexpr long kSilenceSeconds = 30 * 60;  // Wendmoore's reporting slots
constexpr int kSilenceEvery = 5;           // ...one slot in five is silent
constexpr std::size_t kColumns = 69;       // forecast lines

constexpr std::array<Sky, 7> kCycle = {Sky::kSun,     Sky::kCloud, Sky::kFog,         Sky::kRain,
                                       Sky::kShowers, Sky::kSnow,  Sky::kFreezingRain};

constexpr std::array<const char*, 19> kStations = {
    "ASHCOMBE", "BARLOW FELL", "CALDERHAM",  "DUNMERE",   "EASTHOLT", "FENWICK BAY", "GREYSTOKE",
    "HALLOWAY", "KELLAND",     "LANGSTROTH", "MARROWBY",  "NETHERBY", "OAKSHOTT",    "PELLMOOR",
    "RADWAY",   "SALTMARSH",   "TARNSIDE",   "WENDMOORE", "YARDLEY"};
constexpr int kMarrowby = 10;
constexpr int kWendmoore = 17;

constexpr std::array<const char*, 7> kWeekdays = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                                  "THURSDAY", "FRIDAY", "SATURDAY"};
constexpr std::array<const char*, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::array<const char*, 8> kDirections = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
constexpr std::array<const char*, 8> kDirectionWords = {"NORTH", "NORTHEAST", "EAST", "SOUTHEAST",
                                                        "SOUTH", "SOUTHWEST", "WEST", "NORTHWEST"};

// A small, well-mixed hash so that every figure is a pure function of the
// time slot and the station.
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

int Pick(std::uint64_t seed, int lo, int hi) {
  return lo + static_cast<int>(seed % static_cast<std::uint64_t>(hi - lo + 1));
}

long FloorDiv(long long a, long b) {
  long long q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return static_cast<long>(q);
}

struct LocalTime {
  int year = 1970, month = 0, day = 1, hour = 0, minute = 0, weekday = 4;
};

LocalTime ToLocal(std::time_t t, long offset) {
  std::time_t shifted = t + offset;
  std::tm tm{};
#ifdef _WIN32
  gmtime_s(&tm, &shifted);
#else
  gmtime_r(&shifted, &tm);
#endif
  return {tm.tm_year + 1900, tm.tm_mon, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_wday};
}

std::string Format(const char* format, auto... args) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

// "1015 AM MST TUE MAR 5 2024"
std::string IssueTime(const SampleClock& clock) {
  LocalTime t = ToLocal(clock.now, clock.utc_offset_seconds);
  int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
  std::string weekday = std::string(kWeekdays[t.weekday]).substr(0, 3);
  return Format("%d%02d %s %s %s %s %d %d", hour12, t.minute, t.hour < 12 ? "AM" : "PM",
                clock.zone.c_str(), weekday.c_str(), kMonths[t.month], t.day, t.year);
}

// "DDHHMM" in UTC, as in a transmission line or a zone code's expiry.
std::string UtcStamp(std::time_t t) {
  LocalTime u = ToLocal(t, 0);
  return Format("%02d%02d%02d", u.day, u.hour, u.minute);
}

std::string Pad(std::string_view text, std::size_t width) {
  std::string padded(text);
  if (padded.size() < width) padded.append(width - padded.size(), ' ');
  return padded;
}

std::string RightTrimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

Picture PictureOf(Sky sky) {
  switch (sky) {
    case Sky::kSun:
      return Picture::kSun;
    case Sky::kCloud:
    case Sky::kFog:
      return Picture::kCloud;
    case Sky::kRain:
    case Sky::kShowers:
      return Picture::kRain;
    case Sky::kSnow:
    case Sky::kFreezingRain:
      return Picture::kSnow;
  }
  return Picture::kSun;
}

// ---- current conditions ----

struct Observation {
  bool reports = true;
  std::string sky;
  int temp = 0, dew = 0, rh = 0;
  std::string wind;
  std::string pressure;
  std::string remark;
};

int RelativeHumidity(int temp_f, int dew_f) {
  auto vapour = [](double f) {
    double c = (f - 32.0) * 5.0 / 9.0;
    return std::exp(17.625 * c / (243.04 + c));
  };
  return static_cast<int>(std::lround(100.0 * vapour(dew_f) / vapour(temp_f)));
}

int Celsius(int f) { return static_cast<int>(std::lround((f - 32) * 5.0 / 9.0)); }

Observation Observe(Sky sky, bool night, std::uint64_t seed) {
  Observation o;
  auto pick = [&](int lo, int hi) { return Pick(seed = Mix(seed), lo, hi); };
  auto one_of = [&](std::initializer_list<const char*> words) {
    return std::string(words.begin()[pick(0, static_cast<int>(words.size()) - 1)]);
  };
  int spread = 0, speed = 0, gust = 0;
  char tendency = 'S';
  switch (sky) {
    case Sky::kSun:
      o.sky = night ? "CLEAR" : one_of({"SUNNY", "MOSUNNY"});
      o.temp = night ? pick(52, 62) : pick(64, 78);
      spread = pick(12, 24);
      speed = pick(3, 14);
      tendency = 'R';
      break;
    case Sky::kCloud:
      o.sky = one_of({"CLOUDY", "MOCLDY", "PTCLDY"});
      o.temp = pick(54, 66);
      spread = pick(6, 12);
      speed = pick(5, 16);
      tendency = 'S';
      break;
    case Sky::kFog:
      o.sky = "FOG";
      o.temp = pick(44, 52);
      spread = pick(0, 1);
      speed = pick(0, 3);
      o.remark = one_of({"VSB 1/4", "VSB 1/2"});
      tendency = 'S';
      break;
    case Sky::kRain:
      o.sky = one_of({"LGT RAIN", "RAIN"});
      o.temp = pick(46, 56);
      spread = pick(1, 3);
      speed = pick(10, 20);
      gust = speed + pick(6, 12);
      tendency = 'F';
      break;
    case Sky::kShowers:
      o.sky = one_of({"SHOWERS", "RAIN SHWRS"});
      o.temp = pick(52, 62);
      spread = pick(3, 6);
      speed = pick(8, 18);
      gust = pick(0, 1) ? speed + pick(8, 14) : 0;
      tendency = 'R';
      break;
    case Sky::kSnow:
      o.sky = one_of({"LGT SNOW", "SNOW", "FLURRIES"});
      o.temp = pick(22, 31);
      spread = pick(2, 5);
      speed = pick(6, 20);
      gust = pick(0, 1) ? speed + pick(8, 12) : 0;
      tendency = 'F';
      break;
    case Sky::kFreezingRain:
      o.sky = one_of({"FRZ RAIN", "FRZ DRZL"});
      o.temp = pick(29, 32);
      spread = pick(1, 3);
      speed = pick(6, 14);
      tendency = 'F';
      break;
  }
  o.dew = o.temp - spread;
  o.rh = RelativeHumidity(o.temp, o.dew);
  if (speed == 0) {
    o.wind = "CALM";
  } else if (speed <= 3) {
    o.wind = Format("VRB%d", speed);
  } else {
    o.wind = std::string(kDirections[pick(0, 7)]) + std::to_string(speed);
    if (gust > speed) o.wind += "G" + std::to_string(gust);
  }
  if (o.temp <= 40 && speed >= 4) {
    double v = std::pow(speed, 0.16);
    int chill =
        static_cast<int>(std::lround(35.74 + 0.6215 * o.temp - 35.75 * v + 0.4275 * o.temp * v));
    o.remark = Format("WCI %3d", chill);
  }
  o.pressure = Format("%5.2f%c", pick(2950, 3040) / 100.0, tendency);
  return o;
}

// The row without its " TC" remark; for a silent station the text up to
// "NOT". Both are what the ticker cuts as the station's entry.
std::string Entry(std::string_view name, const Observation& o) {
  if (!o.reports) return Pad(name, 15);
  return RightTrimmed(Format("%-15s%-10s%3d %2d %3d %-10s %-6s %s", std::string(name).c_str(),
                             o.sky.c_str(), o.temp, o.dew, o.rh, o.wind.c_str(), o.pressure.c_str(),
                             o.remark.c_str()));
}

std::string Row(std::string_view name, const Observation& o) {
  if (!o.reports) return Pad(name, 15) + "NOT AVBL";
  return Entry(name, o) + " TC " + std::to_string(Celsius(o.temp));
}

// ---- forecast ----

std::vector<std::string> Wrap(std::string_view text, std::size_t columns) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find(' ', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view word = text.substr(pos, end - pos);
    pos = end + 1;
    if (word.empty()) continue;
    if (!line.empty() && line.size() + 1 + word.size() > columns) {
      lines.push_back(line);
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line += word;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// "LOWER 70S", "MID TEENS", "SINGLE DIGITS"
std::string TemperatureWords(int t) {
  if (t < 10) return "SINGLE DIGITS";
  int units = t % 10;
  const char* part = units <= 3 ? "LOWER" : units <= 6 ? "MID" : "UPPER";
  if (t < 20) return Format("%s TEENS", part);
  return Format("%s %dS", part, (t / 10) * 10);
}

std::string PeriodText(Sky sky, bool night, std::uint64_t seed) {
  auto pick = [&](int lo, int hi) { return Pick(seed = Mix(seed), lo, hi); };
  Observation o = Observe(sky, night, seed);
  int t = night ? o.temp - pick(8, 14) : o.temp + pick(2, 6);
  std::string temps =
      std::string(night ? "LOWS" : "HIGHS") + " IN THE " + TemperatureWords(t) + ".";
  int speed = pick(1, 3) * 5;
  std::string wind = std::string(kDirectionWords[pick(0, 7)]) + " WINDS " + std::to_string(speed) +
                     " TO " + std::to_string(speed + 5) + " MPH.";
  int chance = pick(6, 9) * 10;
  switch (sky) {
    case Sky::kSun:
      return std::string(night        ? "CLEAR. "
                         : pick(0, 1) ? "SUNNY. "
                                      : "MOSTLY SUNNY. ") +
             temps + " " + wind;
    case Sky::kCloud:
      return std::string(pick(0, 1) ? "MOSTLY CLOUDY. " : "PARTLY CLOUDY. ") + temps + " " + wind;
    case Sky::kFog:
      return std::string(night ? "AREAS OF FOG. "
                               : "PATCHY FOG IN THE MORNING...OTHERWISE CLOUDY. ") +
             temps + " LIGHT WINDS.";
    case Sky::kRain:
      return "RAIN. " + temps + " " + wind + " CHANCE OF RAIN " + std::to_string(chance) +
             " PERCENT.";
    case Sky::kShowers:
      return "SHOWERS LIKELY. " + temps + " " + wind + " CHANCE OF SHOWERS " +
             std::to_string(chance - 10) + " PERCENT.";
    case Sky::kSnow:
      return Format("SNOW. SNOW ACCUMULATION %d TO %d INCHES. ", pick(1, 3), pick(4, 6)) + temps +
             " " + wind + " CHANCE OF SNOW " + std::to_string(chance) + " PERCENT.";
    case Sky::kFreezingRain:
      return "FREEZING RAIN. LIGHT ICE ACCUMULATION. " + temps + " " + wind +
             " CHANCE OF PRECIPITATION " + std::to_string(chance) + " PERCENT.";
  }
  return {};
}

struct Period {
  std::string name;
  bool night = false;
};

std::vector<Period> Periods(const LocalTime& t) {
  std::vector<Period> periods;
  int day = t.weekday;
  if (t.hour >= 4 && t.hour < 15) {
    periods.push_back({"TODAY", false});
    periods.push_back({"TONIGHT", true});
    day = (day + 1) % 7;
  } else {
    periods.push_back({"TONIGHT", true});
    if (t.hour >= 15) day = (day + 1) % 7;
  }
  while (periods.size() < 5) {
    periods.push_back({kWeekdays[day], false});
    if (periods.size() < 5) periods.push_back({std::string(kWeekdays[day]) + " NIGHT", true});
    day = (day + 1) % 7;
  }
  return periods;
}

struct Zone {
  const char* code;
  const char* names;
  const char* cities;
  int phase_shift;
};

constexpr std::array<Zone, 4> kZones = {{
    {"BKZ011", "UPPER KESTREL VALLEY-", "INCLUDING THE CITIES OF...ASHCOMBE...DUNMERE", -1},
    // Forty-one characters from "ING MARROWBY METRO" to the next line: the
    // key, "...HALLOWAY...KELLAND" and one line break. So the cities line is
    // the segment's last line before the periods, after the issue time.
    {"BKZ014", "MARROWBY METRO-", "INCLUDING MARROWBY METRO...HALLOWAY...KELLAND", 0},
    {"BKZ017", "NORTHERN COAST-", "INCLUDING THE CITIES OF...SALTMARSH...FENWICK BAY", 1},
    {"BKZ020", "HIGH FELLS-", "INCLUDING THE CITIES OF...LANGSTROTH...TARNSIDE", 2},
}};
constexpr int kMarrowbyZone = 1;

std::string Join(const std::vector<std::string>& lines, std::string_view end) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += end;
  }
  return text;
}

std::string HtmlPage(std::string_view title, const std::vector<std::string>& pre_lines) {
  std::vector<std::string> lines = {
      "<!DOCTYPE html>",
      "<html lang=\"en\">",
      "<head>",
      "<meta charset=\"us-ascii\">",
      "<title>" + std::string(title) + "</title>",
      "</head>",
      "<body>",
      "<h1>" + std::string(title) + "</h1>",
      "<pre>",
  };
  lines.insert(lines.end(), pre_lines.begin(), pre_lines.end());
  lines.insert(lines.end(), {"</pre>", "<p>National Weather Service, Marrowby office</p>",
                             "</body>", "</html>"});
  return Join(lines, "\n");
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::string_view ScenarioName(Scenario scenario) {
  switch (scenario) {
    case Scenario::kLive:
      return "live";
    case Scenario::kSunny:
      return "sunny";
    case Scenario::kCloudy:
      return "cloudy";
    case Scenario::kFog:
      return "fog";
    case Scenario::kRain:
      return "rain";
    case Scenario::kShowers:
      return "showers";
    case Scenario::kSnow:
      return "snow";
    case Scenario::kFreezingRain:
      return "freezing-rain";
    case Scenario::kUnavailable:
      return "unavailable";
    case Scenario::kErrorPage:
      return "error-page";
    case Scenario::kSlow:
      return "slow";
    case Scenario::kDrop:
      return "drop";
  }
  return "live";
}

const std::vector<Scenario>& AllScenarios() {
  static const std::vector<Scenario> all = {
      Scenario::kLive,        Scenario::kSunny,     Scenario::kCloudy, Scenario::kFog,
      Scenario::kRain,        Scenario::kShowers,   Scenario::kSnow,   Scenario::kFreezingRain,
      Scenario::kUnavailable, Scenario::kErrorPage, Scenario::kSlow,   Scenario::kDrop};
  return all;
}

std::optional<Scenario> ScenarioFromName(std::string_view name) {
  for (Scenario s : AllScenarios()) {
    if (ScenarioName(s) == name) return s;
  }
  return std::nullopt;
}

#ifdef _WIN32
namespace {

// Windows names its zones in words ("Pacific Standard Time"); a bulletin
// gives the initials ("PST"), and "UTC" for the zone without an offset.
std::string ZoneAbbreviation(const wchar_t* name, long utc_offset_seconds) {
  std::string initials;
  bool word_start = true;
  for (; *name; ++name) {
    const wchar_t c = *name;
    const bool letter = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
    if (letter && word_start) initials += static_cast<char>(c);
    word_start = !letter;
  }
  if (utc_offset_seconds == 0 || initials.size() < 2) return "UTC";
  return initials;
}

}  // namespace
#endif

SampleClock SystemClock() {
  SampleClock clock;
  clock.now = std::time(nullptr);
#ifdef _WIN32
  TIME_ZONE_INFORMATION zone{};
  const bool daylight = GetTimeZoneInformation(&zone) == TIME_ZONE_ID_DAYLIGHT;
  clock.utc_offset_seconds =
      -60L * (zone.Bias + (daylight ? zone.DaylightBias : zone.StandardBias));
  clock.zone =
      ZoneAbbreviation(daylight ? zone.DaylightName : zone.StandardName, clock.utc_offset_seconds);
#else
  std::tm local{};
  if (localtime_r(&clock.now, &local)) {
    clock.utc_offset_seconds = local.tm_gmtoff;
    if (local.tm_zone && *local.tm_zone) clock.zone = local.tm_zone;
  }
#endif
  for (char& c : clock.zone) c = AsciiUpper(c);
  return clock;
}

SampleDocuments MakeSampleDocuments(Scenario scenario, const SampleClock& clock) {
  const long long now = clock.now;
  const long phase = FloorDiv(now, kPhaseSeconds);
  const std::uint64_t detail = static_cast<std::uint64_t>(FloorDiv(now, kDetailSeconds));
  const LocalTime local = ToLocal(clock.now, clock.utc_offset_seconds);
  const bool night = local.hour < 6 || local.hour >= 19;

  std::optional<Sky> pinned;
  switch (scenario) {
    case Scenario::kSunny:
      pinned = Sky::kSun;
      break;
    case Scenario::kCloudy:
      pinned = Sky::kCloud;
      break;
    case Scenario::kFog:
      pinned = Sky::kFog;
      break;
    case Scenario::kRain:
      pinned = Sky::kRain;
      break;
    case Scenario::kShowers:
      pinned = Sky::kShowers;
      break;
    case Scenario::kSnow:
      pinned = Sky::kSnow;
      break;
    case Scenario::kFreezingRain:
      pinned = Sky::kFreezingRain;
      break;
    default:
      break;
  }
  auto sky_at = [&](long shift) {
    if (pinned) return *pinned;
    long index = (phase + shift) % static_cast<long>(kCycle.size());
    if (index < 0) index += kCycle.size();
    return kCycle[static_cast<std::size_t>(index)];
  };

  SampleDocuments docs;
  docs.sky = sky_at(0);
  docs.picture = PictureOf(docs.sky);
  docs.secondary_reports = scenario != Scenario::kUnavailable &&
                           FloorDiv(now, kSilenceSeconds) % kSilenceEvery != kSilenceEvery - 1;

  const std::string issued = IssueTime(clock);
  const std::string stamp = UtcStamp(clock.now);
  const std::string expires = UtcStamp(clock.now + 8 * 3600);

  // ---- roundup ----
  std::vector<std::string> roundup = {
      "ASUS46 KMRB " + stamp,
      "RWRBK",
      "",
      "REGIONAL WEATHER ROUNDUP",
      "NATIONAL WEATHER SERVICE MARROWBY BK",
      issued,
      "",
      "BKZ001>024-" + UtcStamp(clock.now + 3600) + "-",
      "",
      "...BRENNIK BASIN AND THE NORTHERN COAST...",
      "",
      "CITY           SKY/WX    TMP DP  RH WIND       PRES   REMARKS",
  };
  for (int i = 0; i < static_cast<int>(kStations.size()); ++i) {
    std::uint64_t seed = Mix(detail * 131 + static_cast<std::uint64_t>(i));
    // Neighbouring stations share the region's weather, some a phase behind.
    Sky sky = i == kMarrowby ? docs.sky : sky_at(-(i % 3 == 0 ? 1 : 0));
    Observation o = Observe(sky, night, seed);
    if (i == kWendmoore) {
      o.reports = docs.secondary_reports;
    } else if (i != kMarrowby) {
      o.reports = Mix(seed) % 11 != 0;
    }
    roundup.push_back(Row(kStations[i], o));
    if (i == kMarrowby) docs.primary_entry = Entry(kStations[i], o);
    if (i == kWendmoore) docs.secondary_entry = Entry(kStations[i], o);
  }
  roundup.insert(roundup.end(), {"", "$$", ""});

  docs.roundup_text = Join(roundup, "\r\r\n");
  docs.roundup_html = HtmlPage("Hourly Weather Roundup", roundup);

  // ---- zone forecast ----
  std::vector<std::string> header = {
      "FPUS05 KMRB " + stamp,
      "ZFPBK",
      "",
      "ZONE FORECAST PRODUCT",
      "NATIONAL WEATHER SERVICE MARROWBY BK",
      issued,
      "",
  };
  std::vector<std::string> text_lines = header;
  std::vector<std::string> html_lines = header;
  const std::vector<Period> periods = Periods(local);
  for (int z = 0; z < static_cast<int>(kZones.size()); ++z) {
    const Zone& zone = kZones[z];
    std::vector<std::string> paragraph;
    for (std::size_t p = 0; p < periods.size(); ++p) {
      std::uint64_t seed = Mix(detail * 977 + static_cast<std::uint64_t>(z * 16 + p));
      std::string text =
          "." + periods[p].name + "..." +
          PeriodText(sky_at(zone.phase_shift + static_cast<long>(p)), periods[p].night, seed);
      for (std::string& line : Wrap(text, kColumns)) paragraph.push_back(std::move(line));
    }
    if (z == kMarrowbyZone) {
      std::string joined;
      for (const std::string& line : paragraph) joined += (joined.empty() ? "" : " ") + line;
      joined.pop_back();  // the last full stop ends the paragraph but is not part of it
      docs.forecast_line = joined;
    }
    std::vector<std::string> segment = {zone.code + std::string("-") + expires + "-", zone.names,
                                        issued, zone.cities};
    auto with_end = [&](std::string_view marker) {
      std::vector<std::string> lines = segment;
      lines.insert(lines.end(), paragraph.begin(), paragraph.end());
      // The end marker joins the last word; rewrap that line so it stays
      // within the columns.
      std::string last = lines.back() + std::string(marker);
      lines.pop_back();
      for (std::string& line : Wrap(last, kColumns)) lines.push_back(std::move(line));
      lines.insert(lines.end(), {"", "$$", ""});
      return lines;
    };
    for (std::string& line : with_end("<END>")) text_lines.push_back(std::move(line));
    for (std::string& line : with_end("<br>")) html_lines.push_back(std::move(line));
  }
  docs.forecast_text = Join(text_lines, "\r\r\n");
  docs.forecast_html = HtmlPage("Zone Forecasts", html_lines);
  return docs;
}

std::string NotFoundPage(std::string_view path) {
  return Join(
      {
          "<!DOCTYPE html>",
          "<html lang=\"en\">",
          "<head>",
          "<meta charset=\"us-ascii\">",
          "<title>404 Not Found</title>",
          "</head>",
          "<body>",
          "<h1>Not Found</h1>",
          "<p>The requested URL " + HtmlEscape(path) + " was not found on this server.</p>",
          "</body>",
          "</html>",
      },
      "\n");
}

}  // namespace mw_sample
