// The documents of the sample data server: a regional roundup and a zone
// forecast, each as the primary source's plain-text bulletin (CR CR LF line
// ends, as real feeds carry them) and as the alternate source's HTML page (LF
// line ends).
//
// They are made up, but laid out like a national weather service's
// bulletins, and they carry the keys the ticker searches for:
// - roundup: a product header, the region heading with "BRENNIK", the column
//   header, 19 stations in fixed-width columns (MARROWBY and WENDMOORE among
//   them), "$$". A reporting row ends with the remark " TC <celsius>"; a
//   station that does not report is its name padded to 15 columns and
//   "NOT AVBL", so "NOT" begins 15 characters after the name.
// - forecast: a product header and four zone segments. The Marrowby metro
//   zone's cities line reads "INCLUDING MARROWBY METRO...HALLOWAY...KELLAND"
//   and comes last before the periods, after the issue time, which puts the
//   first period, where the paragraph begins, exactly 41 characters after the
//   first letter of "ING MARROWBY METRO". The periods (".TODAY...", ".TONIGHT...", day names)
//   are wrapped at 69 columns; the paragraph's last full stop is followed
//   directly by "<END>" (plain text) or "<br>" (HTML).
// - MARROWBY, WENDMOORE and BRENNIK do not occur in the forecast paragraph,
//   so the joined forecast, were it ever searched together with a roundup,
//   could not be taken for one of the roundup's keys.
// Every document is far below 32,767 bytes.
//
// The weather is a pure function of the clock: the "live" scenario moves
// through sun, cloud, fog, rain, showers, snow and freezing rain, 40 minutes
// each, and Wendmoore does not report for half an hour every two and a half
// hours. The other scenarios pin the weather (or Wendmoore's silence); the
// fault scenarios (error-page, slow, drop) carry the live weather and are
// acted out by the server.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mw_sample {

enum class Scenario {
  kLive,
  kSunny,
  kCloudy,
  kFog,
  kRain,
  kShowers,
  kSnow,
  kFreezingRain,
  kUnavailable,  // live weather, Wendmoore not reporting
  kErrorPage,    // every document path answers 404 with an HTML page
  kSlow,         // the documents stall half-way through their body
  kDrop,         // the connection is reset half-way through the body
};

std::string_view ScenarioName(Scenario scenario);
std::optional<Scenario> ScenarioFromName(std::string_view name);
const std::vector<Scenario>& AllScenarios();

enum class Sky { kSun, kCloud, kFog, kRain, kShowers, kSnow, kFreezingRain };
// The picture the Marrowby conditions are meant to call up.
enum class Picture { kSun, kCloud, kRain, kSnow };

// The moment the documents describe, and the local time zone they are
// written in.
struct SampleClock {
  std::time_t now = 0;
  long utc_offset_seconds = 0;
  std::string zone = "UTC";  // abbreviation shown in the issue times
};

// The system clock with the local time zone.
SampleClock SystemClock();

struct SampleDocuments {
  std::string roundup_text;   // primary conditions bulletin, CR CR LF
  std::string roundup_html;   // alternate hourly page, LF
  std::string forecast_text;  // primary zone forecast bulletin, CR CR LF
  std::string forecast_html;  // alternate zone page, LF

  // What a reader is meant to cut out of them:
  // Marrowby's row up to the blank before "TC".
  std::string primary_entry;
  // Wendmoore's row up to the blank before "TC", or, when it does not report,
  // "WENDMOORE" and the six blanks before "NOT".
  std::string secondary_entry;
  // The Marrowby metro paragraph as one line: its lines joined by one blank,
  // without the last full stop.
  std::string forecast_line;

  Sky sky = Sky::kSun;  // Marrowby's weather now
  Picture picture = Picture::kSun;
  bool secondary_reports = true;
};

SampleDocuments MakeSampleDocuments(Scenario scenario, const SampleClock& clock);

// The HTML body of a "404 Not Found" answer for `path`.
std::string NotFoundPage(std::string_view path);

}  // namespace mw_sample
