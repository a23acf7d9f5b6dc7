#include "weather/sources.h"

#include <cstdlib>

#include "text/ascii_case.h"

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

std::string DocumentAddress(bool forecast, bool alternate) {
  const char* variable = alternate ? kAlternateServerVariable : kPrimaryServerVariable;
  const char* fallback = alternate ? kDefaultAlternateServer : kDefaultPrimaryServer;
  const char* value = std::getenv(variable);
  std::string server = ServerFromSetting(value ? value : "", fallback);
  if (server.empty()) return {};
  const char* path = alternate ? (forecast ? kAlternateForecastPath : kAlternateConditionsPath)
                               : (forecast ? kPrimaryForecastPath : kPrimaryConditionsPath);
  return "http://" + server + path;
}
