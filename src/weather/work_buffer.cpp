#include "weather/work_buffer.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <vector>

#include "text/ascii_case.h"

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr std::size_t kLargestPosition =
    static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

// Only the ASCII letters are folded: the buffer does not know the code page.
constexpr unsigned char Fold(char c) { return static_cast<unsigned char>(AsciiUpper(c)); }

// True when `view` points into `text`'s storage, which an edit of `text`
// may move or overwrite.
bool PointsInto(std::string_view view, const std::string& text) {
  if (view.empty() || text.empty()) return false;
  const std::less_equal<const char*> le;
  return le(text.data(), view.data()) && le(view.data(), text.data() + text.size());
}

}  // namespace

WorkBuffer::WorkBuffer(std::size_t capacity)
    : capacity_(std::clamp<std::size_t>(capacity, 4, kLargestPosition)), text_("\r\n\r\n") {}

bool WorkBuffer::EndsWithLineBreak() const {
  const std::size_t n = text_.size();
  return n >= 2 && text_[n - 2] == kCr && text_[n - 1] == kLf;
}

void WorkBuffer::AppendLine(std::string_view line) {
  // Checked before anything changes, so a refused line leaves the text as it was.
  if (line.size() > capacity_ || capacity_ - line.size() < 2 ||
      text_.size() > capacity_ - line.size() - 2) {
    throw EWorkBufferError(kLineInsertionError);
  }
  std::string copy;
  if (PointsInto(line, text_)) line = copy.assign(line);
  const bool last_line_empty = text_.empty() || EndsWithLineBreak();
  text_.reserve(text_.size() + line.size() + 2);  // may throw; text still unchanged
  if (last_line_empty) {
    text_.append(line);
    text_.append("\r\n");
  } else {
    text_.append("\r\n");
    text_.append(line);
  }
}

void WorkBuffer::SetWholeText(std::string_view text) {
  if (text.size() > capacity_) throw EWorkBufferError(kTextLimitError);
  text_.assign(text.data(), text.size());
}

std::int32_t WorkBuffer::FindCaseless(std::string_view needle, std::int32_t start,
                                      std::int32_t span) const {
  const std::int64_t length = Length();
  if (needle.empty() || start >= length) return -1;
  const std::int64_t range_end = std::min<std::int64_t>(std::int64_t{start} + span, length);
  const std::int64_t from = std::max<std::int32_t>(start, 0);
  const std::int64_t m = static_cast<std::int64_t>(needle.size());
  if (range_end - from < m) return -1;

  // Knuth-Morris-Pratt on folded bytes: one pass over the range whatever the
  // needle, so a long buffer is never searched in quadratic time.
  std::array<std::int32_t, 32> small_table;
  std::vector<std::int32_t> large_table;
  std::int32_t* border = small_table.data();
  if (needle.size() > small_table.size()) {
    large_table.resize(needle.size());
    border = large_table.data();
  }
  border[0] = 0;
  for (std::int64_t i = 1, k = 0; i < m; ++i) {
    while (k > 0 && Fold(needle[i]) != Fold(needle[k])) k = border[k - 1];
    if (Fold(needle[i]) == Fold(needle[k])) ++k;
    border[i] = static_cast<std::int32_t>(k);
  }

  const char* text = text_.data();
  const unsigned char first = Fold(needle[0]);
  std::int64_t matched = 0;
  for (std::int64_t i = from; i < range_end; ++i) {
    const unsigned char c = Fold(text[i]);
    if (matched == 0) {
      if (c != first) continue;
      matched = 1;
    } else {
      while (matched > 0 && c != Fold(needle[matched])) matched = border[matched - 1];
      if (c == Fold(needle[matched])) ++matched;
    }
    if (matched == m) return static_cast<std::int32_t>(i + 1 - m);
  }
  return -1;
}

WorkBuffer::Range WorkBuffer::Resolve(std::int32_t start, std::int32_t length) const {
  const std::int64_t text_length = Length();
  // True when position p lies between the CR and the LF of a line break.
  auto inside_break = [this, text_length](std::int64_t p) {
    return p > 0 && p < text_length && text_[p - 1] == kCr && text_[p] == kLf;
  };
  std::int64_t s = std::clamp<std::int64_t>(start, 0, text_length);
  if (inside_break(s)) --s;
  std::int64_t e = std::clamp<std::int64_t>(s + length, 0, text_length);
  if (inside_break(e)) --e;
  return {static_cast<std::size_t>(std::min(s, e)), static_cast<std::size_t>(std::max(s, e))};
}

std::string WorkBuffer::Excerpt(std::int32_t start, std::int32_t length) const {
  const Range r = Resolve(start, length);
  return text_.substr(r.begin, r.end - r.begin);
}

void WorkBuffer::ReplaceRange(std::int32_t start, std::int32_t length,
                              std::string_view replacement) {
  const Range r = Resolve(start, length);
  const std::size_t kept = text_.size() - (r.end - r.begin);
  if (replacement.size() > capacity_ - kept) throw EWorkBufferError(kTextLimitError);
  std::string copy;
  if (PointsInto(replacement, text_)) replacement = copy.assign(replacement);
  text_.replace(r.begin, r.end - r.begin, replacement.data(), replacement.size());
}

void WorkBuffer::ClearBuffer() { text_.clear(); }
