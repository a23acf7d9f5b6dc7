#include "weather/sources.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "store/ini_file_format.h"
#include "store/stored_entries.h"
#include "text/ascii_case.h"
#include "weather/http_fetch.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_';
}

bool IsHexOrColon(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' ||
         c == '.';
}

bool ValidPort(std::string_view port) {
  if (port.empty() || port.size() > 5) return false;
  long value = 0;
  for (char c : port) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= 65535;
}

bool ValidHostName(std::string_view host) {
  if (host.empty()) return false;
  for (char c : host) {
    if (!IsHostChar(c)) return false;
  }
  return true;
}

bool ValidIpv6(std::string_view address) {
  if (address.find(':') == std::string_view::npos) return false;
  for (char c : address) {
    if (!IsHexOrColon(c)) return false;
  }
  return true;
}

bool IsBlankText(std::string_view text) {
  for (char c : text) {
    if (!IsBlank(c)) return false;
  }
  return true;
}

// The source's variable where it names a server: set to something other
// than blanks (a blank one counts as unset, so the stored setting applies).
const char* VariableValue(const SourceTable& source) {
  const char* value = std::getenv(source.variable);
  return value != nullptr && !IsBlankText(value) ? value : nullptr;
}

// The document's address on the server that `value` names (the default
// where it is blank); empty when it names none.
std::string AddressOf(WeatherDocument document, const SourceTable& source, std::string_view value) {
  const std::string server = ServerFromSetting(value, source.default_server);
  if (server.empty()) return {};
  return "http://" + server + std::string(source.PathOf(document));
}

// Milliseconds as seconds, without a decimal where none is needed: "15",
// "0.2", "2.5".
std::string Seconds(long ms) {
  char text[32];
  if (ms % 1000 == 0) {
    std::snprintf(text, sizeof text, "%ld", ms / 1000);
  } else {
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(ms) / 1000.0);
  }
  return text;
}

std::string FailureWords(const SourceTable& source, const FetchResult& result,
                         const FetchLimits& limits, std::string_view unusable) {
  switch (result.failure) {
    case FetchFailure::kNoAddress:
      if (!unusable.empty()) return std::string(unusable);
      return std::string("no usable server; see ") + source.variable + " or [" +
             std::string(kSourcesSection) + "] " + std::string(source.entry.name) +
             " in the settings file";
    case FetchFailure::kRefused:
      return "connection refused";
    case FetchFailure::kNameNotFound:
      return "host name not found";
    case FetchFailure::kConnectTimeout:
      return "no connection within " + Seconds(limits.connect_ms) + " s";
    case FetchFailure::kStalled:
      return "no byte for " + Seconds(limits.stall_ms) + " s";
    case FetchFailure::kTotalLimit:
      return "not complete within the " + Seconds(limits.total_ms) + " s limit";
    case FetchFailure::kReset:
      return "connection reset or closed by the server";
    case FetchFailure::kRedirectRefused:
      return "redirect refused (" + result.detail + ")";
    case FetchFailure::kNone:
    case FetchFailure::kOther:
      break;
  }
  return result.detail.empty() ? std::string("failed") : result.detail;
}

}  // namespace

std::string ServerFromSetting(std::string_view value, std::string_view default_server) {
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
  if (value.empty()) return std::string(default_server);
  if (StartsWithCaseless(value, "http://")) value.remove_prefix(7);
  if (!value.empty() && value.back() == '/') value.remove_suffix(1);

  if (!value.empty() && value.front() == '[') {
    std::size_t close = value.find(']');
    if (close == std::string_view::npos || !ValidIpv6(value.substr(1, close - 1))) return {};
    std::string_view rest = value.substr(close + 1);
    if (rest.empty()) return std::string(value);
    if (rest.front() != ':' || !ValidPort(rest.substr(1))) return {};
    return std::string(value);
  }
  std::size_t colon = value.find(':');
  if (colon == std::string_view::npos) {
    return ValidHostName(value) ? std::string(value) : std::string();
  }
  if (value.find(':', colon + 1) != std::string_view::npos) {
    // Two colons or more: a bare IPv6 address, which takes no port.
    return ValidIpv6(value) ? "[" + std::string(value) + "]" : std::string();
  }
  if (!ValidHostName(value.substr(0, colon)) || !ValidPort(value.substr(colon + 1))) return {};
  return std::string(value);
}

std::string_view DocumentName(WeatherDocument document) {
  return document == WeatherDocument::kForecast ? "forecast" : "current conditions";
}

std::string DocumentAddress(WeatherDocument document, WeatherSource source,
                            std::string_view stored) {
  const SourceTable& table = TableOf(source);
  const char* variable = VariableValue(table);
  return AddressOf(document, table, variable ? variable : stored);
}

DocumentSource FindDocumentSource(const SettingsGroup& store, WeatherDocument document,
                                  WeatherSource source) {
  const SourceTable& table = TableOf(source);
  const std::string entry_name =
      "[" + std::string(table.entry.section) + "] " + std::string(table.entry.name);
  const char* variable = VariableValue(table);
  std::string stored;
  if (variable == nullptr) {
    try {
      stored = Read(store, table.entry);
    } catch (const std::exception& error) {
      return {{}, entry_name + " cannot be read: " + error.what()};
    }
  }
  const std::string_view value = variable ? std::string_view(variable) : stored;
  DocumentSource found{AddressOf(document, table, value), {}};
  if (found.address.empty()) {
    constexpr std::size_t kShown = 64;
    found.unusable = (variable ? std::string(table.variable) : entry_name) + "=" +
                     EncodeStoredValue(value.substr(0, kShown)) +
                     (value.size() > kShown ? "..." : "") +
                     " is not a usable server (host or host:port)";
  }
  return found;
}

std::string FetchFailureLine(WeatherDocument document, WeatherSource source,
                             const std::string& address, const FetchResult& result,
                             const FetchLimits& limits, std::string_view unusable) {
  // A document that arrived, or one the caller gave up on, is no failure.
  if (result.outcome == FetchOutcome::kDocument || result.outcome == FetchOutcome::kAbandoned) {
    return {};
  }
  char took[48];
  std::snprintf(took, sizeof took, " (after %.1f s)\n", result.seconds);
  const SourceTable& table = TableOf(source);
  return "marrowby-weather: " + std::string(DocumentName(document)) + " from the " +
         std::string(table.name) +
         " source failed: " + (address.empty() ? std::string("(no address)") : address) + ": " +
         FailureWords(table, result, limits, unusable) + took;
}
