// A diagnostics log for tests: it keeps the lines instead of writing them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "strip/strip_environment.h"

class KeptLog : public DiagnosticLog {
 public:
  std::vector<std::string> lines;
  void WriteLine(std::string_view line) override { lines.emplace_back(line); }
};
