// An in-memory settings store for tests: the entries of the product key in a
// map, read and written through the same conversions as the real store, with
// the real store's faults on demand. Every group opened from it shares its
// entries, so a write is what the next group reads. Nothing outside the
// process is touched.
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
  // An entry's section and name, in lower case: names match without regard
  // to ASCII case, as in the real store.
  using Key = std::pair<std::string, std::string>;
  static Key KeyOf(std::string_view section, std::string_view name) {
    return {LowerAscii(section), LowerAscii(name)};
  }

  // The entries as stored, by key. (Mutable, as are the records below:
  // SettingsStore opens its groups from a const store.)
  mutable std::map<Key, std::string> entries;

  // Faults, each raised as the real store raises it:
  // - an unreadable entry (a number kept as a registry DWORD, or a `dword:`
  //   line): reading it raises "Invalid data type for '<name>'", until a
  //   write stores a text over it;
  // - an unwritable entry: writing it raises "Failed to set data for
  //   '<name>'" and stores nothing;
  // - refuse_all_writes: every write raises "Failed to create key <section>"
  //   and stores nothing (a store that cannot be written at all);
  // - fail_group_end: UpdateFile, ending a group that wrote, raises "Failed to
  //   set data for '<name>'" naming the group's first write; what the group
  //   wrote stays stored.
  mutable std::set<Key> unreadable;
  std::set<Key> unwritable;
  bool refuse_all_writes = false;
  bool fail_group_end = false;

  // How many groups were opened, and every write stored, in order, as
  // "section/name=text" (names as the writer spelled them).
  mutable int groups = 0;
  mutable std::vector<std::string> writes;

  void Set(std::string_view section, std::string_view name, std::string_view text) {
    entries[KeyOf(section, name)] = std::string(text);
  }
  // The stored text, or nothing; faults do not apply.
  std::optional<std::string> Get(std::string_view section, std::string_view name) const {
    const auto found = entries.find(KeyOf(section, name));
    if (found == entries.end()) return std::nullopt;
    return found->second;
  }
  void SetUnreadable(std::string_view section, std::string_view name) {
    unreadable.insert(KeyOf(section, name));
  }
  void SetUnwritable(std::string_view section, std::string_view name) {
    unwritable.insert(KeyOf(section, name));
  }

  std::string Location() const override { return "memory settings"; }
  std::unique_ptr<SettingsGroup> Open() const override {
    ++groups;
    return std::make_unique<Group>(*this);
  }

 private:
  static std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = AsciiLower(c);
    return lower;
  }

  class Group : public SettingsGroup {
   public:
    explicit Group(const MemorySettings& store) : store_(store) {}
    void UpdateFile() override {
      if (store_.fail_group_end && !first_write_.empty()) {
        throw ERegistryException("Failed to set data for '" + first_write_ + "'");
      }
    }

   protected:
    std::optional<std::string> ReadStored(std::string_view section,
                                          std::string_view name) const override {
      if (store_.unreadable.count(KeyOf(section, name)) != 0) {
        throw ERegistryException("Invalid data type for '" + std::string(name) + "'");
      }
      return store_.Get(section, name);
    }
    void WriteStored(std::string_view section, std::string_view name,
                     std::string_view text) override {
      if (store_.refuse_all_writes) {
        throw ERegistryException("Failed to create key " + std::string(section));
      }
      const Key key = KeyOf(section, name);
      if (store_.unwritable.count(key) != 0) {
        throw ERegistryException("Failed to set data for '" + std::string(name) + "'");
      }
      store_.entries[key] = std::string(text);
      store_.unreadable.erase(key);
      store_.writes.push_back(std::string(section) + "/" + std::string(name) + "=" +
                              std::string(text));
      if (first_write_.empty()) first_write_ = name;
    }

   private:
    const MemorySettings& store_;
    std::string first_write_;
  };
};
