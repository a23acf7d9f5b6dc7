// The settings store as the program's parts reach it. A SettingsStore opens
// one group of reads or of writes at a time (a SettingsGroup), which is
// dropped right after: nothing is kept between groups, so a value written by
// one group is what the next reads.
//
// The program's store is TRegIniFile on the product key (store/reg_ini_file.h:
// an ini file on Linux, the registry on Windows), opened by ProductSettings;
// tests give an in-memory one. Every group reads and writes through the
// same conversions: numbers as decimal text, flags as "0" and "1", and the
// rules of StoredTextToNumber for reading them back.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised by reads and writes that the store refuses; what() is one of
// "Failed to create key <section>", "Failed to set data for '<entry>'",
// "Failed to get data for '<entry>'", "Invalid data type for '<entry>'".
class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SettingsGroup {
 public:
  virtual ~SettingsGroup() = default;

  // Each read gives `def` when the section or the entry is missing; an entry
  // that exists and is empty reads as the empty text. A number or a flag
  // that does not convert gives `def` too. Errors as the store raises them.
  std::string ReadText(std::string_view section, std::string_view entry,
                       const std::string& def) const;
  std::int32_t ReadNumber(std::string_view section, std::string_view entry, std::int32_t def) const;
  bool ReadFlag(std::string_view section, std::string_view entry, bool def) const;
  // WriteNumber stores decimal text, WriteFlag "0" or "1".
  void WriteText(std::string_view section, std::string_view entry, std::string_view value);
  void WriteNumber(std::string_view section, std::string_view entry, std::int32_t value);
  void WriteFlag(std::string_view section, std::string_view entry, bool value);

  // Ends a group of writes: raises, as a write does, when what the store
  // held back cannot be written. A writer calls it after its last write.
  virtual void UpdateFile() {}

 protected:
  // What each store provides: the entry's text, or nothing when the section
  // or the entry is missing; and storing `text` as the entry. Both raise as
  // the store refuses.
  virtual std::optional<std::string> ReadStored(std::string_view section,
                                                std::string_view entry) const = 0;
  virtual void WriteStored(std::string_view section, std::string_view entry,
                           std::string_view text) = 0;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // One group of reads or writes on the program's settings.
  virtual std::unique_ptr<SettingsGroup> Open() const = 0;
  // Where the settings are kept, for messages: the settings file, or the
  // registry key.
  virtual std::string Location() const = 0;
};

// The program's settings: TRegIniFile on the product key.
class ProductSettings : public SettingsStore {
 public:
  std::unique_ptr<SettingsGroup> Open() const override;
  std::string Location() const override;
};

// The conversion ReadNumber applies to a stored text: leading blanks, an
// optional sign and decimal digits, or "$" (or "0x"/"0X" in a text longer than
// two characters) and at most 8 significant hex digits taken as a 32-bit
// pattern. Anything else gives `def`, or nothing in the form without one.
std::int32_t StoredTextToNumber(std::string_view text, std::int32_t def);
std::optional<std::int32_t> StoredTextToNumber(std::string_view text);
