// The work buffer: one plain-text buffer in which fetched documents are
// searched and cut.
//
// Positions are signed 32-bit, 0-based offsets into WholeText(); position
// Length() names the end of the text. A line break is CR LF and takes two
// positions; -1 means "not found". Texts are bytes and are stored as given,
// NUL and bytes above 127 included; nothing is decoded.
//
// Every operation takes time at most linear in the text plus its arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised when the buffer cannot take a text. AppendLine's what() is
// "RichEdit line insertion error".
class EWorkBufferError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr char kLineInsertionError[] = "RichEdit line insertion error";
inline constexpr char kTextLimitError[] = "RichEdit text limit exceeded";

class WorkBuffer {
 public:
  // Well above one fetch (32,767 bytes, every line gaining a line break) on
  // top of whatever the buffer already holds.
  static constexpr std::size_t kDefaultCapacity = 16u << 20;

  // Starts as two empty lines: CR LF CR LF. `capacity` is the most characters
  // the text may ever hold; it is raised to 4 (the initial content) and
  // lowered to the largest position, INT32_MAX, so every position fits.
  explicit WorkBuffer(std::size_t capacity = kDefaultCapacity);

  // Appends `line`: behind an empty last line (the text is empty or ends
  // with CR LF) as line + CR LF; behind a non-empty last line as CR LF + line.
  // A text ending in a lone CR or LF has a non-empty last line.
  // The fetcher passes lines without CR or LF; a line holding them is stored
  // as given all the same.
  // Throws EWorkBufferError(kLineInsertionError) when the line and its break
  // do not fit in the capacity; the buffer is then unchanged.
  void AppendLine(std::string_view line);

  const std::string& WholeText() const { return text_; }
  std::int32_t Length() const { return static_cast<std::int32_t>(text_.size()); }

  // The content becomes exactly `text`. Throws EWorkBufferError
  // (kTextLimitError) when it exceeds the capacity; the buffer is then
  // unchanged. (The program only passes text it took from the buffer.)
  void SetWholeText(std::string_view text);

  // The first position p >= start at which `needle` occurs wholly inside the
  // range [start, start + span) cut back to the end of the text; letters A-Z
  // and a-z compare equal, every other byte only to itself. -1 when there is
  // none, when start is at or past the end, when the range is shorter than
  // the needle, or when the needle is empty. A negative start searches from
  // 0, the range still ending at start + span. A single CR or LF needle
  // matches the CR or LF of a line break at its own position.
  std::int32_t FindCaseless(std::string_view needle, std::int32_t start, std::int32_t span) const;

  // Excerpt and ReplaceRange resolve their range the same way:
  //  - s := start, cut back to the end of the text; a negative start is
  //    taken as 0 (the text's beginning);
  //  - e := s + length, the length counted from s as placed; cut back to the
  //    end of the text; an e below 0 is taken as 0, so such a range runs
  //    from the text's beginning up to s;
  //  - an s or e that falls between the CR and the LF of a line break moves
  //    back onto the CR, so a line break is never cut in two;
  //  - the range is [min(s, e), max(s, e)): a negative length takes the
  //    characters before s.
  std::string Excerpt(std::int32_t start, std::int32_t length) const;

  // Replaces the resolved range by `replacement`; an empty range receives it
  // as an insertion at that position. Throws EWorkBufferError
  // (kTextLimitError) when the result would exceed the capacity; the buffer
  // is then unchanged.
  void ReplaceRange(std::int32_t start, std::int32_t length, std::string_view replacement);

  // The content becomes the empty text (not the initial two empty lines).
  void ClearBuffer();

  std::size_t Capacity() const { return capacity_; }

 private:
  struct Range {
    std::size_t begin;
    std::size_t end;
  };
  Range Resolve(std::int32_t start, std::int32_t length) const;
  bool EndsWithLineBreak() const;

  std::size_t capacity_;
  std::string text_;
};
