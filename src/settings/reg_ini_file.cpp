// Skeleton: the store reads defaults and writes nothing yet.
#include "settings/reg_ini_file.h"

TRegIniFile::TRegIniFile(std::string_view key_path) : file_name_(SettingsFileForKey(key_path)) {}
TRegIniFile::~TRegIniFile() = default;

std::string TRegIniFile::ReadText(std::string_view, std::string_view,
                                  const std::string& def) const {
  return def;
}
std::int32_t TRegIniFile::ReadNumber(std::string_view, std::string_view,
                                     std::int32_t def) const {
  return def;
}
bool TRegIniFile::ReadFlag(std::string_view, std::string_view, bool def) const { return def; }
void TRegIniFile::WriteText(std::string_view, std::string_view, std::string_view) {}
void TRegIniFile::WriteNumber(std::string_view, std::string_view, std::int32_t) {}
void TRegIniFile::WriteFlag(std::string_view, std::string_view, bool) {}

std::string SettingsFileForKey(std::string_view) { return {}; }
std::int32_t StoredTextToNumber(std::string_view, std::int32_t def) { return def; }
