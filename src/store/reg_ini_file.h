// The per-user settings store.
//
// TRegIniFile gives the product key the shape of an ini file: sections hold
// named entries, and every entry is kept as text (numbers as decimal text,
// flags as "0"/"1"). Each user constructs a store, runs one group of reads or
// of writes (a group of writes ends with UpdateFile), and drops it; nothing
// is kept that another writer could make stale, so a write is what the next
// read sees.
//
// The key path `Software\Tidewell\Aerolume` maps to one file,
// `$XDG_CONFIG_HOME/Tidewell/Aerolume.ini` ($HOME/.config when XDG_CONFIG_HOME
// is unset). Values are bytes: nothing is decoded, whatever is written reads
// back byte for byte. The file's format is in store/ini_file_format.h.
//
// Writes are atomic (temporary file `<file>.tmp`, flush, rename) and
// serialised between processes by an flock on `<file>.lock`, which a write
// waits for half a second at most; every other line of the file is kept
// exactly as it was. Reads take no lock and never create anything. Between
// two running copies the last writer of an entry wins.
//
// Built for Windows, the store is the registry itself (reg_ini_file_registry.cpp):
// the key path lies below HKEY_CURRENT_USER, a section is a subkey of it and
// an entry a REG_SZ value, written with the ANSI calls, so a text keeps the
// bytes that the system's ANSI code page can carry. Construction opens or
// creates the key path; reads open nothing else and create nothing; REG_SZ
// and REG_EXPAND_SZ read as their raw text (never expanded); a value of
// length 0 reads as the empty text whatever its type; any other type raises
// "Invalid data type for '<entry>'".
//
// Large ini files: reads reuse a copy of the file (and of the values looked up in
// it) while the file's identity, size and times are unchanged, so they cost
// one read of the file, not one per entry. A file beyond kLargeSettingsFile
// (far more than the program ever writes itself) is rewritten twice per
// group of writes, not once per entry: a store's first write goes to the
// file at once as above; its later ones are checked at once (names) and
// held back to be written together by UpdateFile, which ends the group and
// raises as a write does when that fails. A writer therefore calls
// UpdateFile after its group's last write. A store freed with writes still
// held back (its writer never got to UpdateFile, or raised before it) writes
// them then; as a destructor cannot raise, a failure there is only said on
// standard error, in one line naming the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/settings_store.h"

// The key path every part of the program uses.
inline constexpr char kProductKeyPath[] = "Software\\Tidewell\\Aerolume";
// Beyond this size a settings file's group of writes is made in one go.
inline constexpr std::size_t kLargeSettingsFile = 1 << 20;

class TRegIniFile : public SettingsGroup {
 public:
  // Creates the folders and an empty file when they are missing; reports
  // nothing when it cannot.
  explicit TRegIniFile(std::string_view key_path);
  ~TRegIniFile() override;
  TRegIniFile(const TRegIniFile&) = delete;
  TRegIniFile& operator=(const TRegIniFile&) = delete;

  // Each read gives `def` when the file, the section or the entry is missing
  // (or the file cannot be read at all). An entry that exists and is empty
  // reads as the empty text. Section and entry names match without regard to
  // ASCII case. A `dword:` entry raises "Invalid data type for '<entry>'"; a
  // broken quoted value raises "Failed to get data for '<entry>'".
  //
  // (ReadText, ReadNumber and ReadFlag are SettingsGroup's.)

  // A folder or lock file that cannot be created, a lock that another copy
  // holds for over half a second, or a section name the file cannot hold (a
  // line feed, surrounding blanks), raises "Failed to create key <section>".
  // A file that cannot be read or replaced, or an entry name the file cannot
  // hold (a line feed, '=', surrounding blanks, a leading ';', '#' or '['),
  // raises "Failed to set data for '<entry>'"; the file is then unchanged.
  // (WriteText, WriteNumber and WriteFlag are SettingsGroup's.)

  // Ends a group of writes: writes what the store has held back (only ever
  // on a large ini file, see above), with the error of the first entry held
  // back should that fail. Either way nothing is held back afterwards, so a
  // failure is reported once. Where every write went to the file or the
  // registry at once, it does nothing.
  void UpdateFile() override;

  // The settings file this store reads and writes (on Windows the full
  // registry path, "HKEY_CURRENT_USER\\<key path>").
  const std::string& FileName() const { return file_name_; }

 private:
  // Each backend's (reg_ini_file.cpp, reg_ini_file_registry.cpp); the reads
  // and writes are SettingsGroup's conversions over these two.
  std::optional<std::string> ReadStored(std::string_view section,
                                        std::string_view entry) const override;
  void WriteStored(std::string_view section, std::string_view entry,
                   std::string_view text) override;

  std::string file_name_;
#ifdef _WIN32
  void* product_key_ = nullptr;  // the open HKEY of the key path, or none
#endif
  // Set once this store has written a large file: later writes are kept (as
  // section, entry, text) for UpdateFile, or for the destructor.
  bool large_file_ = false;
  std::vector<std::array<std::string, 3>> kept_writes_;
};

#ifndef _WIN32
// The settings file for a key path, from the environment (XDG_CONFIG_HOME,
// else $HOME/.config).
std::string SettingsFileForKey(std::string_view key_path);
#endif
