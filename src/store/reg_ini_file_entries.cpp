// The reads and writes of the settings store as they convert an entry's
// text, shared by every backend: whatever holds the entries, a number or a
// flag reads and writes the same. Each backend gives only ReadStored and
// WriteStored.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/reg_ini_file.h"

std::string TRegIniFile::ReadText(std::string_view section, std::string_view entry,
                                  const std::string& def) const {
  return ReadStored(section, entry).value_or(def);
}

std::int32_t TRegIniFile::ReadNumber(std::string_view section, std::string_view entry,
                                     std::int32_t def) const {
  const std::optional<std::string> text = ReadStored(section, entry);
  return text ? StoredTextToNumber(*text, def) : def;
}

bool TRegIniFile::ReadFlag(std::string_view section, std::string_view entry, bool def) const {
  return ReadNumber(section, entry, def ? 1 : 0) != 0;
}

void TRegIniFile::WriteText(std::string_view section, std::string_view entry,
                            std::string_view value) {
  WriteStored(section, entry, value);
}

void TRegIniFile::WriteNumber(std::string_view section, std::string_view entry,
                              std::int32_t value) {
  WriteStored(section, entry, std::to_string(value));
}

void TRegIniFile::WriteFlag(std::string_view section, std::string_view entry, bool value) {
  WriteStored(section, entry, value ? "1" : "0");
}
