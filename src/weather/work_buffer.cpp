// Skeleton stub.
#include "weather/work_buffer.h"

WorkBuffer::WorkBuffer(std::size_t capacity) : capacity_(capacity), text_("\r\n\r\n") {}
void WorkBuffer::AppendLine(std::string_view) {}
void WorkBuffer::SetWholeText(std::string_view text) { text_ = text; }
std::int32_t WorkBuffer::FindCaseless(std::string_view, std::int32_t, std::int32_t) const {
  return -1;
}
std::string WorkBuffer::Excerpt(std::int32_t, std::int32_t) const { return {}; }
void WorkBuffer::ReplaceRange(std::int32_t, std::int32_t, std::string_view) {}
void WorkBuffer::ClearBuffer() { text_.clear(); }
