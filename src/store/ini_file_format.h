// The settings file's text format, as pure functions on the file's bytes.
//
// A file is a run of lines ending in LF or CR LF (the last one may have no
// line end). After leading blanks (space, tab) a line is
//   - empty: a blank line;
//   - `;...` or `#...`: a comment;
//   - `[name]` (trailing blanks allowed): a section header; the name is what
//     stands between the first `[` and the last `]`, blanks trimmed, so it may
//     itself hold `]`;
//   - `[name]  ; comment` (or `# comment`), a line that does not end in `]`:
//     a section header with a comment; the name ends at the first `]` that
//     only blanks part from the `;` or `#`;
//   - `name=value`: an entry of the section above it; the name is what
//     precedes the first `=`, blanks trimmed;
//   - anything else (including a `[` line that is not a header): garbage,
//     kept but never read.
// Entries above the first header belong to no section and are never read. A
// UTF-8 byte order mark before the first line is skipped. Names match without
// regard to ASCII case; among entries with the same section and name
// (sections may repeat) the first one in the file counts.
//
// Values: `"..."` is a text with the escapes \\ \" \r \n \t \xHH; only blanks
// may follow the closing quote, and after them a comment (`; ...` or `# ...`).
// `expand:"..."` is an expandable text, taken raw, and may carry a comment the
// same way. `dword:...` is a value that is not a text. Anything else is a text
// as it stands, blanks trimmed: in `rate=200 ; fast` the `; fast` belongs to
// the value, as it always has. Every text ends at its first NUL.
//
// Nothing here touches the file system, so the whole format can be fuzzed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One entry line as found in the file.
struct IniEntry {
  std::string section;
  std::string name;
  std::string raw_value;  // everything after the first '=', as it stands
};

// Every entry that belongs to a section, in file order, duplicates included.
std::vector<IniEntry> ParseIniEntries(std::string_view file);

// Names compare without regard to ASCII case, as registry names do.
bool SameName(std::string_view a, std::string_view b);
// The value of a hexadecimal digit in either case, or -1.
int HexDigit(char c);

struct StoredValue {
  enum class Kind {
    kText,     // `text` holds the value
    kBadData,  // a broken quote, a bad escape or garbage after the closing quote
    kNotText,  // a `dword:` value
  };
  Kind kind = Kind::kText;
  std::string text;
};

StoredValue DecodeStoredValue(std::string_view raw_value);

// What follows a quoted text value that reads well, when that is a comment:
// the blanks before it and the comment, as they stand. Empty for any other
// value. A rewrite of the entry keeps it.
std::string_view StoredValueComment(std::string_view raw_value);

// The raw value of the entry that counts for (section, name), if any.
std::optional<std::string> FindRawValue(std::string_view file, std::string_view section,
                                        std::string_view name);

// `text` as the writer stores it: quoted, printable ASCII as it is except `\`
// and `"`, CR LF TAB as \r \n \t, every other byte as \xHH in upper case;
// in a text that is valid UTF-8 the bytes from 0x80 on stand as they are.
std::string EncodeStoredValue(std::string_view text);

// Whether a name can be written so that it reads back as itself: no LF, no
// surrounding blanks; an entry name also has no '=' and does not begin with
// ';', '#' or '['. Every name that ParseIniEntries gives is storable.
bool IsStorableSectionName(std::string_view section);
bool IsStorableEntryName(std::string_view name);

// `file` with the entry (section, name) set to `text`. The entry that counts
// is changed in place (its line's name, spacing, comment and line end kept); a missing
// entry is added after the last entry, header or garbage line of the first
// section of that name; a missing section is added at the end of the file.
// Every other line stays as it was, byte for byte. New lines take the file's
// first line end (LF in a file that has none); a last line without a line end
// gets one before anything is added behind it. Both names must be storable.
std::string SetIniEntry(std::string_view file, std::string_view section, std::string_view name,
                        std::string_view text);
