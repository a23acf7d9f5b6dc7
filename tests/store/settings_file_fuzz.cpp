// Fuzzes the settings file reader, its rewriting, and the number conversion.
//
// Whatever a file holds: nothing crashes; every name the reader finds can be
// written back; writing every entry back with its own text leaves a file that
// reads exactly as before, with the comment after each value where it was;
// and one new entry reads back byte for byte while nothing else changes.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/ini_file_format.h"
#include "store/reg_ini_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

using Key = std::pair<std::string, std::string>;

// What a reader gets for each of `keys`, in order.
std::vector<StoredValue> ReadAll(std::string_view file, const std::vector<Key>& keys) {
  std::vector<StoredValue> values;
  for (const auto& [section, name] : keys) {
    const std::optional<std::string> raw = FindRawValue(file, section, name);
    Check(raw.has_value());
    values.push_back(DecodeStoredValue(*raw));
  }
  return values;
}

bool SameValues(const std::vector<StoredValue>& a, const std::vector<StoredValue>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || a[i].text != b[i].text) return false;
  }
  return true;
}

void CheckNumberConversion(std::string_view text) {
  const std::int32_t a = StoredTextToNumber(text, 0);
  const std::int32_t b = StoredTextToNumber(text, 1);
  if (a != b) return;  // refused: both defaults came back
  // Accepted: the decimal text the program would write converts back.
  Check(StoredTextToNumber(std::to_string(a), a == 7 ? 8 : 7) == a);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckNumberConversion(input);

  const std::vector<IniEntry> entries = ParseIniEntries(input);
  // The distinct keys, in the order of their first entry; bounded so that
  // large inputs stay quick.
  std::vector<Key> keys;
  std::map<Key, bool> seen;
  for (const IniEntry& entry : entries) {
    Check(IsStorableSectionName(entry.section) && IsStorableEntryName(entry.name));
    std::string section = entry.section, name = entry.name;
    for (char& c : section) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    for (char& c : name) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (seen.emplace(Key{section, name}, true).second && keys.size() < 32) {
      keys.emplace_back(entry.section, entry.name);
    }
  }
  const std::vector<StoredValue> before = ReadAll(input, keys);
  for (const StoredValue& value : before) CheckNumberConversion(value.text);

  // Every text written back as itself: the file reads the same, and each
  // entry keeps its comment.
  std::string file(input);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (before[i].kind != StoredValue::Kind::kText) continue;
    const std::string comment(
        StoredValueComment(*FindRawValue(file, keys[i].first, keys[i].second)));
    file = SetIniEntry(file, keys[i].first, keys[i].second, before[i].text);
    Check(StoredValueComment(*FindRawValue(file, keys[i].first, keys[i].second)) == comment);
  }
  Check(ParseIniEntries(file).size() == entries.size());
  Check(SameValues(ReadAll(file, keys), before));

  // A new entry, in an existing section and in a new one, with the input's
  // bytes as its text.
  const std::string text(input.substr(0, input.find('\0')));
  std::vector<std::string> sections = {"fuzz probe section"};
  if (!keys.empty()) sections.push_back(keys.front().first);
  for (const std::string& section : sections) {
    const Key probe{section, "fuzz probe entry"};
    if (FindRawValue(file, probe.first, probe.second)) continue;
    const std::string added = SetIniEntry(file, probe.first, probe.second, text);
    Check(ParseIniEntries(added).size() == entries.size() + 1);
    Check(SameValues(ReadAll(added, keys), before));
    const std::optional<std::string> raw = FindRawValue(added, probe.first, probe.second);
    Check(raw.has_value());
    const StoredValue value = DecodeStoredValue(*raw);
    Check(value.kind == StoredValue::Kind::kText && value.text == text);
  }
  return 0;
}
