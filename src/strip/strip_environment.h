// What the strip reaches beyond its window: the settings store, the fetch of
// the weather documents, and the diagnostics it writes where a desktop
// session keeps them (one line per failed fetch, and the line of a close
// that could not store). The program gives the real ones
// (ProgramEnvironment); tests give an in-memory store, a scripted fetch and
// a log that keeps the lines.
#pragma once

#include <string_view>

#include "store/settings_store.h"
#include "weather/document_fetch.h"

class DiagnosticLog {
 public:
  virtual ~DiagnosticLog() = default;
  // One line, its line feed included.
  virtual void WriteLine(std::string_view line) = 0;
};

struct StripEnvironment {
  const SettingsStore& settings;
  DocumentFetch& fetch;
  DiagnosticLog& log;
};

// The program's own: the settings of the product key, the HTTP fetch and
// standard error. One for the process, made at its first use.
const StripEnvironment& ProgramEnvironment();
