#include "store/ini_file_format.h"

#include <cstddef>
#include <cstring>
#include <optional>
#include <utility>

#include "text/utf8_text.h"
#include "text/ascii_case.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

bool StartsComment(std::string_view s) { return s.starts_with(';') || s.starts_with('#'); }

// The section name of a header line (`trimmed` begins with '['), or nothing
// for a line that is no header. A line that ends in ']' is a header as it
// stands, so every header the writer makes reads as it always did. Any other
// is a header with a comment when a ']' is followed, after blanks, by ';' or
// '#': the name ends at the first such ']'.
std::optional<std::string_view> HeaderName(std::string_view trimmed) {
  if (trimmed.size() >= 2 && trimmed.back() == ']') {
    return Trim(trimmed.substr(1, trimmed.size() - 2));
  }
  for (std::size_t close = trimmed.find(']'); close != std::string_view::npos;
       close = trimmed.find(']', close + 1)) {
    if (StartsComment(TrimLeft(trimmed.substr(close + 1)))) {
      return Trim(trimmed.substr(1, close - 1));
    }
  }
  return std::nullopt;
}

enum class LineKind { kBlank, kComment, kHeader, kEntry, kGarbage };

// One line of the file; offsets are into the whole file.
struct Line {
  std::size_t content_begin = 0;  // after the byte order mark on the first line
  std::size_t content_end = 0;    // before the line end
  std::size_t end = 0;            // after the line end
  LineKind kind = LineKind::kGarbage;
  std::string_view name;        // header or entry name, trimmed
  std::size_t value_begin = 0;  // entry: just after the '='
};

Line ClassifyLine(std::string_view file, std::size_t begin, std::size_t end) {
  Line line;
  line.content_begin = begin;
  line.end = end;
  line.content_end = end;
  if (line.content_end > begin && file[line.content_end - 1] == '\n') --line.content_end;
  if (line.content_end > begin && file[line.content_end - 1] == '\r' && line.content_end < end) {
    --line.content_end;  // CR LF; a CR without LF is part of the line
  }
  if (begin == 0 && file.substr(0, line.content_end).starts_with(kByteOrderMark)) {
    line.content_begin = kByteOrderMark.size();
  }
  const std::string_view content =
      file.substr(line.content_begin, line.content_end - line.content_begin);
  const std::string_view trimmed = Trim(content);
  if (trimmed.empty()) {
    line.kind = LineKind::kBlank;
  } else if (trimmed.front() == ';' || trimmed.front() == '#') {
    line.kind = LineKind::kComment;
  } else if (trimmed.front() == '[') {
    if (const std::optional<std::string_view> name = HeaderName(trimmed)) {
      line.kind = LineKind::kHeader;
      line.name = *name;
    }
  } else if (const std::size_t eq = content.find('='); eq != std::string_view::npos) {
    line.kind = LineKind::kEntry;
    line.name = Trim(content.substr(0, eq));
    line.value_begin = line.content_begin + eq + 1;
  }
  return line;
}

// Calls fn(begin, end) for each line of the file in order (end is after the
// line end), until fn returns true. Nothing is allocated: a settings file
// may be large, and most of its lines are passed over.
template <typename Fn>
void ForEachLine(std::string_view file, Fn fn) {
  std::size_t begin = 0;
  while (begin < file.size()) {
    const void* lf = std::memchr(file.data() + begin, '\n', file.size() - begin);
    const std::size_t end =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - file.data()) + 1 : file.size();
    if (fn(begin, end)) return;
    begin = end;
  }
}

// False when the line surely is no section header: its first character that
// is not a blank is not '['. Lets a search skip the lines of other sections
// without looking at them further.
bool MayBeHeader(std::string_view file, std::size_t begin, std::size_t end) {
  if (begin == 0) return true;  // the byte order mark is ClassifyLine's business
  while (begin < end && IsBlank(file[begin])) ++begin;
  return begin < end && file[begin] == '[';
}

// Calls fn(section, line) for each entry line that belongs to a section, in
// file order, until fn returns true.
template <typename Fn>
void ForEachEntry(std::string_view file, Fn fn) {
  std::string_view section;
  bool in_section = false;
  ForEachLine(file, [&](std::size_t begin, std::size_t end) {
    const Line line = ClassifyLine(file, begin, end);
    if (line.kind == LineKind::kHeader) {
      section = line.name;
      in_section = true;
    } else if (line.kind == LineKind::kEntry && in_section) {
      return fn(section, line);
    }
    return false;
  });
}

// Where the entry that counts for (section, name) is, or nothing. Only the
// lines of sections of that name are looked at closely.
std::optional<Line> FindEntryLine(std::string_view file, std::string_view section,
                                  std::string_view name) {
  std::optional<Line> found;
  bool in_section = false;
  ForEachLine(file, [&](std::size_t begin, std::size_t end) {
    if (!in_section && !MayBeHeader(file, begin, end)) return false;
    const Line line = ClassifyLine(file, begin, end);
    if (line.kind == LineKind::kHeader) {
      in_section = SameName(line.name, section);
    } else if (line.kind == LineKind::kEntry && in_section && SameName(line.name, name)) {
      found = line;
      return true;
    }
    return false;
  });
  return found;
}

std::string_view RawValue(std::string_view file, const Line& line) {
  return file.substr(line.value_begin, line.content_end - line.value_begin);
}

// The text of a quoted value; `quoted` begins at the opening quote. Blanks
// may follow the closing quote, and a comment after them; `*end` is set just
// past the closing quote.
StoredValue DecodeQuoted(std::string_view quoted, std::size_t* end = nullptr) {
  StoredValue bad{StoredValue::Kind::kBadData, {}};
  std::string text;
  std::size_t i = 1;
  for (;;) {
    if (i >= quoted.size()) return bad;  // no closing quote
    const char c = quoted[i++];
    if (c == '"') break;
    if (c != '\\') {
      text += c;
      continue;
    }
    if (i >= quoted.size()) return bad;
    const char e = quoted[i++];
    if (e == 'x') {
      if (i + 2 > quoted.size()) return bad;
      const int high = HexDigit(quoted[i]);
      const int low = HexDigit(quoted[i + 1]);
      if (high < 0 || low < 0) return bad;
      text += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      constexpr std::string_view kEscaped = "\\\"rnt";
      constexpr std::string_view kMeant = "\\\"\r\n\t";
      const std::size_t k = kEscaped.find(e);
      if (k == std::string_view::npos) return bad;
      text += kMeant[k];
    }
  }
  if (const std::string_view after = TrimLeft(quoted.substr(i));
      !after.empty() && !StartsComment(after)) {
    return bad;
  }
  if (end != nullptr) *end = i;
  return {StoredValue::Kind::kText, std::move(text)};
}

constexpr std::string_view kExpand = "expand:";

}  // namespace

bool SameName(std::string_view a, std::string_view b) { return EqualsCaseless(a, b); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::vector<IniEntry> ParseIniEntries(std::string_view file) {
  std::vector<IniEntry> entries;
  ForEachEntry(file, [&](std::string_view section, const Line& line) {
    entries.push_back(
        {std::string(section), std::string(line.name), std::string(RawValue(file, line))});
    return false;
  });
  return entries;
}

StoredValue DecodeStoredValue(std::string_view raw_value) {
  constexpr std::string_view kDword = "dword:";
  const std::string_view value = TrimLeft(raw_value);
  StoredValue result;
  if (value.starts_with('"')) {
    result = DecodeQuoted(value);
  } else if (value.starts_with(kExpand)) {
    const std::string_view quoted = value.substr(kExpand.size());
    if (!quoted.starts_with('"')) return {StoredValue::Kind::kBadData, {}};
    result = DecodeQuoted(quoted);
  } else if (value.starts_with(kDword)) {
    return {StoredValue::Kind::kNotText, {}};
  } else {
    result.text = std::string(TrimRight(value));
  }
  if (const std::size_t nul = result.text.find('\0'); nul != std::string::npos) {
    result.text.resize(nul);
  }
  return result;
}

std::string_view StoredValueComment(std::string_view raw_value) {
  std::string_view value = TrimLeft(raw_value);
  if (value.starts_with(kExpand)) value.remove_prefix(kExpand.size());
  std::size_t end = 0;
  if (!value.starts_with('"') || DecodeQuoted(value, &end).kind != StoredValue::Kind::kText) {
    return {};
  }
  const std::string_view tail = value.substr(end);
  return TrimLeft(tail).empty() ? std::string_view() : tail;
}

std::optional<std::string> FindRawValue(std::string_view file, std::string_view section,
                                        std::string_view name) {
  const std::optional<Line> line = FindEntryLine(file, section, name);
  if (!line) return std::nullopt;
  return std::string(RawValue(file, *line));
}

std::string EncodeStoredValue(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  // A UTF-8 text (the locale's words in the Last Updated stamp, a UTF-8
  // document) stays readable in the file; any other keeps its escapes.
  const bool utf8 = IsValidUtf8(text);
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if ((byte >= 0x20 && byte <= 0x7E) || (utf8 && byte >= 0x80)) {
      out += c;
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  out += '"';
  return out;
}

bool IsStorableSectionName(std::string_view section) {
  return section.find('\n') == std::string_view::npos && Trim(section) == section;
}

bool IsStorableEntryName(std::string_view name) {
  return name.find_first_of("\n=") == std::string_view::npos && Trim(name) == name &&
         !name.starts_with(';') && !name.starts_with('#') && !name.starts_with('[');
}

std::string SetIniEntry(std::string_view file, std::string_view section, std::string_view name,
                        std::string_view text) {
  const std::string value = EncodeStoredValue(text);
  auto splice = [&](std::size_t at, std::size_t length, std::string_view with) {
    std::string out;
    out.reserve(file.size() - length + with.size());
    out += file.substr(0, at);
    out += with;
    out += file.substr(at + length);
    return out;
  };

  // One pass finds the entry that counts (only its value changes) and,
  // should there be none, the place for a new one: behind the last line of
  // the first section of that name that is not a blank or a comment (those
  // usually introduce what follows).
  std::optional<Line> existing;
  std::optional<Line> last_in_section;
  bool in_section = false;
  enum { kBefore, kInFirst, kAfterFirst } first_section = kBefore;
  ForEachLine(file, [&](std::size_t begin, std::size_t end) {
    if (!in_section && !MayBeHeader(file, begin, end)) return false;
    const Line line = ClassifyLine(file, begin, end);
    if (line.kind == LineKind::kHeader) {
      in_section = SameName(line.name, section);
      if (first_section == kInFirst) first_section = kAfterFirst;
      if (in_section && first_section == kBefore) first_section = kInFirst;
    } else if (line.kind == LineKind::kEntry && in_section && SameName(line.name, name)) {
      existing = line;
      return true;
    }
    if (first_section == kInFirst && line.kind != LineKind::kBlank &&
        line.kind != LineKind::kComment) {
      last_in_section = line;
    }
    return false;
  });
  if (existing) {
    const std::string_view raw = RawValue(file, *existing);
    const std::size_t at = existing->value_begin + (raw.size() - TrimLeft(raw).size());
    const std::size_t comment = StoredValueComment(raw).size();
    return splice(at, existing->content_end - comment - at, value);
  }

  // New lines take the file's first line end.
  std::string_view eol = "\n";
  if (const std::size_t lf = file.find('\n'); lf != std::string_view::npos) {
    eol = (lf > 0 && file[lf - 1] == '\r') ? "\r\n" : "\n";
  }
  const std::string entry_line = std::string(name) + "=" + value + std::string(eol);

  // A last line without a line end gets one first, so nothing is glued to
  // it. Behind a CR an LF alone would turn that CR into part of the line
  // end, so such a line gets a whole CR LF and keeps its CR.
  auto close_last_line = [&](std::string_view before) {
    if (before.empty() || before.ends_with('\n')) return std::string();
    return std::string(before.ends_with('\r') ? "\r\n" : eol);
  };
  if (last_in_section) {
    const std::size_t at = last_in_section->end;
    return splice(at, 0, close_last_line(file.substr(0, at)) + entry_line);
  }

  std::string tail = close_last_line(file);
  tail += "[" + std::string(section) + "]" + std::string(eol) + entry_line;
  return splice(file.size(), 0, tail);
}
