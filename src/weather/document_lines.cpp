#include "weather/document_lines.h"

std::vector<std::string> SplitDocumentLines(std::string_view body) {
  std::vector<std::string> lines;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] != '\r' && body[i] != '\n') continue;
    if (i > line_start) lines.emplace_back(body.substr(line_start, i - line_start));
    line_start = i + 1;
  }
  // Whatever follows the last CR or LF is an unfinished line and is dropped.
  return lines;
}
