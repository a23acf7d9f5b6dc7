// Skeleton stubs; each moves to its own file when it is built.
#include "weather/condition_picture.h"
#include "weather/conditions.h"
#include "weather/document_lines.h"
#include "weather/forecast.h"
#include "weather/http_fetch.h"
#include "weather/sources.h"
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

std::vector<std::string> SplitDocumentLines(std::string_view) { return {}; }
std::string DocumentAddress(bool, bool) { return {}; }
FetchResult FetchHttpDocument(const std::string&, const FetchLimits&,
                              const std::function<void()>&) {
  return {};
}
std::optional<StationLines> CutConditions(const WorkBuffer&) { return std::nullopt; }
std::optional<std::string> CutForecast(WorkBuffer&) { return std::nullopt; }
void ReplaceLineBreaks(WorkBuffer&, char) {}
ConditionPicture ChooseConditionPicture(std::string_view) { return ConditionPicture::kUnchanged; }
