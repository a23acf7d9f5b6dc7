// The work buffer: one plain-text buffer in which fetched documents are
// searched and cut.
//
// Positions are signed 32-bit, 0-based offsets into WholeText(); a line break
// is always CR LF and takes two positions; -1 means "not found". Texts are
// bytes and are stored as given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised by AppendLine when the buffer cannot take the whole line;
// what() is "RichEdit line insertion error".
class EWorkBufferError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class WorkBuffer {
 public:
  // Well above one fetch (32,767 bytes, every line gaining a line break).
  static constexpr std::size_t kDefaultCapacity = 16u << 20;

  // Starts as two empty lines: CR LF CR LF.
  explicit WorkBuffer(std::size_t capacity = kDefaultCapacity);

  // Appends `line` (no CR or LF in it): behind an empty last line as
  // line + CR LF, behind a non-empty last line as CR LF + line.
  void AppendLine(std::string_view line);
  const std::string& WholeText() const { return text_; }
  std::int32_t Length() const { return static_cast<std::int32_t>(text_.size()); }
  void SetWholeText(std::string_view text);
  // First occurrence wholly inside [start, start + span), letters A-Z folded.
  std::int32_t FindCaseless(std::string_view needle, std::int32_t start, std::int32_t span) const;
  std::string Excerpt(std::int32_t start, std::int32_t length) const;
  void ReplaceRange(std::int32_t start, std::int32_t length, std::string_view replacement);
  void ClearBuffer();

 private:
  std::size_t capacity_;
  std::string text_;
};
