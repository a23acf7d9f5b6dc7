// Arbitrary bodies through the line splitting and both cuts, on a cleared
// buffer and on one that holds a forecast line in front of the body. The
// cuts may only return characters of the body, the buffer's own line breaks
// and the blanks that join lines.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "weather/conditions.h"
#include "weather/document_lines.h"
#include "weather/forecast.h"
#include "weather/work_buffer.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "text core fuzz: %s\n", what);
    std::abort();
  }
}

struct Alphabet {
  std::array<bool, 256> allowed{};
  bool Holds(std::string_view text) const {
    for (char c : text) {
      if (!allowed[static_cast<unsigned char>(c)]) return false;
    }
    return true;
  }
};

// The joined forecast holds no line break except one at its very front.
bool IsOneLine(std::string_view forecast) {
  const std::size_t from = forecast.substr(0, 2) == "\r\n" ? 2 : 0;
  return forecast.find_first_of("\r\n", from) == std::string_view::npos;
}

void CutBoth(const WorkBuffer& loaded, const Alphabet& alphabet, bool whole_pairs) {
  const std::string before = loaded.WholeText();
  const std::optional<StationLines> lines = CutConditions(loaded);
  Require(loaded.WholeText() == before, "conditions cut changed the buffer");
  if (lines) {
    Require(alphabet.Holds(lines->primary), "primary entry holds a foreign character");
    Require(alphabet.Holds(lines->secondary), "secondary entry holds a foreign character");
  }

  WorkBuffer buffer = loaded;
  const std::optional<std::string> forecast = CutForecast(buffer);
  if (!forecast) {
    Require(buffer.WholeText() == before, "a miss changed the buffer");
    return;
  }
  Require(buffer.WholeText() == *forecast, "the buffer does not keep the forecast");
  Require(forecast->size() <= before.size(), "the forecast grew");
  Require(alphabet.Holds(*forecast), "forecast holds a foreign character");
  if (whole_pairs) Require(IsOneLine(*forecast), "forecast not joined into one line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = SplitDocumentLines(body);

  Alphabet alphabet;
  for (char c : body) alphabet.allowed[static_cast<unsigned char>(c)] = true;
  alphabet.allowed[' '] = true;
  if (!lines.empty()) alphabet.allowed['\r'] = alphabet.allowed['\n'] = true;
  std::size_t total = 0;
  for (const std::string& line : lines) {
    Require(!line.empty(), "empty line");
    Require(line.find_first_of("\r\n") == std::string::npos, "line holds a line end");
    total += line.size();
  }
  Require(total <= size, "lines longer than the body");

  // Every update path but the first at start-up: a cleared buffer.
  WorkBuffer cleared;
  cleared.ClearBuffer();
  for (const std::string& line : lines) cleared.AppendLine(line);
  CutBoth(cleared, alphabet, true);

  // A buffer that still holds a forecast: the one cut from this body stays
  // and the body is appended behind it. Without a forecast, its first line
  // stands in for one.
  WorkBuffer behind_forecast = cleared;
  if (!CutForecast(behind_forecast)) {
    if (lines.empty()) return 0;
    behind_forecast.SetWholeText(lines.front());
  }
  for (const std::string& line : lines) behind_forecast.AppendLine(line);
  CutBoth(behind_forecast, alphabet, false);
  return 0;
}
