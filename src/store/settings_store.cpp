// The reads and writes of every settings group as they convert an entry's
// text: whatever holds the entries, a number or a flag reads and writes the
// same. Each store gives only ReadStored and WriteStored.
#include "store/settings_store.h"

#include "store/reg_ini_file.h"

std::string SettingsGroup::ReadText(std::string_view section, std::string_view entry,
                                    const std::string& def) const {
  return ReadStored(section, entry).value_or(def);
}

std::int32_t SettingsGroup::ReadNumber(std::string_view section, std::string_view entry,
                                       std::int32_t def) const {
  const std::optional<std::string> text = ReadStored(section, entry);
  return text ? StoredTextToNumber(*text, def) : def;
}

bool SettingsGroup::ReadFlag(std::string_view section, std::string_view entry, bool def) const {
  return ReadNumber(section, entry, def ? 1 : 0) != 0;
}

void SettingsGroup::WriteText(std::string_view section, std::string_view entry,
                              std::string_view value) {
  WriteStored(section, entry, value);
}

void SettingsGroup::WriteNumber(std::string_view section, std::string_view entry,
                                std::int32_t value) {
  WriteStored(section, entry, std::to_string(value));
}

void SettingsGroup::WriteFlag(std::string_view section, std::string_view entry, bool value) {
  WriteStored(section, entry, value ? "1" : "0");
}

std::unique_ptr<SettingsGroup> ProductSettings::Open() const {
  return std::make_unique<TRegIniFile>(kProductKeyPath);
}

std::string ProductSettings::Location() const { return TRegIniFile(kProductKeyPath).FileName(); }
