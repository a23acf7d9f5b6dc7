// An in-memory settings store for tests: the entries of the product key in a
// map, read and written through the same conversions as the real store, with
// faults on demand. Groups opened from it share its entries, so a write is
// what the next group reads.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/settings_store.h"
#include "text/ascii_case.h"

class MemorySettings : public SettingsStore {
 public:
  // Entries by section and name, as stored (names match without regard to
  // ASCII case, as in the real store).
  using Key = std::pair<std::string, std::string>;
  std::map<Key, std::string> entries;

  // Faults: reading an entry named here raises "Invalid data type for
  // '<entry>'" (a value of another type, or a hand-written one); writing one
  // raises "Failed to set data for '<entry>'" and stores nothing; with
  // refuse_all_writes every write raises "Failed to create key <section>";
  // with fail_group_end a group's UpdateFile raises "Failed to set data for
  // '<entry>'" for the group's first write, which stays written.
  std::set<std::string> unreadable;
  std::set<std::string> unwritable;
  bool refuse_all_writes = false;
  bool fail_group_end = false;

  // How many groups were opened, and the writes in order ("section/entry=text").
  int groups = 0;
  std::vector<std::string> writes;

  std::string Location() const override { return "memory settings"; }
  std::unique_ptr<SettingsGroup> Open() const override {
    auto* self = const_cast<MemorySettings*>(this);
    ++self->groups;
    return std::make_unique<Group>(*self);
  }

  void Set(std::string_view section, std::string_view name, std::string_view text) {
    entries[KeyOf(section, name)] = std::string(text);
  }
  // The stored text, or nothing.
  std::optional<std::string> Get(std::string_view section, std::string_view name) const {
    const auto found = entries.find(KeyOf(section, name));
    if (found == entries.end()) return std::nullopt;
    return found->second;
  }

 private:
  static Key KeyOf(std::string_view section, std::string_view name) {
    return {ToLowerAscii(section), ToLowerAscii(name)};
  }
  static std::string ToLowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = AsciiLower(c);
    return lower;
  }

  class Group : public SettingsGroup {
   public:
    explicit Group(MemorySettings& store) : store_(store) {}
    void UpdateFile() override {
      if (store_.fail_group_end && !first_write_.empty()) {
        throw ERegistryException("Failed to set data for '" + first_write_ + "'");
      }
    }

   protected:
    std::optional<std::string> ReadStored(std::string_view section,
                                          std::string_view entry) const override {
      if (store_.unreadable.count(ToLowerAscii(entry)) != 0) {
        throw ERegistryException("Invalid data type for '" + std::string(entry) + "'");
      }
      return store_.Get(section, entry);
    }
    void WriteStored(std::string_view section, std::string_view entry,
                     std::string_view text) override {
      if (store_.refuse_all_writes) {
        throw ERegistryException("Failed to create key " + std::string(section));
      }
      if (store_.unwritable.count(ToLowerAscii(entry)) != 0) {
        throw ERegistryException("Failed to set data for '" + std::string(entry) + "'");
      }
      store_.Set(section, entry, text);
      store_.writes.push_back(std::string(section) + "/" + std::string(entry) + "=" +
                              std::string(text));
      if (first_write_.empty()) first_write_ = entry;
    }

   private:
    MemorySettings& store_;
    std::string first_write_;
  };
};
