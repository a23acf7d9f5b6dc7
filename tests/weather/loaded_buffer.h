// Work buffers loaded the way the program loads them: the fetched body split
// into lines, each appended to a buffer in the state the caller leaves it.
#pragma once

#include <string>
#include <string_view>

#include "weather/document_lines.h"
#include "weather/work_buffer.h"

// What the buffer holds when a document is fetched into it.
enum class BufferState {
  kInitial,       // first update at start-up: the two initial empty lines
  kCleared,       // after ClearBuffer
  kForecastLine,  // a joined forecast left in front of the document
};

inline constexpr char kLeftForecastLine[] =
    ".TODAY...Mostly sunny. Highs around 72. .TONIGHT...Clear. Lows 55";

inline void AppendDocument(WorkBuffer& buffer, std::string_view body) {
  for (const std::string& line : SplitDocumentLines(body)) buffer.AppendLine(line);
}

inline WorkBuffer LoadedBuffer(std::string_view body, BufferState state,
                               std::string_view forecast_line = kLeftForecastLine) {
  WorkBuffer buffer;
  if (state != BufferState::kInitial) buffer.ClearBuffer();
  if (state == BufferState::kForecastLine) buffer.SetWholeText(forecast_line);
  AppendDocument(buffer, body);
  return buffer;
}

// What the buffer holds in front of the document in each state.
inline std::string Prefix(BufferState state, std::string_view forecast_line = kLeftForecastLine) {
  switch (state) {
    case BufferState::kInitial:
      return "\r\n\r\n";
    case BufferState::kCleared:
      return "";
    case BufferState::kForecastLine:
      return std::string(forecast_line) + "\r\n";
  }
  return "";
}
